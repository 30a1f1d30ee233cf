// Fonts and printing on the real driver, read back from the back buffer.
#include <vorlan/fonts.h>
#include <vorlan/sprites.h>

#include <cmath>
#include <limits>
#include <string>

#include "gfx2d/builtin_font.h"
#include "gfx2d/fonts.h"
#include "gfx2d/gl_surface.h"

namespace vorlan {
namespace {

using test::Picture;

constexpr uint32_t kGround = 0x30A050;  // the rectangle text is printed on

uint32_t rgbAt(const Picture& p, int32_t x, int32_t y) {
    const uint8_t* px = p.at(x, y);
    return uint32_t{px[0]} << 16 | uint32_t{px[1]} << 8 | px[2];
}

// The colour of cell `code` in the test fonts: unique, never black (black
// is the font key colour).
uint32_t cellColour(int32_t code) {
    return static_cast<uint32_t>(code) << 16 | static_cast<uint32_t>(255 - code) << 8 |
           static_cast<uint32_t>((code * 37) & 0xFF);
}

class Fonts : public test::GLSurface {
  protected:
    void SetUp() override {
        GLSurface::SetUp();
        // The ground, as a colour value: red + 256 x green + 65536 x blue.
        fillRect(0, 0, 320, 240, (kGround >> 16) | (kGround & 0xFF00) | (kGround & 0xFF) << 16);
    }

    // A font picture of width x height whose cells each have one colour.
    std::string cellFont(const std::string& name, int32_t width, int32_t height) {
        int32_t rows = width < height ? 16 : 8;
        Picture p = test::picture(width, height);
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width; ++x) {
                int32_t column = x * 16 / width;
                int32_t row = y * rows / height;
                uint32_t c = cellColour(row * 16 + column);
                uint8_t* px = p.at(x, y);
                px[0] = static_cast<uint8_t>(c >> 16);
                px[1] = static_cast<uint8_t>(c >> 8);
                px[2] = static_cast<uint8_t>(c);
                px[3] = 255;
            }
        }
        return writePng(name, p);
    }

    // What cell (x, y) of the built-in font picture shows over the ground.
    static uint32_t builtinOverGround(const PixelBuffer& font, int32_t x, int32_t y) {
        const uint8_t* px = font.row(y) + x * 4;
        if (px[3] == 0) return kGround;
        return uint32_t{px[0]} << 16 | uint32_t{px[1]} << 8 | px[2];
    }
};

TEST_F(Fonts, BuiltinGlyphsLandOnWholePixelsWithOutlineAndClearColumns) {
    loadFont("", 0);
    double w = 0, h = 0;
    getFontSize(w, h);
    EXPECT_EQ(w, 8);
    EXPECT_EQ(h, 8);
    PixelBuffer font;
    ASSERT_TRUE(makeBuiltinFontPicture(font));
    // 10.5 rounds up to 11; 0xC1 folds onto 'A' in a 128-cell font.
    printText("A\xC1!", 10.5, 20);
    Picture shown = screen();
    struct Cell {
        int32_t left;
        int code;
    };
    for (Cell cell : {Cell{11, 'A'}, {19, 'A'}, {27, '!'}}) {
        for (int32_t y = 0; y < 8; ++y) {
            for (int32_t x = 0; x < 8; ++x) {
                uint32_t want =
                    builtinOverGround(font, 8 * (cell.code % 16) + x, 8 * (cell.code / 16) + y);
                ASSERT_EQ(rgbAt(shown, cell.left + x, 20 + y), want)
                    << "cell at " << cell.left << ", pixel " << x << "," << y;
            }
        }
    }
    // Nothing outside the three cells.
    for (int32_t x = 0; x < 320; ++x) {
        EXPECT_EQ(rgbAt(shown, x, 19), kGround);
        EXPECT_EQ(rgbAt(shown, x, 28), kGround);
    }
    EXPECT_EQ(rgbAt(shown, 10, 22), kGround);
    EXPECT_EQ(rgbAt(shown, 35, 22), kGround);
}

TEST_F(Fonts, CellFontsOfManySizesPrintTheirCells) {
    struct Case {
        int32_t width, height, cellWidth, cellHeight;
    };
    // 96 x 48 and 240 x 120 are no powers of two: their cells are fractions
    // of the texture.
    for (Case c : {Case{256, 128, 16, 16},
                   {128, 256, 8, 16},
                   {256, 256, 16, 32},
                   {96, 48, 6, 6},
                   {240, 120, 15, 15},
                   {48, 96, 3, 6}}) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        glClear(GL_COLOR_BUFFER_BIT);
        loadFont(cellFont("cells.png", c.width, c.height).c_str(), 3);
        double w = 0, h = 0;
        getFontSize(w, h);
        ASSERT_EQ(w, c.cellWidth);
        ASSERT_EQ(h, c.cellHeight);
        const std::string text =
            "\x01\x11"
            "A\x7F\x80\xC1\xFF";
        printText(text.c_str(), 4, 7);
        Picture shown = screen();
        int32_t cells = c.width < c.height ? 256 : 128;
        for (size_t i = 0; i < text.size(); ++i) {
            uint32_t want = cellColour(static_cast<uint8_t>(text[i]) % cells);
            int32_t left = 4 + static_cast<int32_t>(i) * c.cellWidth;
            for (int32_t y = 0; y < c.cellHeight; ++y) {
                for (int32_t x = 0; x < c.cellWidth; ++x) {
                    ASSERT_EQ(rgbAt(shown, left + x, 7 + y), want)
                        << "byte " << i << ", pixel " << x << "," << y;
                }
            }
        }
    }
}

TEST_F(Fonts, FontNumbersAreLimitedAndMissingFilesGiveTheBuiltinFont) {
    std::string big = cellFont("big.png", 256, 128);
    struct Case {
        double number;
        int32_t font;
    };
    for (Case c :
         {Case{40, 31}, {-3, 0}, {std::numeric_limits<double>::quiet_NaN(), 0}, {7.9, 7}}) {
        SCOPED_TRACE(c.number);
        loadFont(big.c_str(), c.number);
        EXPECT_EQ(currentFont(), c.font);
        EXPECT_EQ(renderer->slots.width[FONT_SLOT_BASE + c.font], 256);
        loadFont("no such font.png", c.number);
        double w = 0, h = 0;
        getFontSize(w, h);
        EXPECT_EQ(w, 8);
        EXPECT_EQ(h, 8);
    }
    setFont(31);
    EXPECT_EQ(currentFont(), 31);
    setFont(1e300);
    EXPECT_EQ(currentFont(), 31);
    // An empty font prints nothing and measures 0 x 0.
    setFont(20);
    double w = 1, h = 1;
    getFontSize(w, h);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 0);
    printText("empty", 0, 0);
    EXPECT_EQ(rgbAt(screen(), 2, 2), kGround);
}

TEST_F(Fonts, FallingBackToTheBuiltinFontDropsTheOldCollisionMask) {
    int32_t slot = FONT_SLOT_BASE + 5;
    loadFont(cellFont("solid.png", 256, 128).c_str(), 5);
    // Every pixel of the solid font is opaque: a collision test reads its mask.
    EXPECT_EQ(spriteCollision(slot, 0, 0, slot, 100, 50), 1);
    ASSERT_NE(renderer->slots.alphaMask[slot], nullptr);
    loadFont("missing.bmp", 5);
    EXPECT_EQ(renderer->slots.alphaMask[slot], nullptr);
    EXPECT_EQ(renderer->slots.width[slot], 128);
    // The built-in font's top-left cell is clear: no collision there now.
    EXPECT_EQ(spriteCollision(slot, 0, 0, slot, 120, 56), 0);
}

TEST_F(Fonts, LongTextsPrintAcrossTheBatchBoundary) {
    loadFont(cellFont("cells.png", 128, 64).c_str(), 0);
    std::string text(1000, 'x');
    // Texts hold no NUL byte.
    for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char>(1 + i % 127);
    // Glyph 250 lands at x = 8: the glyphs around index 256 are on screen.
    printText(text.c_str(), -250 * 8 + 8, 0);
    Picture shown = screen();
    for (int32_t i = 250; i < 250 + 39; ++i) {
        int32_t left = 8 + (i - 250) * 8;
        EXPECT_EQ(rgbAt(shown, left + 3, 4), cellColour(1 + i % 127)) << "glyph " << i;
    }
}

TEST_F(Fonts, PrintNumberWritesTheNumberAsText) {
    loadFont(cellFont("cells.png", 128, 64).c_str(), 0);
    printNumber(-12.5, 0, 0);
    RtString expected = numberToText(-12.5);
    Picture shown = screen();
    for (uint32_t i = 0; i < expected.length(); ++i) {
        EXPECT_EQ(rgbAt(shown, static_cast<int32_t>(i) * 8 + 4, 4),
                  cellColour(static_cast<uint8_t>(expected.cStr()[i])));
    }
    EXPECT_EQ(rgbAt(shown, static_cast<int32_t>(expected.length()) * 8 + 4, 4), kGround);
}

}  // namespace
}  // namespace vorlan
