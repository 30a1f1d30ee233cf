// Pixel-exact collisions and normal maps, with textures read back from the
// real driver (run under the address sanitizer in CI).
#include <vorlan/sprites.h>

#include "gfx2d/gl_surface.h"

namespace vorlan {
namespace {

using test::Picture;
using test::picture;

class SpriteCollision : public test::GLSurface {
  protected:
    void SetUp() override {
        GLSurface::SetUp();
        loadSprite(writePng("dot.png", picture(1, 1, 0xFFFFFFFF)).c_str(), 1);
        loadSprite(writePng("two.png", picture(2, 3, 0xFFFFFFFF)).c_str(), 2);
        loadSprite(writePng("box.png", picture(4, 4, 0x00FF00FF)).c_str(), 3);
        // Left half transparent, right half opaque.
        Picture half = picture(6, 6, 0xFF0000FF);
        for (int y = 0; y < 6; ++y) {
            for (int x = 0; x < 3; ++x) half.at(x, y)[3] = 0;
        }
        loadSprite(writePng("half.png", half).c_str(), 4);
    }
};

TEST_F(SpriteCollision, OpaquePixelsAtTheSamePlaceCollide) {
    struct Case {
        double a, xa, ya, b, xb, yb;
        double expected;
        const char* what;
    };
    const double far = 2147483000;
    const Case cases[] = {
        {1, 10, 10, 1, 10, 10, 1, "one-pixel sprites on one pixel"},
        {1, 10, 10, 1, 11, 10, 0, "one-pixel sprites side by side"},
        {1, 11, 12, 2, 10, 10, 1, "a probe on the last pixel of a 2 x 3 picture"},
        {1, 12, 10, 2, 10, 10, 0, "a probe just right of it"},
        {3, 0, 0, 3, 4, 0, 0, "edges touching left to right"},
        {3, 0, 0, 3, 0, 4, 0, "edges touching top to bottom"},
        {3, 0, 0, 3, 3, 3, 1, "corners overlapping by one pixel"},
        {3, 0, 0, 4, 1, 0, 0, "opaque box over the transparent half"},
        {3, 0, 0, 4, 0, 0, 1, "opaque box reaching the opaque half"},
        {1, 5.9, 5.9, 1, 5, 5, 1, "coordinates truncate"},
        {3, far, far, 3, far + 2, far + 2, 1, "far out, no overflow"},
        {3, 0, 0, 9, 0, 0, 0, "an empty slot"},
        {3, 0, 0, 70000, 0, 0, 0, "a slot beyond the table"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(spriteCollision(c.a, c.xa, c.ya, c.b, c.xb, c.yb), c.expected) << c.what;
        EXPECT_EQ(spriteCollision(c.b, c.xb, c.yb, c.a, c.xa, c.ya), c.expected) << c.what;
    }
}

TEST_F(SpriteCollision, TheMaskFollowsTheSlotsTexture) {
    EXPECT_EQ(spriteCollision(3, 0, 0, 1, 1, 1), 1);
    ASSERT_TRUE(renderer->slots.alphaMask[3]);
    // Reloaded with a fully transparent picture: the old mask must go.
    loadSprite(writePng("clear.png", picture(4, 4, 0x00FF0000)).c_str(), 3);
    EXPECT_FALSE(renderer->slots.alphaMask[3]);
    EXPECT_EQ(spriteCollision(3, 0, 0, 1, 1, 1), 0);
    // A grab over a black screen is keyed fully transparent as well.
    setTransparentColour(0);
    loadSprite(writePng("box.png", picture(4, 4, 0x00FF00FF)).c_str(), 3);
    EXPECT_EQ(spriteCollision(3, 0, 0, 1, 1, 1), 1);
    clearScreen();
    grabSprite(3, 0, 0, 4, 4);
    EXPECT_EQ(spriteCollision(3, 0, 0, 1, 1, 1), 0);
}

TEST_F(SpriteCollision, BumpMapsHoldTheNormalsOfTheBlueHeightField) {
    struct Case {
        const char* what;
        int blueStep;  // blue per column
        bool redBelowMiddle;
    };
    for (Case c : {Case{"flat", 0, false}, Case{"rising to the right", 20, true}}) {
        Picture p = picture(8, 8, 0x000080FF);
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x) p.at(x, y)[2] = static_cast<uint8_t>(40 + x * c.blueStep);
        }
        loadBumpMap(writePng("bump.png", p).c_str(), 5);
        Picture tex = texels(renderer->slots.texture[5]);
        ASSERT_EQ(tex.width, 8) << c.what;
        const uint8_t* inner = tex.at(3, 3);
        EXPECT_EQ(inner[1], 127) << c.what << ": no slope along the rows";
        EXPECT_EQ(inner[3], 255) << c.what;
        if (c.redBelowMiddle) {
            EXPECT_LT(inner[0], 127) << c.what;
            EXPECT_LT(inner[2], 255) << c.what;
        } else {
            EXPECT_EQ(inner[0], 127) << c.what;
            EXPECT_EQ(inner[2], 255) << c.what;
        }
        EXPECT_NE(renderer->slots.mipTexture[5], 0u);
    }
}

}  // namespace
}  // namespace vorlan
