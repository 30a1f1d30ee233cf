#include "platform/wake_signal.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

namespace vorlan::platform {

WakeSignal::WakeSignal() : fd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

WakeSignal::~WakeSignal() {
    if (fd_ >= 0) ::close(fd_);
}

void WakeSignal::raise() {
    uint64_t one = 1;
    // A full counter still wakes the poller, so a failed write loses nothing.
    [[maybe_unused]] ssize_t written = ::write(fd_, &one, sizeof one);
}

void WakeSignal::clear() {
    uint64_t value = 0;
    [[maybe_unused]] ssize_t got = ::read(fd_, &value, sizeof value);
}

}  // namespace vorlan::platform
