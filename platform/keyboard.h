// Keys by DirectInput scan code (1 Escape, 17 W, 30 A, 56 left Alt, 62 F4,
// 200 Up, 203 Left, 205 Right, 208 Down, ...), the codes games written for
// this runtime use, and the text keys type.
#pragma once

#include <string>

namespace vorlan::platform {

constexpr int kKeyCount = 256;

// The scan code of an SDL scancode; 0 for a key the runtime does not name.
int scanCodeOf(int sdlScancode);

// Typed text as the runtime's one-byte characters: U+0001 to U+00FF as
// their Latin-1 byte, control characters left out, anything beyond Latin-1
// and every broken UTF-8 sequence as one '?'.
std::string latin1FromUtf8(const char* utf8);

}  // namespace vorlan::platform
