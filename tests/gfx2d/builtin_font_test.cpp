// The built-in font picture, pixel by pixel.
#include <gtest/gtest.h>

#include <bit>
#include <string>

#include "gfx2d/builtin_font.h"

namespace vorlan {
namespace {

// 'W' white glyph, 'o' dark outline, '.' transparent.
char kind(const PixelBuffer& font, int x, int y) {
    const uint8_t* p = font.row(y) + x * 4;
    if (p[3] == 0) return (p[0] | p[1] | p[2]) == 0 ? '.' : '?';
    if (p[3] != 255 || p[0] != p[1] || p[1] != p[2]) return '?';
    return p[0] == 255 ? 'W' : p[0] == 8 ? 'o' : '?';
}

std::string cellPicture(const PixelBuffer& font, int code) {
    std::string picture;
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) picture += kind(font, 8 * (code % 16) + x, 8 * (code / 16) + y);
        picture += '\n';
    }
    return picture;
}

TEST(BuiltinFont, GlyphsWithOutlineInTheirCells) {
    PixelBuffer font;
    ASSERT_TRUE(makeBuiltinFontPicture(font));
    ASSERT_EQ(font.width(), 128);
    ASSERT_EQ(font.height(), 64);
    struct Case {
        int code;
        const char* picture;
    };
    for (Case c : {Case{'A',
                        "..ooo...\n"
                        ".oWWWo..\n"
                        ".oWoWo..\n"
                        ".oWWWo..\n"
                        ".oWoWo..\n"
                        ".oWoWo..\n"
                        "..o.o...\n"
                        "........\n"},
                   {'_',
                    "........\n"
                    "........\n"
                    "........\n"
                    "........\n"
                    "..ooo...\n"
                    ".oWWWo..\n"
                    "..ooo...\n"
                    "........\n"},
                   {'!',
                    "........\n"
                    "...o....\n"
                    "..oWo...\n"
                    "..oWo...\n"
                    "..oWo...\n"
                    "...o....\n"
                    "..oWo...\n"
                    "...o....\n"},
                   {' ',
                    "........\n........\n........\n........\n"
                    "........\n........\n........\n........\n"}}) {
        EXPECT_EQ(cellPicture(font, c.code), c.picture) << "code " << c.code;
    }
}

TEST(BuiltinFont, WholePictureHoldsOnlyGlyphsOutlinesAndClearSpace) {
    PixelBuffer font;
    ASSERT_TRUE(makeBuiltinFontPicture(font));
    for (int code = 0; code < 128; ++code) {
        SCOPED_TRACE(code);
        std::string picture = cellPicture(font, code);
        EXPECT_EQ(picture.find('?'), std::string::npos) << picture;
        int white = 0;
        for (int y = 0; y < 8; ++y) {
            // Column 7 and the glyph's own frame stay clear of white.
            EXPECT_EQ(picture[y * 9 + 7], '.');
            for (int x = 0; x < 8; ++x) {
                char k = picture[y * 9 + x];
                if (k != 'W') continue;
                ++white;
                EXPECT_TRUE(x >= 1 && x <= 5 && y >= 1 && y <= 6) << x << "," << y;
                // Every white pixel is bordered by white or outline, never by
                // transparency, so text stays readable on any background.
                for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
                    EXPECT_NE(picture[(y + dy) * 9 + x + dx], '.') << x << "," << y;
                }
            }
        }
        EXPECT_EQ(white, std::popcount(builtinGlyphBits(code)));
        if (code < 32) {
            EXPECT_EQ(white, 0);
        }
    }
}

}  // namespace
}  // namespace vorlan
