// Mouse, keyboard and joysticks.
//
// Keys are keyboard scan codes, named by the kKey constants below. Every
// query handles the window's pending events first, so a loop that only asks
// for a key sees it go up again; and the presses, clicks and characters that
// came and went between two reads are kept until they are read, so a quick
// tap is never missed.
#pragma once

#include <vorlan/rt_string.h>

namespace vorlan {

// --- Key codes -------------------------------------------------------------

// Letters.
inline constexpr int kKeyA = 30, kKeyB = 48, kKeyC = 46, kKeyD = 32, kKeyE = 18, kKeyF = 33,
                     kKeyG = 34, kKeyH = 35, kKeyI = 23, kKeyJ = 36, kKeyK = 37, kKeyL = 38,
                     kKeyM = 50, kKeyN = 49, kKeyO = 24, kKeyP = 25, kKeyQ = 16, kKeyR = 19,
                     kKeyS = 31, kKeyT = 20, kKeyU = 22, kKeyV = 47, kKeyW = 17, kKeyX = 45,
                     kKeyY = 21, kKeyZ = 44;
// The digit row.
inline constexpr int kKey0 = 11, kKey1 = 2, kKey2 = 3, kKey3 = 4, kKey4 = 5, kKey5 = 6, kKey6 = 7,
                     kKey7 = 8, kKey8 = 9, kKey9 = 10;
// Function keys.
inline constexpr int kKeyF1 = 59, kKeyF2 = 60, kKeyF3 = 61, kKeyF4 = 62, kKeyF5 = 63, kKeyF6 = 64,
                     kKeyF7 = 65, kKeyF8 = 66, kKeyF9 = 67, kKeyF10 = 68, kKeyF11 = 87,
                     kKeyF12 = 88;
// Cursor keys and the block above them.
inline constexpr int kKeyUp = 200, kKeyDown = 208, kKeyLeft = 203, kKeyRight = 205,
                     kKeyPageUp = 201, kKeyPageDown = 209, kKeyHome = 199, kKeyEnd = 207,
                     kKeyInsert = 210, kKeyDelete = 211;
// Enter is the main one; the keypad's Enter is 156.
inline constexpr int kKeyEnter = 28, kKeySpace = 57, kKeyEscape = 1, kKeyTab = 15,
                     kKeyBackspace = 14;
// Modifiers.
inline constexpr int kKeyLeftShift = 42, kKeyRightShift = 54, kKeyLeftCtrl = 29,
                     kKeyRightCtrl = 157, kKeyLeftAlt = 56, kKeyRightAlt = 184;
// Mouse buttons, for mouseHit.
inline constexpr int kMouseLeft = 1, kMouseRight = 2, kMouseMiddle = 3;
// The standard pad layout, for padButton.
inline constexpr int kPadA = 0, kPadB = 1, kPadX = 2, kPadY = 3, kPadBack = 4, kPadGuide = 5,
                     kPadStart = 6, kPadLeftStick = 7, kPadRightStick = 8, kPadLeftShoulder = 9,
                     kPadRightShoulder = 10, kPadUp = 11, kPadDown = 12, kPadLeft = 13,
                     kPadRight = 14;
// Its axes, for padAxis: sticks -1 to 1 (up and left negative), triggers 0 to 1.
inline constexpr int kPadLeftX = 0, kPadLeftY = 1, kPadRightX = 2, kPadRightY = 3,
                     kPadLeftTrigger = 4, kPadRightTrigger = 5;

// --- Mouse ---------------------------------------------------------------

// The pointer position, held inside the surface, and the left and right
// buttons as 1 or 0. A button reads 1 while held, and once more for a click
// that came and went since the last read of it.
void readMouse(double& x, double& y, double& left, double& right);
// 0: movement in x, 1: in y, 2: wheel (-1, 0, 1; only with the captured
// mouse device), 3, 4, 5: left, right, middle button as 1 or 0; else 0.
// Movement is taken once per frame: every read in a frame sees the same.
double mouseAxis(double index);
// 1 while any of the three buttons is pressed.
double anyMouseButton();
// How many times the button (kMouseLeft, kMouseRight, kMouseMiddle) went
// down since the last mouseHit of that button; 0 for any other number.
double mouseHit(double button);
// Waits until no button is pressed, then until one is; returns 1.
double waitMouseClick();
// Non-zero frees and shows the system pointer; 0 captures it.
void setPointerMode(double show);
// Sets the pointer position the runtime keeps (the system pointer stays).
void setMousePosition(double x, double y);

// --- Keyboard ------------------------------------------------------------

// 1 while the key is held, and once more for a tap that came and went since
// the last keyDown of that key. The code's low byte counts: 256 is key 0.
double keyDown(double scanCode);
// How many times the key went down since the last keyHit of that key; a
// held key counts once.
double keyHit(double scanCode);
// The oldest character typed and not yet read, or empty text. Typed
// characters wait in one queue (the newest 1024 are kept) shared by
// readKeyChar, keyCharPressed, waitKey and inputLine; when the game reads
// no text for a whole frame, what was typed before that frame is dropped,
// so keys pressed for play do not turn up in a later line. A held key
// types once; Enter gives the character 10, Backspace 8, characters beyond
// Latin-1 '?'.
RtString readKeyChar();
// As readKeyChar, 1 for a character and 0 for none.
double keyCharPressed();
// Waits until a character is typed, and takes it.
void waitKey();
// Lets the player edit the text at (x, y) with the current font, frame by
// frame over the screen as it was, until Enter; Backspace removes the last
// character. What is typed after the Enter waits for the next read.
void inputLine(RtString& text, double x, double y);

// --- Joysticks (numbers 0 to 9, plugged in or out while the game runs) --

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
// Button b (from 0) of joystick n: 1 while held, and once more for a press
// that came and went since the last read of it; 0 for a button it lacks.
double joystickButton(double n, double b);
// The standard pad layout (kPadA ...), for joysticks SDL's mapping
// database knows (most common pads, or SDL_GAMECONTROLLERCONFIG); read as
// joystickButton reads. 0 for a joystick without a mapping.
double padButton(double n, double button);
// A pad axis (kPadLeftX ...); 0 for a joystick without a mapping.
double padAxis(double n, double axis);
// Empty text for a number without a joystick.
RtString joystickName(double n);
// Joysticks plugged in now. One keeps its number while it stays plugged in;
// a new one takes the lowest free number.
double joystickCount();
// Shakes the joystick for the time given with the force (fx, fy), each
// -1 to 1; nothing for a joystick that cannot.
void joystickRumble(double n, double durationMs, double forceX, double forceY);

}  // namespace vorlan
