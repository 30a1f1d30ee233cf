// What came in between two reads: the keys and buttons that went down (and
// perhaps up again) since a game last looked, and the characters typed, all
// taken from the platform's input events in the order they happened.
#pragma once

#include <cstdint>

namespace vorlan {

// Starts and stops taking the platform's input events; starting forgets
// everything from before.
void startInputEvents();
void stopInputEvents();

// Keys by scan code; a code outside 0..255 is never held or pressed.
bool keyHeld(int scanCode);
// Held now, or pressed since the last look at this key; the press is then
// seen.
bool takeKeySeen(int scanCode);
// Presses since the last count of this key.
uint32_t takeKeyHits(int scanCode);
bool anyKeyHeld();
// Counts every input event taken, so a wait can tell that something came.
uint64_t inputEventCount();
// Escape pressed or held (counted only while escQuits), or Alt+F4; the
// presses looked at are forgotten either way.
bool takeQuitKeys(bool escQuits);
// The oldest typed character not yet read (Enter 10, Backspace 8); 0 when
// none is left.
uint8_t takeTypedCharacter();
// At each frame: if no text was read during the frame that ended, the
// characters typed before it are dropped. Text typed for a reader waits
// for it; keys pressed for play do not turn up in a later line of text.
void ageTypedText();

// Mouse buttons: 0 left, 1 right, 2 middle.
bool takeButtonPress(int button);
uint32_t takeButtonHits(int button);

// Joystick buttons, and the standard pad buttons, pressed since the last
// look at that button.
bool takeJoystickPress(int slot, int button);
bool takePadPress(int slot, int button);

}  // namespace vorlan
