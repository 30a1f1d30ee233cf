#include "gfx2d/text_layout.h"

#include <cmath>

namespace vorlan {

FontGrid fontGrid(int32_t width, int32_t height, int32_t textureWidth, int32_t textureHeight) {
    FontGrid grid;
    grid.rows = width < height ? 16 : 8;
    if (width <= 0 || height <= 0 || textureWidth <= 0 || textureHeight <= 0) return grid;
    grid.cellWidth = width / kFontColumns;
    grid.cellHeight = height / grid.rows;
    // In floating point: a picture narrower than its texture (any size that
    // is not a power of two) has cells that are a fraction of it.
    grid.columnStep = static_cast<float>(static_cast<double>(width) / textureWidth / kFontColumns);
    grid.rowStep = static_cast<float>(static_cast<double>(height) / textureHeight / grid.rows);
    return grid;
}

int32_t fontNumber(double number) {
    if (!(number > 0)) return 0;  // also NaN
    if (number >= kFontCount - 1) return kFontCount - 1;
    return static_cast<int32_t>(number);
}

size_t nextCharacter(const uint8_t* bytes, size_t length, uint8_t& code) {
    uint8_t lead = bytes[0];
    code = lead;
    // The valid range of the second byte follows the lead byte, so that
    // overlong forms, surrogates and code points beyond U+10FFFF stay bytes.
    size_t size = 0;
    uint8_t low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        size = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        size = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        size = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    }
    if (size == 0 || size > length || bytes[1] < low || bytes[1] > high) return 1;
    for (size_t i = 2; i < size; ++i) {
        if ((bytes[i] & 0xC0) != 0x80) return 1;
    }
    // Two-byte sequences from C2 and C3 are U+0080..U+00FF.
    code = size == 2 && lead <= 0xC3 ? static_cast<uint8_t>((lead & 0x03) << 6 | (bytes[1] & 0x3F))
                                     : static_cast<uint8_t>('?');
    return size;
}

size_t printedLength(const char* text, size_t length) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(text);
    size_t characters = 0;
    uint8_t code = 0;
    for (size_t at = 0; at < length; ++characters)
        at += nextCharacter(bytes + at, length - at, code);
    return characters;
}

void layoutGlyphs(const FontGrid& grid, const uint8_t* codes, size_t count, double x, double y,
                  GlyphQuad* out) {
    float fs = grid.columnStep;
    float ft = grid.rowStep;
    float top = static_cast<float>(y);
    float bottom = static_cast<float>(y + grid.cellHeight);
    for (size_t i = 0; i < count; ++i) {
        int32_t code = glyphCode(codes[i], grid);
        float s0 = static_cast<float>(code % kFontColumns) * fs;
        // Texture row 0 is the picture's bottom row.
        float t0 = static_cast<float>(grid.rows - 1 - code / kFontColumns) * ft;
        double left = x + static_cast<double>(i) * grid.cellWidth;
        float x0 = static_cast<float>(left);
        float x1 = static_cast<float>(left + grid.cellWidth);
        QuadCorner* quad = out[i];
        quad[0] = {x0, bottom, s0, t0};
        quad[1] = {x1, bottom, s0 + fs, t0};
        quad[2] = {x1, top, s0 + fs, t0 + ft};
        quad[3] = {x0, top, s0, t0 + ft};
    }
}

}  // namespace vorlan
