// Keyboard by scan code: a snapshot taken once per frame.
#pragma once

#include <cstdint>

namespace vorlan {

// Takes a fresh snapshot of the keyboard.
void readKeyboard();
// True when the key with this scan code was held at the last snapshot.
bool keyHeld(int scanCode);

}  // namespace vorlan
