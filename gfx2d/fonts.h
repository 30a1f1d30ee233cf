// Fonts in the top 32 sprite slots. Internal to the runtime.
#pragma once

#include <cstddef>
#include <cstdint>

#include "gfx2d/sprite_slots.h"
#include "gfx2d/text_layout.h"

namespace vorlan {

inline int32_t fontSlot(int32_t font) {
    return FONT_SLOT_BASE + font;
}

// The font printText uses; 0 at start-up.
int32_t currentFont();

// Puts the built-in 8 x 8 font into the font's slot, freeing what was
// there first.
void makeBuiltinFont(int32_t font);

// Font 0 at start-up: "smalfont.bmp" when it loads, else the built-in font;
// a missing file is no failure here.
void loadStartupFont();

// The cell grid of the font as its slot holds it.
FontGrid fontGridOf(int32_t font);

// Draws the text of `length` bytes, read as nextCharacter says, with the
// font; the first cell's top-left corner at (x, y) rounded up to whole pixels.
void printString(int32_t font, const char* bytes, size_t length, double x, double y);

}  // namespace vorlan
