// The library the foreign-call tests load: functions of each kind, and a
// destructor that logs its own file name to $VORLAN_SAMPLE_LOG.
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" {

int32_t sampleAdd(int32_t a, int32_t b) {
    return a + b;
}

double sampleScale(double value, double factor) {
    return value * factor;
}

const char* sampleGreet(const char* name) {
    static std::string greeting;
    greeting = std::string("hello ") + name;
    return greeting.c_str();
}

__attribute__((destructor)) static void sampleUnload() {
    const char* log = std::getenv("VORLAN_SAMPLE_LOG");
    Dl_info self{};
    if (!log || dladdr(reinterpret_cast<void*>(&sampleAdd), &self) == 0) return;
    std::string line = std::string(self.dli_fname) + "\n";
    int fd = ::open(log, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return;
    [[maybe_unused]] ssize_t written = ::write(fd, line.data(), line.size());
    ::close(fd);
}
}
