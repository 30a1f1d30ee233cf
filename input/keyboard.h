// Keyboard by scan code: a snapshot taken on every keyboard query.
#pragma once

#include <cstdint>

namespace vorlan {

// Pumps the window's events and takes a fresh snapshot of the keyboard, so
// a loop of key queries sees keys go up and down without presenting frames.
void readKeyboard();
// True when the key with this scan code was held at the last snapshot.
bool keyHeld(int scanCode);
// True while Escape (either of its codes) is held at the last snapshot.
bool escapeHeld();
// The scan code a game's key number stands for: truncated, then its low
// byte (256 is 0, -56 is 200); NaN and numbers beyond 32 bits are 0.
int scanCodeOf(double code);
// The character a held key types: 8 for Backspace, 10 for both Enter keys,
// else the typed character when it is printable; 0 for none.
uint8_t keyCharacter(int scanCode);

}  // namespace vorlan
