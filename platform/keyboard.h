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

}  // namespace vorlan::platform
