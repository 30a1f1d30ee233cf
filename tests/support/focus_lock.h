// Tests that press keys, move the pointer or show windows hold this lock:
// parallel tests on the same X server would steal each other's focus.
#pragma once

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

namespace vorlan::test {

class FocusLock {
  public:
    // One lock per X server: separate servers share no focus.
    FocusLock() {
        const char* display = std::getenv("DISPLAY");
        std::string path = "/tmp/vorlan-focus-" + std::string(display ? display : "none") + ".lock";
        fd_ = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        while (fd_ >= 0 && flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    ~FocusLock() {
        if (fd_ >= 0) close(fd_);
    }
    FocusLock(const FocusLock&) = delete;
    FocusLock& operator=(const FocusLock&) = delete;

  private:
    int fd_ = -1;
};

}  // namespace vorlan::test
