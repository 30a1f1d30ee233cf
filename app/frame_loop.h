// Frame presentation and frame pacing.
#pragma once

#include <cstdint>

#include <vorlan/app.h>

namespace vorlan {

// Swaps, clears, and waits for the frame deadline while pumping messages;
// returns the milliseconds waited + 1.
double swapAndWait();
// Pumps messages until the clock has passed the deadline; returns the
// clock reading that passed it.
double waitForDeadline(double deadline);
// Sets the clock origin and both frame stamps to now.
void restartFrameClock();
// The frame time of the start-up settings, and the first deadline now.
void startFramePacing(int32_t frameRate);
// Milliseconds between frame deadlines.
double frameTimeMs();

// The frame wait sleeps at most this long at a time, so that window
// messages are pumped while it waits.
constexpr double kLongestSleepMs = 4.0;

}  // namespace vorlan
