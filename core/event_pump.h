// The runtime clock and the window's message pump: what every waiting
// operation of every subsystem calls while it waits.
#pragma once

namespace vorlan {

// The runtime clock in milliseconds.
double clockMs();
// Dispatches every pending window message (focus pause, the close box);
// always 1.
int pumpMessages();

}  // namespace vorlan
