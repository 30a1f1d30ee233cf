// The library the foreign-call tests load: functions of each kind, and a
// destructor that logs its own file name to $VORLAN_SAMPLE_LOG.
#include <dlfcn.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" {
int32_t sampleAdd(int32_t a, int32_t b) {
    return a + b;
}
const char* sampleGreet(const char* name) {
    static std::string greeting;
    return (greeting = std::string("hello ") + name).c_str();
}

__attribute__((destructor)) static void sampleUnload() {
    const char* log = std::getenv("VORLAN_SAMPLE_LOG");
    Dl_info self{};
    FILE* out =
        log && dladdr(reinterpret_cast<void*>(&sampleAdd), &self) ? std::fopen(log, "ae") : nullptr;
    if (out) std::fprintf(out, "%s\n", self.dli_fname), std::fclose(out);
}
}
