// The built-in font picture, pixel by pixel.
#include <gtest/gtest.h>

#include <bit>
#include <string>

#include "gfx2d/builtin_font.h"

namespace vorlan {
namespace {

// One cell as text: 'W' white glyph, 'o' dark outline, '.' transparent.
std::string cellPicture(const PixelBuffer& font, int code) {
    std::string picture;
    for (int y = 8 * (code / 16); y < 8 * (code / 16) + 8; ++y) {
        for (int x = 8 * (code % 16); x < 8 * (code % 16) + 8; ++x) {
            const uint8_t* p = font.row(y) + x * 4;
            bool grey = p[0] == p[1] && p[1] == p[2];
            if (p[3] == 0 && (p[0] | p[1] | p[2]) == 0) {
                picture += '.';
            } else if (p[3] == 255 && grey && (p[0] == 255 || p[0] == 8)) {
                picture += p[0] == 255 ? 'W' : 'o';
            } else {
                picture += '?';
            }
        }
        picture += '\n';
    }
    return picture;
}

TEST(BuiltinFont, GlyphsWithOutlineInTheirCells) {
    PixelBuffer font;
    ASSERT_TRUE(makeBuiltinFontPicture(font));
    ASSERT_EQ(font.width(), 128);
    ASSERT_EQ(font.height(), 64);
    EXPECT_EQ(cellPicture(font, 'A'),
              "..ooo...\n.oWWWo..\n.oWoWo..\n.oWWWo..\n.oWoWo..\n.oWoWo..\n..o.o...\n........\n");
    EXPECT_EQ(cellPicture(font, '!'),
              "........\n...o....\n..oWo...\n..oWo...\n..oWo...\n...o....\n..oWo...\n...o....\n");
    for (int code = 0; code < 128; ++code) {
        std::string picture = cellPicture(font, code);
        EXPECT_EQ(picture.find('?'), std::string::npos) << code;
        int white = 0;
        for (int y = 0; y < 8; ++y) {
            EXPECT_EQ(picture[y * 9 + 7], '.') << code;  // neighbours' outlines never touch
            for (int x = 0; x < 8; ++x) white += picture[y * 9 + x] == 'W';
        }
        EXPECT_EQ(white, code < 32 ? 0 : std::popcount(builtinGlyphBits(code))) << code;
    }
}

}  // namespace
}  // namespace vorlan
