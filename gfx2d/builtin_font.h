// The font every program has even without a font file: white 5 x 6 glyphs
// with a dark outline in 8 x 8 cells. Internal to the runtime.
#pragma once

#include <cstdint>

#include "gfx2d/pixel_buffer.h"

namespace vorlan {

inline constexpr int32_t kBuiltinFontWidth = 128;
inline constexpr int32_t kBuiltinFontHeight = 64;

// The glyph bits of character code c (32 to 127): bit 5 x row + column is
// set when that pixel of the 5 x 6 glyph is lit. 0 for other codes.
uint32_t builtinGlyphBits(int code);

// Fills `out` with the 128 x 64 picture (16 x 8 cells, codes 0 to 31
// empty); false when the buffer cannot be allocated.
bool makeBuiltinFontPicture(PixelBuffer& out);

}  // namespace vorlan
