#include "gfx2d/builtin_font.h"

namespace vorlan {

namespace {

constexpr int kFirstCode = 32;
constexpr int kCellSize = 8;

constexpr uint32_t kGlyphs[96] = {
    0x00000000, 0x08021080, 0x00002940, 0x15F57D40, 0x08E619C4, 0x14222140, 0x0ED114E0, 0x00001080,
    0x08210880, 0x04421040, 0x09575480, 0x08471080, 0x04400000, 0x00070000, 0x08000000, 0x04222100,
    0x00E5294E, 0x004210C4, 0x00E1390E, 0x00E4390E, 0x0084394A, 0x00E4384E, 0x00E5384E, 0x0042210E,
    0x00E5394E, 0x00E4394E, 0x00020080, 0x00220080, 0x00820888, 0x000701C0, 0x00222082, 0x0040310E,
    0x00E0B526, 0x00A5394E, 0x00E5194E, 0x00E5094E, 0x00E52946, 0x00E1384E, 0x0021384E, 0x00E5284E,
    0x00A5394A, 0x00E2108E, 0x00E5210C, 0x00A5194A, 0x00E10842, 0x015AD6BF, 0x00A5294E, 0x00E5294E,
    0x0021394E, 0x00F294A7, 0x00A5194E, 0x00E4384E, 0x0042108E, 0x00E5294A, 0x0045294A, 0x01FAD6B5,
    0x00A5114A, 0x0042394A, 0x00E1110E, 0x00610846, 0x01041041, 0x00621086, 0x00000144, 0x00E00000,
    0x00000082, 0x00E53000, 0x00E53842, 0x00E13800, 0x00E53908, 0x08273800, 0x00423888, 0x08873800,
    0x00A51842, 0x00421004, 0x04421004, 0x00A32842, 0x00421084, 0x015ABC00, 0x00A51800, 0x00E53800,
    0x04E51800, 0x10E53000, 0x00253800, 0x00E409C0, 0x00C23884, 0x00C52800, 0x00452800, 0x00EAD400,
    0x00A22800, 0x1C872800, 0x00E121C0, 0x00821888, 0x00421084, 0x00223082, 0x0002A800, 0x3F18C63F,
};

// Whether cell position (i, j) shows a glyph pixel: the glyph sits one
// pixel in from the cell's top-left corner, so the outline fits around it.
bool lit(uint32_t bits, int i, int j) {
    if (i < 1 || i > 5 || j < 1 || j > 6) return false;
    return (bits >> (5 * (j - 1) + i - 1)) & 1;
}

void setPixel(PixelBuffer& out, int x, int y, uint8_t grey) {
    uint8_t* p = out.row(y) + x * 4;
    p[0] = p[1] = p[2] = grey;
    p[3] = 255;
}

}  // namespace

uint32_t builtinGlyphBits(int code) {
    if (code < kFirstCode || code >= kFirstCode + 96) return 0;
    return kGlyphs[code - kFirstCode];
}

bool makeBuiltinFontPicture(PixelBuffer& out) {
    if (!out.resize(kBuiltinFontWidth, kBuiltinFontHeight)) return false;
    for (int gy = 0; gy < 6; ++gy) {
        for (int cx = 0; cx < 16; ++cx) {
            uint32_t bits = builtinGlyphBits(kFirstCode + 16 * gy + cx);
            int left = kCellSize * cx;
            int top = 2 * kCellSize + kCellSize * gy;
            // Column 7 stays clear so neighbouring outlines never touch.
            for (int j = 0; j < kCellSize; ++j) {
                for (int i = 0; i < kCellSize - 1; ++i) {
                    if (lit(bits, i, j)) {
                        setPixel(out, left + i, top + j, 255);
                    } else if (lit(bits, i + 1, j) || lit(bits, i - 1, j) || lit(bits, i, j - 1) ||
                               lit(bits, i, j + 1)) {
                        setPixel(out, left + i, top + j, 8);
                    }
                }
            }
        }
    }
    return true;
}

}  // namespace vorlan
