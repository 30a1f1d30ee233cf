#include "platform/clock.h"

#include <sys/prctl.h>

#include <cerrno>
#include <ctime>

namespace vorlan::platform {

namespace {

double toMs(const timespec& ts) {
    return static_cast<double>(ts.tv_sec) * 1000.0 + static_cast<double>(ts.tv_nsec) / 1.0e6;
}

}  // namespace

double nowMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return toMs(ts);
}

void sleepMs(double ms) {
    if (!(ms > 0)) return;
    // The kernel may wake a sleeper up to its timer slack (50 us by
    // default) late to batch wake-ups; the frame wait wants them on time.
    // The slack belongs to the thread, so each sleeping thread lowers its own.
    thread_local const bool punctual = ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL) == 0;
    (void)punctual;
    timespec request{};
    request.tv_sec = static_cast<time_t>(ms / 1000.0);
    request.tv_nsec =
        static_cast<long>((ms - static_cast<double>(request.tv_sec) * 1000.0) * 1.0e6);
    timespec left{};
    while (nanosleep(&request, &left) != 0 && errno == EINTR) request = left;
}

double cpuTimeMs() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return toMs(ts);
}

}  // namespace vorlan::platform
