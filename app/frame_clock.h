// Frame timing on a grid of deadlines one frame time apart.
#pragma once

#include <cstdint>

namespace vorlan {

// The deadline after `deadline` once the wait has seen the clock at `now`:
// one frame time on, then further whole frame times until it is not before
// `now`. Missed frames are skipped, never made up in a burst.
double nextDeadline(double deadline, double frameTime, double now);

// Milliseconds between frame deadlines for a frames-per-second setting:
// 1000 ÷ rate (rate truncated toward zero), or 2 ms when not positive.
double frameTimeForRate(double framesPerSecond);

// Milliseconds between frame deadlines for the start-up setting, worked
// out in single precision: 1000 ÷ rate, or 2 ms when not positive.
double startupFrameTime(int32_t frameRate);

// The time between the last two frames, or 1 when it is not positive.
double frameInterval(double previousFrameTime, double lastFrameTime);

// How early the frame wait stops sleeping and starts spinning, learnt from
// how late its own sleeps wake: the kRank-th latest of the last kWindow
// sleeps (about the 95th percentile: stray wake-ups, which a spin would not
// escape either, are ignored), held within [kFloorMs, kCeilingMs]. Before
// any sleep it is the ceiling.
class SleepMargin {
  public:
    static constexpr double kFloorMs = 0.05;
    static constexpr double kCeilingMs = 2.0;
    static constexpr int kWindow = 64;
    static constexpr int kRank = 4;

    double ms() const { return margin_; }
    // One sleep woke `lateMs` after the moment it asked for.
    void record(double lateMs);

  private:
    double late_[kWindow] = {};
    int count_ = 0;
    int next_ = 0;
    double margin_ = kCeilingMs;
};

}  // namespace vorlan
