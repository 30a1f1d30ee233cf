// The sprite store against the real driver: texture layout, slot lifecycle,
// bad slot numbers, collisions and bump maps (under ASan in CI).
#include <vorlan/sprites.h>

#include <cstring>
#include <functional>

#include "gfx2d/game_window.h"
#include "gfx2d/gl_surface.h"
#include "gfx2d/sprite_slots.h"
#include "gfx2d/sprite_store.h"

namespace vorlan {
namespace {

using test::gradient;
using test::kNoSize;
using test::Picture;
using test::picture;
using test::spriteSize;

class SpriteStore : public test::GLSurface {};

// Wider than the driver allows, the slot records the width actually made.
TEST_F(SpriteStore, PicturesGetPowerOfTwoTexturesFlippedAndPaddedTransparent) {
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    struct Case {
        int32_t width, height, textureWidth, textureHeight;
    };
    for (Case c : {Case{1, 1, 2, 2},
                   {100, 30, 128, 32},
                   {3, 2, 4, 2},
                   {64, 65, 64, 128},
                   {maxSize + 1, 3, maxSize, 4}}) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        Picture source = gradient(c.width, c.height);
        loadSprite(writePng("p.png", source).c_str(), 7);
        EXPECT_EQ(spriteSize(7), std::pair(double(std::min(c.width, maxSize)), double(c.height)));
        EXPECT_EQ(spriteStore.slots.textureWidth[7], c.textureWidth);
        Picture tex = texels(spriteStore.slots.texture[7]);
        ASSERT_EQ(tex.width * 100000 + tex.height, c.textureWidth * 100000 + c.textureHeight);
        for (int32_t y = 0; y < tex.height; ++y) {
            for (int32_t x = 0; x < tex.width; ++x) {
                if (x >= c.width || y >= c.height) {
                    ASSERT_EQ(tex.at(x, y)[3], 0) << "padding at " << x << "," << y;
                } else {  // texture row 0 is the picture's bottom row
                    ASSERT_EQ(0, std::memcmp(tex.at(x, y), source.at(x, c.height - 1 - y), 4))
                        << x << "," << y;
                }
            }
        }
    }
}

TEST_F(SpriteStore, TransparentTexelsTakeNeighboursColourAndMipsReachOnePixelExceptInFonts) {
    Picture p = picture(13, 4);
    p.at(1, 1)[0] = p.at(1, 1)[3] = 255;  // one red pixel, away from the border
    std::string file = writePng("dot.png", p);
    loadSprite(file.c_str(), 3);
    loadSprite(file.c_str(), 65510);
    for (int32_t slot : {3, 65510}) {
        SCOPED_TRACE(slot);
        Picture tex = texels(spriteStore.slots.texture[slot]);
        // Picture (1, 1) is texel (1, 2); its neighbour (2, 2) is transparent.
        EXPECT_EQ(tex.at(1, 2)[0], 255);
        EXPECT_EQ(tex.at(2, 2)[0], slot == 3 ? 255 : 0);
        EXPECT_EQ(tex.at(2, 2)[3], 0);
        EXPECT_EQ(tex.at(3, 3)[0], 0) << "no opaque neighbour";
    }
    EXPECT_EQ(spriteStore.slots.mipTexture[65510], 0u) << "fonts have none";
    uint32_t mip = spriteStore.slots.mipTexture[3];
    ASSERT_NE(mip, 0u);
    Picture first = texels(mip, 0);
    int level = 0;
    for (int w = first.width, h = first.height; w > 1 || h > 1;) {
        w = std::max(1, w / 2);
        h = std::max(1, h / 2);
        Picture next = texels(mip, ++level);
        ASSERT_EQ(next.width * 1000 + next.height, w * 1000 + h) << "level " << level;
    }
    for (int k = 0; k < 4; ++k) {  // the last level is the mean of the first
        double mean = 0;
        for (size_t i = k; i < first.pixels.size(); i += 4) mean += first.pixels[i];
        mean /= first.width * first.height;
        EXPECT_NEAR(texels(mip, level).pixels[k], mean, 2.0) << "channel " << k;
    }
}

TEST_F(SpriteStore, KeyColourTurnsTransparentUnlessKeyingIsOff) {
    test::BmpLayout bmp = test::bmpLayout(1, 1, 24);
    bmp.rows = test::bmpRow({0x80, 0x00, 0xFF}, 1);  // the starting key colour
    std::string file = temp_.file("key.bmp").string();
    test::writeWholeFile(file, test::bmpFile(bmp));
    for (auto [key, alpha] : {std::pair{0x8000FF, 0}, {-1, 255}}) {
        setTransparentColour(key);
        loadSprite(file.c_str(), 2);
        EXPECT_EQ(texels(spriteStore.slots.texture[2]).at(0, 0)[3], alpha) << key;
        EXPECT_EQ(spriteStore.fontKeyColour, spriteStore.spriteKeyColour);
    }
}

TEST_F(SpriteStore, FailedReloadEmptiesTheSlotAndReloadsLeakNoTextures) {
    // The window's own (the off-screen surface's texture) stay as they are.
    int own = 0;
    for (GLuint texture = 1; texture <= 64; ++texture) own += glIsTexture(texture);
    std::string good = writePng("g.png", gradient(5, 5));
    std::string bad = temp_.file("bad.png").string();
    test::writeWholeFile(bad, "not a picture");
    for (const std::string& failing : {bad, temp_.file("missing.png").string()}) {
        loadSprite(good.c_str(), 9);
        ASSERT_NE(spriteStore.slots.texture[9], 0u);
        RtString name(failing.c_str());
        loadSprite(name, 9);
        EXPECT_STREQ(name.cStr(), failing.c_str()) << "resolved into a text of its own";
        EXPECT_EQ(spriteSize(9), kNoSize);
        EXPECT_EQ(spriteStore.slots.texture[9] + spriteStore.slots.mipTexture[9], 0u);
    }
    for (int i = 0; i < 1000; ++i) loadSprite(good.c_str(), 9);
    uint32_t highest = std::max(spriteStore.slots.texture[9], spriteStore.slots.mipTexture[9]);
    int live = 0;
    for (GLuint texture = 1; texture <= highest + 2100; ++texture) live += glIsTexture(texture);
    EXPECT_EQ(live, own + 2) << "only the slot's texture and mip texture";
}

TEST_F(SpriteStore, SlotNumbersOutsideTheTableDoNothing) {
    std::string file = writePng("s.png", gradient(8, 8));
    loadSprite(file.c_str(), 0);
    Picture before = screen();
    const std::vector<std::function<void(double)>> commands = {
        [&](double s) { loadSprite(file.c_str(), s); },
        [&](double s) { loadBumpMap(file.c_str(), s); },
        [](double s) { drawSprite(s, 0, 0); },
        [](double s) { drawSpriteStretched(s, 0, 0, 50, 50); },
        [](double s) { drawSpriteZoomed(s, 0, 0, 2, 2); },
        [](double s) { drawSpriteRotated(s, 20, 20, 30); },
        [](double s) { drawSpriteRotoZoom(s, 20, 20, 30, 2); },
        [](double s) { grabSprite(s, 0, 0, 10, 10); },
        [](double s) { freeSprite(static_cast<int32_t>(s)); },
    };
    for (double slot : {-1.0, 65536.0, 1e12, -1e12, 65535.99 + 1}) {
        for (const auto& command : commands) command(slot);
        EXPECT_EQ(spriteSize(slot), kNoSize) << slot;
        EXPECT_EQ(spriteCollision(slot, 0, 0, 0, 0, 0), 0) << slot;
        EXPECT_EQ(spriteCollision(0, 0, 0, slot, 0, 0), 0) << slot;
    }
    EXPECT_EQ(screen().pixels, before.pixels);
    EXPECT_NE(spriteStore.slots.texture[0], 0u) << "slot 0 untouched";
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(SpriteStoreWithoutSurface, CommandsDoNothingAndLoadsFail) {
    test::TempFolder temp;
    std::string file = temp.file("p.png").string();
    test::writeWholeFile(file, test::rgbaPng(1, 1, {1, 2, 3, 255}));
    gameWindow = new GameWindow();  // no window, no context
    loadSprite(file.c_str(), 1);
    EXPECT_FALSE(loadSpriteFile(2, file.c_str(), -1, false));
    drawSprite(1, 0, 0);
    fillRect(0, 0, 10, 10, 255);
    setAlphaMode(-0.5);
    clearScreen();
    EXPECT_EQ(test::spriteSize(1), test::kNoSize);
    delete gameWindow;
    gameWindow = nullptr;
    loadSprite(file.c_str(), 1);
    EXPECT_EQ(test::spriteSize(1), test::kNoSize);
}

TEST_F(SpriteStore, DestroyingTheSurfaceFreesEverySlot) {
    std::string file = writePng("d.png", gradient(4, 4));
    loadSprite(file.c_str(), 5);
    loadSprite(file.c_str(), 65504);
    GLuint names[] = {spriteStore.slots.texture[5], spriteStore.slots.mipTexture[5],
                      spriteStore.slots.texture[65504]};
    gameWindow->destroySurface();
    EXPECT_EQ(spriteStore.slots.texture[5] + spriteStore.slots.texture[65504], 0u);
    // A new surface on the kept context sees the names gone.
    ASSERT_TRUE(gameWindow->createSurface(320, 240, 0, 0));
    for (GLuint name : names) EXPECT_FALSE(glIsTexture(name)) << name;
}

class SpriteCollision : public test::GLSurface {
  protected:
    void SetUp() override {
        GLSurface::SetUp();
        loadSprite(writePng("dot.png", picture(1, 1, 0xFFFFFFFF)).c_str(), 1);
        loadSprite(writePng("two.png", picture(2, 3, 0xFFFFFFFF)).c_str(), 2);
        loadSprite(writePng("box.png", picture(4, 4, 0x00FF00FF)).c_str(), 3);
        Picture half = picture(6, 6, 0xFF0000FF);  // the left half transparent
        for (int i = 0; i < 18; ++i) half.at(i % 3, i / 3)[3] = 0;
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
    };
    for (const Case& c : cases) {
        EXPECT_EQ(spriteCollision(c.a, c.xa, c.ya, c.b, c.xb, c.yb), c.expected) << c.what;
        EXPECT_EQ(spriteCollision(c.b, c.xb, c.yb, c.a, c.xa, c.ya), c.expected) << c.what;
    }
}

TEST_F(SpriteCollision, TheMaskFollowsTheSlotsTexture) {
    EXPECT_EQ(spriteCollision(3, 0, 0, 1, 1, 1), 1);
    ASSERT_TRUE(spriteStore.slots.alphaMask[3]);
    // Reloaded fully transparent: the old mask must go.
    loadSprite(writePng("clear.png", picture(4, 4, 0x00FF0000)).c_str(), 3);
    EXPECT_EQ(spriteCollision(3, 0, 0, 1, 1, 1), 0);
    // So must it after a grab, keyed fully transparent over a black screen.
    setTransparentColour(0);
    loadSprite(writePng("box.png", picture(4, 4, 0x00FF00FF)).c_str(), 3);
    EXPECT_EQ(spriteCollision(3, 0, 0, 1, 1, 1), 1);
    clearScreen();
    grabSprite(3, 0, 0, 4, 4);
    EXPECT_EQ(spriteCollision(3, 0, 0, 1, 1, 1), 0);
}

TEST_F(SpriteCollision, BumpMapsHoldTheNormalsOfTheBlueHeightField) {
    Picture p = picture(8, 8, 0x000080FF);  // blue rising to the right
    for (int i = 0; i < 64; ++i) p.at(i % 8, i / 8)[2] = static_cast<uint8_t>(40 + i % 8 * 20);
    loadBumpMap(writePng("bump.png", p).c_str(), 5);
    Picture tex = texels(spriteStore.slots.texture[5]);
    ASSERT_EQ(tex.width, 8);
    const uint8_t* inner = tex.at(3, 3);
    EXPECT_LT(inner[0], 127) << "tilted along the rows";
    EXPECT_EQ(inner[1], 127) << "flat down the columns";
    EXPECT_LT(inner[2], 255);
    EXPECT_EQ(inner[3], 255);
    EXPECT_NE(spriteStore.slots.mipTexture[5], 0u);
}

}  // namespace
}  // namespace vorlan
