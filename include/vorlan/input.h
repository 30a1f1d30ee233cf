// Mouse, keyboard and joysticks.
//
// Keys are keyboard scan codes: 1 Escape, 2 to 11 the digit row, 17 W,
// 28 Enter, 30 A, 31 S, 32 D, 57 Space, 200 up, 203 left, 205 right,
// 208 down, 201 Page Up, 209 Page Down. Every query reads the devices
// afresh (and handles the window's pending events), so a loop that only
// asks for a key sees it go up again.
#pragma once

#include <vorlan/rt_string.h>

namespace vorlan {

// --- Mouse ---------------------------------------------------------------

// The pointer position, held inside the surface, and the left and right
// buttons as 1 or 0.
void readMouse(double& x, double& y, double& left, double& right);
// 0: movement in x, 1: in y, 2: wheel (-1, 0, 1; only with the captured
// mouse device), 3, 4, 5: left, right, middle button as 1 or 0; else 0.
// Movement is taken once per frame: every read in a frame sees the same.
double mouseAxis(double index);
// 1 while any of the three buttons is pressed.
double anyMouseButton();
// Waits until no button is pressed, then until one is; returns 1.
double waitMouseClick();
// Non-zero frees and shows the system pointer; 0 captures it.
void setPointerMode(double show);
// Sets the pointer position the runtime keeps (the system pointer stays).
void setMousePosition(double x, double y);

// --- Keyboard ------------------------------------------------------------

// 1 while the key is held. The code's low byte counts: 256 is key 0.
double keyDown(double scanCode);
// The character just typed (a held key types once), or empty text. Enter
// gives the character 10, Backspace 8.
RtString readKeyChar();
// As readKeyChar, 1 for a character and 0 for none.
double keyCharPressed();
// Waits until a character key is pressed.
void waitKey();
// Lets the player edit the text at (x, y) with the current font, frame by
// frame over the screen as it was, until Enter; Backspace removes the last
// character. Typed characters beyond Latin-1 are dropped.
void inputLine(RtString& text, double x, double y);

// --- Joysticks (numbers 0 to 9) -----------------------------------------

// Axes from -1 to 1; 0 for a number without a joystick.
double joystickX(double n);
double joystickY(double n);   // As joystickX, the y axis: -1 up, 1 down.
double joystickZ(double n);   // As joystickX, the device's third axis.
double joystickRX(double n);  // As joystickX, its fourth axis.
double joystickRY(double n);  // As joystickX, its fifth axis.
double joystickRZ(double n);  // As joystickX, its sixth axis.
// The hat: 1 right, -1 left; -1 up, 1 down; 0 otherwise (diagonals too).
double joystickHatX(double n);
double joystickHatY(double n);  // As joystickHatX, up and down.
// Joystick 0: x and y as -1, 0 or 1, and the first two buttons (128 while
// pressed).
void readJoystick(double& x, double& y, double& button1, double& button2);
// Empty text for a number without a joystick.
RtString joystickName(double n);
// Joysticks found at start-up.
double joystickCount();
// Shakes the joystick for the time given with the force (fx, fy), each
// -1 to 1; nothing for a joystick that cannot.
void joystickRumble(double n, double durationMs, double forceX, double forceY);

}  // namespace vorlan
