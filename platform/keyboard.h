// The keyboard state, indexed by DirectInput scan code (1 Escape, 17 W,
// 30 A, 56 left Alt, 62 F4, 200 Up, 203 Left, 205 Right, 208 Down, ...), the
// codes games written for this runtime use.
#pragma once

#include <cstdint>

namespace vorlan::platform {

constexpr int kKeyCount = 256;

// Fills keys[code] with 0x80 for every held key and 0 otherwise, from the
// state of the last event pump.
void snapshotKeyboard(uint8_t keys[kKeyCount]);

// The character the last press of this key typed, as the platform's text
// input delivered it (so layout, Shift, AltGr and Caps Lock apply), in
// Latin-1; 0 when that press typed nothing or a character beyond Latin-1.
uint8_t typedCharacter(int scanCode);

// Called by the event pump: a key went down (an SDL scancode), and the text
// that press typed.
void noteKeyPress(int sdlScancode);
void noteTypedText(const char* utf8);

}  // namespace vorlan::platform
