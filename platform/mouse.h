// The mouse: the pointer position, its buttons, the wheel and the captured
// (relative) mode.
#pragma once

namespace vorlan::platform {

struct MouseButtons {
    bool left = false;
    bool right = false;
    bool middle = false;
};

// Pointer position relative to the main window's client area; live also
// while the pointer is outside the window (then negative or beyond its size).
void pointerInWindow(int& x, int& y);
// Pointer position on the screen, and moving it there.
void pointerOnScreen(int& x, int& y);
void movePointerOnScreen(int x, int y);
// Moves the pointer to a point of the main window's client area.
void movePointerInWindow(int x, int y);

// Buttons held now. The system state is live wherever the pointer is; the
// device state is the one the window saw. Clicks come as input events.
MouseButtons systemButtons();
MouseButtons deviceButtons();

// Relative mode: the pointer is hidden and held by the window, and motion
// is reported as device movement. False when the platform refuses it.
bool setRelativeMode(bool on);
// Device movement since the last call.
void relativeMotion(int& dx, int& dy);
// Wheel clicks since the last call, away from the user positive.
int takeWheelClicks();
void showArrowCursor();

// Called by the event pump.
void noteWheel(int clicks);

}  // namespace vorlan::platform
