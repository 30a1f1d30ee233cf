// Fonts and printing on the real driver, read back from the back buffer.
#include <vorlan/fonts.h>
#include <vorlan/sprites.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "gfx2d/builtin_font.h"
#include "gfx2d/fonts.h"
#include "gfx2d/gl_surface.h"
#include "gfx2d/sprite_slots.h"

namespace vorlan {
namespace {

using test::Picture;

constexpr uint32_t kGround = 0x30A050;  // 0xRRGGBB of the rectangle text is printed on

// Cell `code` of the test fonts: a colour of its own, never black (the
// font key colour).
uint32_t cellColour(int32_t code) {
    return static_cast<uint32_t>(code) << 16 | static_cast<uint32_t>(255 - code) << 8 |
           static_cast<uint32_t>((code * 37) & 0xFF);
}

class Fonts : public test::GLSurface {
  protected:
    void SetUp() override {
        GLSurface::SetUp();
        fillRect(0, 0, 320, 240, 0x50A030);  // kGround as red + 256 green + 65536 blue
    }
    std::string cellFont(int32_t width, int32_t height) {
        int32_t rows = width < height ? 16 : 8;
        Picture p = test::picture(width, height);
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width; ++x) {
                uint32_t c = cellColour(y * rows / height * 16 + x * 16 / width);
                uint8_t* px = p.at(x, y);
                px[0] = static_cast<uint8_t>(c >> 16);
                px[1] = static_cast<uint8_t>(c >> 8);
                px[2] = static_cast<uint8_t>(c);
                px[3] = 255;
            }
        }
        return writePng("font.png", p);
    }
};

class BuiltinFont : public Fonts {};

// A block of the screen as text: 'W' white, 'o' the dark outline, '.' ground.
std::string shownAsText(const Picture& p, int32_t left, int32_t top, int32_t width,
                        int32_t height) {
    std::string text;
    for (int32_t y = top; y < top + height; ++y) {
        for (int32_t x = left; x < left + width; ++x) {
            uint32_t c = p.rgbAt(x, y);
            text += c == 0xFFFFFF ? 'W' : c == 0x080808 ? 'o' : c == kGround ? '.' : '?';
        }
        text += '\n';
    }
    return text;
}

TEST_F(BuiltinFont, GlyphsWithOutlineInTheirCells) {
    loadFont("", 0);
    double w = 0, h = 0;
    getFontSize(w, h);
    EXPECT_TRUE(w == 8 && h == 8) << w << "x" << h;
    // 10.5 rounds up to 11; 0xC1 folds onto 'A' in a 128-cell font.
    printText("A\xC1!", 10.5, 20);
    EXPECT_EQ(shownAsText(screen(), 10, 19, 26, 10),
              "..........................\n"
              "...ooo.....ooo............\n"
              "..oWWWo...oWWWo.....o.....\n"
              "..oWoWo...oWoWo....oWo....\n"
              "..oWWWo...oWWWo....oWo....\n"
              "..oWoWo...oWoWo....oWo....\n"
              "..oWoWo...oWoWo.....o.....\n"
              "...o.o.....o.o.....oWo....\n"
              "....................o.....\n"
              "..........................\n");
    // Every cell: glyph, outline or clear, and a clear last column so that
    // neighbours' outlines never touch.
    PixelBuffer font;
    ASSERT_TRUE(makeBuiltinFontPicture(font));
    ASSERT_EQ(font.width() * 1000 + font.height(), 128 * 1000 + 64);
    for (int32_t i = 0; i < 128 * 64; ++i) {
        const uint8_t* p = font.row(i / 128) + i % 128 * 4;
        bool clear = p[3] == 0 && (p[0] | p[1] | p[2]) == 0;
        bool ink = p[3] == 255 && p[0] == p[1] && p[1] == p[2] && (p[0] == 255 || p[0] == 8);
        ASSERT_TRUE(clear || (ink && i % 8 != 7)) << i % 128 << "," << i / 128;
    }
}

TEST_F(Fonts, CellFontsOfManySizesPrintTheirCells) {
    struct Case {
        int32_t width, height, cellWidth, cellHeight;
    };
    // 96 x 48, 240 x 120 and 48 x 96 are no powers of two: their cells are
    // fractions of the texture.
    for (Case c : {Case{256, 128, 16, 16},
                   {128, 256, 8, 16},
                   {256, 256, 16, 32},
                   {96, 48, 6, 6},
                   {240, 120, 15, 15},
                   {48, 96, 3, 6}}) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        glClear(GL_COLOR_BUFFER_BIT);
        loadFont(cellFont(c.width, c.height).c_str(), 3);
        double w = 0, h = 0;
        getFontSize(w, h);
        ASSERT_TRUE(w == c.cellWidth && h == c.cellHeight) << w << "x" << h;
        // UTF-8 for U+0080..U+00FF prints the character's cell, other
        // characters "?"; bytes that are no UTF-8 (Latin-1) their own cells.
        const struct {
            const char* text;
            std::vector<int32_t> cells;
        } lines[] = {
            {"\x01\x11"
             "A\x7F\x80\xC1\xFF",
             {0x01, 0x11, 'A', 0x7F, 0x80, 0xC1, 0xFF}},
            {"caf\xC3\xA9 caf\xE9", {'c', 'a', 'f', 0xE9, ' ', 'c', 'a', 'f', 0xE9}},
            {"\xC2\x80\xC3\xBF\xE2\x82\xAC\xF0\x9F\x98\x80", {0x80, 0xFF, '?', '?'}},
            {"\xC3(\xC0\xAF\xED\xA0\x80\xE2\x82",
             {0xC3, '(', 0xC0, 0xAF, 0xED, 0xA0, 0x80, 0xE2, 0x82}},
        };
        for (size_t line = 0; line < std::size(lines); ++line) {
            printText(lines[line].text, 4, 7 + c.cellHeight * static_cast<double>(line));
        }
        Picture shown = screen();
        int32_t cells = c.width < c.height ? 256 : 128;
        for (size_t line = 0; line < std::size(lines); ++line) {
            const std::vector<int32_t>& want = lines[line].cells;
            EXPECT_EQ(textWidth(lines[line].text), want.size() * c.cellWidth) << line;
            for (size_t i = 0; i < want.size(); ++i) {
                for (int32_t p = 0; p < c.cellWidth * c.cellHeight; ++p) {
                    int32_t x = 4 + static_cast<int32_t>(i) * c.cellWidth + p % c.cellWidth;
                    int32_t y = 7 + static_cast<int32_t>(line) * c.cellHeight + p / c.cellWidth;
                    ASSERT_EQ(shown.rgbAt(x, y), cellColour(want[i] % cells))
                        << "line " << line << ", character " << i;
                }
            }
        }
    }
}

TEST_F(Fonts, NumbersOutsideTheTableTouchNoFontAndFallbacksStartFromAnEmptySlot) {
    std::string big = cellFont(256, 128);
    // Tested while still a double: truncating first would overflow.
    const double inf = std::numeric_limits<double>::infinity();
    loadFont(big.c_str(), 31);
    for (double number : {40.0, -1.0, std::nan(""), inf, -inf, 1e300}) {
        loadFont("no such font.png", number);
        setFont(number);
        EXPECT_EQ(currentFont(), 31) << number;
        EXPECT_EQ(spriteCollision(FONT_SLOT_BASE + 31, 0, 0, FONT_SLOT_BASE + 31, 100, 50), 1)
            << "font 31 was replaced by " << number;
    }
    for (auto [number, font] : {std::pair{5.9, 5}, {-0.5, 0}, {31.9, 31}}) {
        loadFont(big.c_str(), number);
        EXPECT_EQ(currentFont(), font) << number;
        int32_t slot = FONT_SLOT_BASE + font;
        // A collision test reads the font's mask; the fallback must drop it.
        EXPECT_EQ(spriteCollision(slot, 0, 0, slot, 100, 50), 1);
        loadFont("no such font.png", number);
        EXPECT_EQ(spriteCollision(slot, 0, 0, slot, 120, 56), 0) << "clear top-left cell";
        double w = 0, h = 0;
        getFontSize(w, h);
        EXPECT_TRUE(w == 8 && h == 8) << w << "x" << h;
    }
    setFont(20);  // never loaded: measures 0 x 0 and prints nothing
    double w = 1, h = 1;
    getFontSize(w, h);
    EXPECT_TRUE(w == 0 && h == 0) << w << "x" << h;
    printText("empty", 0, 0);
    EXPECT_EQ(screen().rgbAt(2, 2), kGround);
}

TEST_F(Fonts, LongTextsAndNumbersPrintEveryCell) {
    loadFont(cellFont(128, 64).c_str(), 0);
    std::string text(1000, 'x');
    for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char>(1 + i % 127);
    // Glyph 250 lands at x = 8: the glyphs around index 256 are on screen.
    printText(text.c_str(), -250 * 8 + 8, 0);
    printNumber(-12.5, 0, 100);
    Picture shown = screen();
    for (int32_t i = 250; i < 250 + 39; ++i) {
        EXPECT_EQ(shown.rgbAt(8 + (i - 250) * 8 + 3, 4), cellColour(1 + i % 127)) << i;
    }
    RtString number = numberToText(-12.5);
    for (uint32_t i = 0; i <= number.length(); ++i) {
        uint32_t want = i < number.length() ? cellColour(number.cStr()[i]) : kGround;
        EXPECT_EQ(shown.rgbAt(static_cast<int32_t>(i) * 8 + 4, 104), want) << i;
    }
}

}  // namespace
}  // namespace vorlan
