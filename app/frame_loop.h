// Frame presentation, the window's message pump and the runtime clock.
#pragma once

#include <vorlan/app.h>

namespace vorlan {

// Swaps, clears, and waits for the frame deadline while pumping messages;
// returns the milliseconds waited + 1.
double swapAndWait();
// Pumps messages until the clock has passed the deadline; returns the
// clock reading that passed it.
double waitForDeadline(double deadline);
// Dispatches every pending window message; always 1.
int pumpMessages();
// The runtime clock in milliseconds.
double clockMs();
// The plain 2D state every fresh back buffer starts in (after presentFrame,
// and after a video).
void resetFrameState();
// Sets the clock origin and both frame stamps to now.
void restartFrameClock();

// The frame wait sleeps at most this long at a time, so that window
// messages are pumped while it waits.
constexpr double kLongestSleepMs = 4.0;

}  // namespace vorlan
