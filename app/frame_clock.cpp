#include "app/frame_clock.h"

#include <cmath>

namespace vorlan {

double nextDeadline(double deadline, double frameTime, double now) {
    double next = deadline + frameTime;
    if (frameTime > 0 && next < now) {
        // Jump close to `now` in one step (a long pause at 2 ms frames would
        // otherwise mean millions of additions), then finish one by one.
        double missed = std::floor((now - next) / frameTime);
        if (missed > 1) next += (missed - 1) * frameTime;
        while (next < now) next += frameTime;
    }
    return next;
}

double frameTimeForRate(double framesPerSecond) {
    double rate = std::trunc(framesPerSecond);
    if (!(rate > 0)) return 2.0;
    return 1000.0 / rate;
}

void SleepMargin::record(double lateMs) {
    late_[next_] = lateMs;
    next_ = (next_ + 1) % kWindow;
    if (count_ < kWindow) ++count_;
    // The kRank latest of the window, kept sorted latest first; with fewer
    // samples, the earliest of them.
    double top[kRank];
    int kept = 0;
    for (int i = 0; i < count_; ++i) {
        int at = kept < kRank ? kept++ : kRank;
        while (at > 0 && late_[i] > top[at - 1]) {
            if (at < kRank) top[at] = top[at - 1];
            --at;
        }
        if (at < kRank) top[at] = late_[i];
    }
    margin_ = std::fmin(std::fmax(top[kept - 1], kFloorMs), kCeilingMs);
}

double startupFrameTime(int32_t frameRate) {
    return frameRate > 0 ? static_cast<double>(1000.0f / static_cast<float>(frameRate)) : 2.0;
}

double frameInterval(double previousFrameTime, double lastFrameTime) {
    double interval = lastFrameTime - previousFrameTime;
    return interval > 0 ? interval : 1.0;
}

}  // namespace vorlan
