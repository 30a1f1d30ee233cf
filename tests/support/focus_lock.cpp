#include "support/focus_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

namespace vorlan::test {

FocusLock::FocusLock() {
    // One lock per X server: separate servers do not share a focus.
    const char* display = std::getenv("DISPLAY");
    std::string path = "/tmp/vorlan-focus-" + std::string(display ? display : "none") + ".lock";
    fd_ = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ < 0) return;
    while (flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
    }
}

FocusLock::~FocusLock() {
    if (fd_ >= 0) close(fd_);
}

}  // namespace vorlan::test
