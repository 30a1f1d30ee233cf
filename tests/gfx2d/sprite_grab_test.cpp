// Screen grabs on a plain surface (no destination alpha: read back and keyed
// on the processor) and a multisampled one (8 alpha bits: copied on the card).
#include <vorlan/sprites.h>

#include "gfx2d/gl_surface.h"
#include "gfx2d/sprite_slots.h"

namespace vorlan {
namespace {

using test::gradient;
using test::kNoSize;
using test::Picture;
using test::spriteSize;

class SpriteGrab : public test::GLSurface, public testing::WithParamInterface<int> {
  protected:
    int samples() const override { return GetParam(); }

    void SetUp() override {
        GLSurface::SetUp();
        GLint alphaBits = -1;
        glGetIntegerv(GL_ALPHA_BITS, &alphaBits);
        ASSERT_EQ(alphaBits, GetParam() > 0 ? 8 : 0);
        loadSprite(writePng("g.png", gradient(40, 30)).c_str(), 1);
    }
};

TEST_P(SpriteGrab, GrabClearRedrawGivesTheSamePixels) {
    struct Case {
        double x, y, width, height;
    };
    for (Case c : {Case{50, 40, 20, 20}, Case{0, 0, 1, 1}, Case{60, 45, 33, 17}}) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y << " " << c.width << "x" << c.height);
        clearScreen();
        drawSprite(1, 50, 40);
        // Sprites only: they cover whole pixels, so every sample of a
        // multisampled pixel agrees however the driver resolves it.
        drawSpriteStretched(1, 70, 50, 10, 10);
        Picture before = screen();
        grabSprite(2, c.x, c.y, c.width, c.height);
        EXPECT_EQ(spriteSize(2), std::pair(c.width, c.height));
        int x = static_cast<int>(c.x), y = static_cast<int>(c.y);
        int gw = static_cast<int>(c.width), gh = static_cast<int>(c.height);
        Picture tex = texels(spriteStore.slots.texture[2]);
        clearScreen();
        drawSprite(2, c.x, c.y);
        Picture after = screen();
        for (int j = y; j < y + gh; ++j) {
            for (int i = x; i < x + gw; ++i) {
                ASSERT_EQ(after.rgbAt(i, j), before.rgbAt(i, j)) << i << "," << j;
            }
        }
        // Padding is transparent, never the screen beside the rectangle.
        for (int j = 0; j < tex.height; ++j) {
            for (int i = gw; i < tex.width; ++i) ASSERT_EQ(tex.at(i, j)[3], 0) << i << "," << j;
        }
    }
}

TEST_P(SpriteGrab, GrabsReuseTheTextureAndDropItsMipCopy) {
    loadSprite(writePng("m.png", gradient(20, 20)).c_str(), 3);
    uint32_t texture = spriteStore.slots.texture[3];
    uint32_t mip = spriteStore.slots.mipTexture[3];
    ASSERT_NE(mip, 0u);
    grabSprite(3, 0, 0, 20, 20);
    EXPECT_EQ(spriteStore.slots.texture[3], texture) << "same size, same name";
    EXPECT_EQ(spriteStore.slots.mipTexture[3], 0u);
    EXPECT_FALSE(glIsTexture(mip));
    grabSprite(3, 0, 0, 40, 20);
    EXPECT_FALSE(glIsTexture(texture)) << "a new size, a new texture";
}

TEST_P(SpriteGrab, BadSizesEmptyTheSlotAndOffSurfacePartsAreTransparent) {
    for (auto [w, h] : {std::pair{0.0, 10.0}, {10.0, -1.0}, {1e9, 10.0}, {10.0, 1e12}}) {
        grabSprite(4, 0, 0, 10, 10);
        ASSERT_NE(spriteStore.slots.texture[4], 0u);
        grabSprite(4, 0, 0, w, h);
        EXPECT_EQ(spriteSize(4), kNoSize) << w << " x " << h;
        EXPECT_EQ(spriteStore.slots.texture[4], 0u);
    }
    fillRect(0, 0, 320, 240, 0x4080C0);
    grabSprite(4, -5, 230, 20, 20);
    Picture tex = texels(spriteStore.slots.texture[4]);
    // Texture row 0 is the grab's bottom row, 10 rows below the surface.
    EXPECT_EQ(tex.at(2, 15)[3], 0) << "left of the surface";
    EXPECT_EQ(tex.at(10, 5)[3], 0) << "below the surface";
    EXPECT_EQ(tex.at(10, 15)[3], 255);
    EXPECT_EQ(tex.at(10, 15)[2], 0x40) << "BGRA as uploaded: red";
}

TEST_P(SpriteGrab, KeyColouredPixelsTurnTransparentOnThePlainSurface) {
    struct Case {
        double key;
        int drawn;
        bool keyed;
    };
    for (Case c : {Case{0x8000FF, 0x8000FF, true}, Case{0, 0, true}, Case{-1, 0, false},
                   Case{0x1000000, 0, false}, Case{0x8000FF, 0x8000FE, false}}) {
        SCOPED_TRACE(testing::Message() << std::hex << c.key << " " << c.drawn);
        setTransparentColour(0x123456);  // so the rectangle itself is opaque
        fillRect(0, 0, 16, 16, c.drawn);
        setTransparentColour(c.key);
        grabSprite(5, 0, 0, 16, 16);
        uint8_t alpha = texels(spriteStore.slots.texture[5]).at(4, 4)[3];
        // With destination alpha the surface's own alpha is copied.
        EXPECT_EQ(alpha, (c.keyed && GetParam() == 0) ? 0 : 255);
    }
}

TEST_P(SpriteGrab, TheProbeLeavesTheBackBufferAsItWas) {
    fillRect(0, 0, 320, 240, 0x102030);
    plotPoint(2, 2, 0x405060);  // the probe's own pixel
    setViewport(30, 20, 200, 150);
    setAlphaMode(-0.5);
    drawSprite(1, 5, 5);
    Picture before = screen();
    grabSprite(6, 10, 10, 50, 50);
    EXPECT_EQ(screen().pixels, before.pixels);
}

INSTANTIATE_TEST_SUITE_P(Surfaces, SpriteGrab, testing::Values(0, 4),
                         [](const testing::TestParamInfo<int>& info) {
                             return info.param ? "Multisampled" : "Plain";
                         });

}  // namespace
}  // namespace vorlan
