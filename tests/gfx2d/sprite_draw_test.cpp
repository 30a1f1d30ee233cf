// Sprite and primitive drawing on the real driver, read back from the
// back buffer.
#include <vorlan/sprites.h>

#include <algorithm>
#include <cmath>
#include <functional>

#include "gfx2d/gl_surface.h"

namespace vorlan {
namespace {

using test::gradient;
using test::Picture;
using test::picture;
using test::rgb;

struct Box {
    int32_t left = INT32_MAX, top = INT32_MAX, right = -1, bottom = -1;
    bool operator==(const Box&) const = default;
};

// The smallest box around every non-black pixel.
Box litBox(const Picture& p) {
    Box box;
    for (int32_t y = 0; y < p.height; ++y) {
        for (int32_t x = 0; x < p.width; ++x) {
            const uint8_t* px = p.at(x, y);
            if (px[0] + px[1] + px[2] == 0) continue;
            box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x),
                   std::max(box.bottom, y)};
        }
    }
    return box;
}

class SpriteDraw : public test::GLSurface {
  protected:
    void SetUp() override {
        GLSurface::SetUp();
        source_ = gradient(8, 6);
        loadSprite(writePng("g.png", source_).c_str(), 1);
    }
    Picture source_;
};

TEST_F(SpriteDraw, SpritesLandOnWholePixelsMirroredBySign) {
    struct Case {
        const char* name;
        std::function<void()> draw;
        int32_t left, top;
        bool mirrorX, mirrorY;
    };
    const Case cases[] = {
        {"at 10.2 as at 11", [] { drawSprite(1, 10.2, 5); }, 11, 5, false, false},
        {"stretched", [] { drawSpriteStretched(1, 100, 50, 8, 6); }, 100, 50, false, false},
        {"mirrored", [] { drawSpriteStretched(1, 100, 50, -8, 6); }, 92, 50, true, false},
        {"upside down", [] { drawSpriteStretched(1, 100, 50, 8, -6); }, 100, 44, false, true},
        {"both", [] { drawSpriteStretched(1, 100, 50, -8, -6); }, 92, 44, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        clearScreen();
        c.draw();
        Picture p = screen();
        EXPECT_EQ(litBox(p), (Box{c.left, c.top, c.left + 7, c.top + 5}));
        for (int32_t y = 0; y < 6; ++y) {
            for (int32_t x = 0; x < 8; ++x) {
                const uint8_t* want = source_.at(c.mirrorX ? 7 - x : x, c.mirrorY ? 5 - y : y);
                ASSERT_EQ(rgb(p.at(c.left + x, c.top + y)), rgb(want)) << x << "," << y;
            }
        }
    }
}

TEST_F(SpriteDraw, PositiveAnglesTurnCounterClockwise) {
    // Left half red, right half blue.
    Picture halves = picture(16, 16, 0xFF0000FF);
    for (int32_t y = 0; y < 16; ++y) {
        for (int32_t x = 8; x < 16; ++x) {
            uint8_t* px = halves.at(x, y);
            px[0] = 0;
            px[2] = 255;
        }
    }
    loadSprite(writePng("h.png", halves).c_str(), 2);
    struct Case {
        double angle;
        int32_t blueX, blueY, redX, redY;  // sample points around the centre (108, 108)
    };
    for (Case c : {Case{0, 112, 108, 104, 108}, Case{90, 108, 104, 108, 112},
                   Case{-90, 108, 112, 108, 104}, Case{180, 104, 108, 112, 108}}) {
        clearScreen();
        drawSpriteRotated(2, 100, 100, c.angle);
        Picture p = screen();
        EXPECT_EQ(rgb(p.at(c.blueX, c.blueY)), (std::vector<uint8_t>{0, 0, 255})) << c.angle;
        EXPECT_EQ(rgb(p.at(c.redX, c.redY)), (std::vector<uint8_t>{255, 0, 0})) << c.angle;
    }
    clearScreen();
    drawSpriteRotoZoom(2, 100, 100, 0, 2);
    EXPECT_EQ(litBox(screen()), (Box{92, 92, 123, 123}));
}

// Colour channel results of drawing a sprite of colour 200 (or a
// rectangle) over a background of 100, within 1 of the blend formulas.
TEST_F(SpriteDraw, AlphaModesFollowTheirBlendFormulas) {
    loadSprite(writePng("c.png", picture(8, 8, 0xC8C8C8FF)).c_str(), 3);
    const double s = 200, d = 100;
    struct Case {
        double mode;
        double sprite;  // expected channel where the sprite was drawn
        double rect;    // expected channel where a 200-grey rectangle was drawn
    };
    auto clampByte = [](double v) { return std::min(255.0, v); };
    double primitiveAlpha = std::floor(0.1 * 255) / 255;
    const Case cases[] = {
        {0, s, s},
        {std::nan(""), s, s},
        {-0.5, s * 0.25 + d * 0.5, std::floor(s * 0.5) * (127 / 255.0) + d * (1 - 127 / 255.0)},
        {-2, s, s},
        {0.5, clampByte(s * 0.5 + d), clampByte(std::floor(s * 0.5) + d)},
        {2, clampByte(s + d), clampByte(s + d)},
        // At 0.15 or less the alpha test drops every textured fragment.
        {-0.1, d, std::floor(s * 0.1f) * primitiveAlpha + d * (1 - primitiveAlpha)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode);
        setAlphaMode(0);
        fillRect(0, 0, 100, 100, 100 * 0x010101);
        setAlphaMode(c.mode);
        drawSprite(3, 10, 10);
        fillRect(40, 10, 8, 8, 200 * 0x010101);
        Picture p = screen();
        for (int k = 0; k < 3; ++k) {
            EXPECT_NEAR(p.at(14, 14)[k], c.sprite, 1.0);
            EXPECT_NEAR(p.at(44, 14)[k], c.rect, 1.0);
        }
    }
}

TEST_F(SpriteDraw, DrawsCoverExactlyTheirPixels) {
    struct Case {
        const char* name;
        std::function<void()> draw;
        Box box;
    };
    const Case cases[] = {
        {"point", [] { plotPoint(5, 7, 255); }, {5, 7, 5, 7}},
        {"line with both ends", [] { drawLine(10, 20, 30, 20, 255); }, {10, 20, 30, 20}},
        {"line upwards", [] { drawLine(50, 40, 50, 30, 255); }, {50, 30, 50, 40}},
        {"rectangle", [] { fillRect(100, 100, 10, 5, 255); }, {100, 100, 109, 104}},
        {"negative width", [] { fillRect(100, 100, -10, 5, 255); }, {91, 100, 100, 104}},
        {"negative height", [] { fillRect(100, 100, 10, -5, 255); }, {100, 96, 109, 100}},
        // The centre stays where the unzoomed picture's centre was.
        {"zoomed sprite", [] { drawSpriteZoomed(1, 100, 50, 2, 3); }, {96, 44, 111, 61}},
    };
    for (const Case& c : cases) {
        clearScreen();
        c.draw();
        EXPECT_EQ(litBox(screen()), c.box) << c.name;
    }
    clearScreen();
    plotPoint(5, 7, 255);
    EXPECT_EQ(getPixel(5, 7), 255);
    plotPoint(6, 7, 0x123456);
    EXPECT_EQ(getPixel(6, 7), 0x123456);
    EXPECT_EQ(getPixel(6.9, 7), 0x123456) << "truncated";
    // Outside the surface: -1, never whatever memory held.
    for (auto [x, y] :
         {std::pair{-1.0, 0.0}, {0.0, -1.0}, {320.0, 5.0}, {5.0, 240.0}, {1e12, 0.0}}) {
        EXPECT_EQ(getPixel(x, y), -1) << x << "," << y;
    }
}

TEST_F(SpriteDraw, KeyColouredPrimitivesVanishUnderTranslucency) {
    fillRect(0, 0, 320, 240, 0x303030);
    Picture before = screen();
    setAlphaMode(-1);
    drawLine(10, 10, 200, 150, 0x8000FF);
    fillRect(20, 20, 30, 30, 0x8000FF);
    EXPECT_EQ(screen().pixels, before.pixels);
    drawLine(10, 10, 200, 150, 0x8000FE);
    EXPECT_NE(screen().pixels, before.pixels);
}

}  // namespace
}  // namespace vorlan
