// Keyboard by scan code, and the idle step of the waiting operations.
#pragma once

namespace vorlan {

// Handles the window's pending events, so that the keys, clicks and
// characters that came in are recorded before a read.
void readKeyboard();
// The start of a frame: takes in the events and begins a new frame for the
// mouse movement and the typed text.
void beginInputFrame();
// True when Escape (while setEscQuits is on) or Alt+F4 was pressed since
// the last look, however briefly, or is held.
bool quitKeysPressed();
// The scan code a game's key number stands for: truncated, then its low
// byte (256 is 0, -56 is 200); NaN and numbers beyond 32 bits are 0.
int scanCodeOf(double code);

}  // namespace vorlan
