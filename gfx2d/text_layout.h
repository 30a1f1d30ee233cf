// Where the glyphs of a bitmap font sit and where printed text goes: the
// arithmetic of printing, apart from OpenGL. Internal to the runtime.
#pragma once

#include <cstddef>
#include <cstdint>

#include "gfx2d/draw_state.h"

namespace vorlan {

inline constexpr int32_t kFontCount = 32;
inline constexpr int32_t kFontColumns = 16;

// The cell grid of a font picture of width x height pixels stored in a
// texture of textureWidth x textureHeight: 16 columns always, 16 rows when
// the picture is taller than wide, else 8.
struct FontGrid {
    int32_t rows = 8;
    int32_t cellWidth = 0;
    int32_t cellHeight = 0;
    // One column and one row in texture coordinates.
    float columnStep = 0;
    float rowStep = 0;

    int32_t cellCount() const { return kFontColumns * rows; }
};

FontGrid fontGrid(int32_t width, int32_t height, int32_t textureWidth, int32_t textureHeight);

// A font number from the game: limited to 0..31 before truncation, so
// that huge values and NaN (which gives 0) stay in range.
int32_t fontNumber(double number);

// The cell a character prints: codes fold modulo the cell count.
inline int32_t glyphCode(uint8_t code, const FontGrid& grid) {
    return code % grid.cellCount();
}

// Reads the next character of a text at `bytes` (length > 0) into `code`
// and gives the bytes it took. A UTF-8 sequence for U+0080..U+00FF is that
// character; one for any other character beyond ASCII is "?". A byte that
// starts no valid sequence is itself, so Latin-1 text prints as it always
// did.
size_t nextCharacter(const uint8_t* bytes, size_t length, uint8_t& code);

// The number of characters (cells) the text prints.
size_t printedLength(const char* text, size_t length);

// One glyph's quad: bottom-left, bottom-right, top-right, top-left.
using GlyphQuad = QuadCorner[4];

// Glyphs per draw call: long texts go in batches of this many, so the
// vertex block has a fixed size.
inline constexpr size_t kTextBatch = 256;

// Writes one quad per character for `count` character codes whose first
// cell's top-left corner is (x, y); the cells follow each other one cell
// width apart.
void layoutGlyphs(const FontGrid& grid, const uint8_t* codes, size_t count, double x, double y,
                  GlyphQuad* out);

}  // namespace vorlan
