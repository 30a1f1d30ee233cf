// Frame timing on a grid of deadlines one frame time apart.
#pragma once

namespace vorlan {

// The deadline after `deadline` once the wait has seen the clock at `now`:
// one frame time on, then further whole frame times until it is not before
// `now`. Missed frames are skipped, never made up in a burst.
double nextDeadline(double deadline, double frameTime, double now);

// Milliseconds between frame deadlines for a frames-per-second setting:
// 1000 ÷ rate (rate truncated toward zero), or 2 ms when not positive.
double frameTimeForRate(double framesPerSecond);

// The time between the last two frames, or 1 when it is not positive.
double frameInterval(double previousFrameTime, double lastFrameTime);

}  // namespace vorlan
