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

void layoutGlyphs(const FontGrid& grid, const uint8_t* bytes, size_t count, double x, double y,
                  GlyphQuad* out) {
    float fs = grid.columnStep;
    float ft = grid.rowStep;
    float top = static_cast<float>(y);
    float bottom = static_cast<float>(y + grid.cellHeight);
    for (size_t i = 0; i < count; ++i) {
        int32_t code = glyphCode(bytes[i], grid);
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
