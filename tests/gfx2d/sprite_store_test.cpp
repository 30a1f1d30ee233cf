// The sprite store on the real driver. Grabs run on a plain surface (no
// destination alpha: keyed on the processor) and a multisampled one (copied on the card).
#include <functional>
#include <tuple>

#include "gfx2d/gl_surface.h"
#include "gfx2d/sprite_slots.h"
#include "gfx2d/sprite_store.h"

namespace vorlan::test {
namespace {

using SpriteStore = GLSurface;

// Wider than the driver allows, the slot records the width actually made.
TEST_F(SpriteStore, PicturesGetPowerOfTwoTexturesFlippedAndPaddedTransparent) {
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    // Picture width and height, then the texture's.
    const std::array<int32_t, 4> cases[] = {{1, 1, 2, 2},
                                            {100, 30, 128, 32},
                                            {3, 2, 4, 2},
                                            {64, 65, 64, 128},
                                            {maxSize + 1, 3, maxSize, 4}};
    for (auto [width, height, textureWidth, textureHeight] : cases) {
        SCOPED_TRACE(testing::Message() << width << " x " << height);
        Picture source = gradient(width, height);
        loadSprite(writePng("p.png", source).c_str(), 7);
        EXPECT_EQ(spriteSize(7), std::pair(double(std::min(width, maxSize)), double(height)));
        EXPECT_EQ(spriteStore.slots.textureWidth[7], textureWidth);
        Picture tex = texels(spriteStore.slots.texture[7]);
        ASSERT_EQ(tex.width * 100000 + tex.height, textureWidth * 100000 + textureHeight);
        for (int32_t i = 0; i < tex.width * tex.height; ++i) {
            int32_t x = i % tex.width, y = i / tex.width;
            if (x >= width || y >= height) {
                ASSERT_EQ(tex.at(x, y)[3], 0) << "padding at " << x << "," << y;
            } else {  // texture row 0 is the picture's bottom row
                ASSERT_EQ(0, std::memcmp(tex.at(x, y), source.at(x, height - 1 - y), 4))
                    << x << "," << y;
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
    Picture first = texels(mip, 0), last = texels(mip, 4);  // 16 x 4 halved four times
    ASSERT_EQ(last.width * last.height, 1);
    for (int k = 0; k < 4; ++k) {  // the last level is the mean of the first
        double mean = 0;
        for (size_t i = k; i < first.pixels.size(); i += 4) mean += first.pixels[i];
        mean /= first.width * first.height;
        EXPECT_NEAR(last.pixels[k], mean, 2.0) << "channel " << k;
    }
}

TEST_F(SpriteStore, FailedReloadEmptiesTheSlotAndNoTextureOutlivesReloadsOrTheSurface) {
    // The window's own (the off-screen surface's texture) stay as they are.
    int own = 0;
    for (GLuint texture = 1; texture <= 64; ++texture) own += glIsTexture(texture);
    std::string good = writePng("g.png", gradient(5, 5));
    std::string bad = temp_.file("bad.png").string();
    writeWholeFile(bad, "not a picture");
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
    loadSprite(good.c_str(), 65504);
    GLuint names[] = {spriteStore.slots.texture[9], spriteStore.slots.mipTexture[9],
                      spriteStore.slots.texture[65504]};
    gameWindow->destroySurface();
    EXPECT_EQ(spriteStore.slots.texture[9] + spriteStore.slots.texture[65504], 0u);
    // A new surface on the kept context sees the names gone.
    ASSERT_TRUE(gameWindow->createSurface(320, 240, 0, 0));
    for (GLuint name : names) EXPECT_FALSE(glIsTexture(name)) << name;
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
    TempFolder temp;
    std::string file = temp.file("p.png").string();
    writeWholeFile(file, rgbaPng(picture(1, 1, 0x010203FF)));
    gameWindow = new GameWindow();  // no window, no context
    loadSprite(file.c_str(), 1);
    EXPECT_FALSE(loadSpriteFile(2, file.c_str(), -1, false));
    drawSprite(1, 0, 0);
    fillRect(0, 0, 10, 10, 255);
    setAlphaMode(-0.5);
    clearScreen();
    EXPECT_EQ(spriteSize(1), kNoSize);
    delete gameWindow;
    gameWindow = nullptr;
}

class SpriteCollision : public GLSurface {
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
    const double far = 2147483000;
    // Slot, x and y of each sprite, and the answer.
    const std::tuple<double, double, double, double, double, double, double, const char*> cases[] =
        {
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
    for (auto [a, xa, ya, b, xb, yb, expected, what] : cases) {
        EXPECT_EQ(spriteCollision(a, xa, ya, b, xb, yb), expected) << what;
        EXPECT_EQ(spriteCollision(b, xb, yb, a, xa, ya), expected) << what;
    }
}

// Loads turn the key colour transparent unless keying is off; reloads and
// grabs drop the slot's old collision mask.
TEST_F(SpriteCollision, TheKeyColourAndTheMaskFollowTheSlotsTexture) {
    EXPECT_EQ(spriteCollision(3, 0, 0, 1, 1, 1), 1);
    ASSERT_TRUE(spriteStore.slots.alphaMask[3]);
    std::string file = temp_.file("key.bmp").string();
    writeWholeFile(file, bmpFile(1, 1, 24, bmpRow({0x80, 0x00, 0xFF}, 1)));
    for (auto [key, hit] : {std::pair{0x8000FF, 0}, {-1, 1}}) {
        setTransparentColour(key);
        loadSprite(file.c_str(), 3);
        EXPECT_EQ(spriteCollision(3, 0, 0, 1, 0, 0), hit) << key;
        EXPECT_EQ(spriteStore.fontKeyColour, spriteStore.spriteKeyColour);
    }
    // Keyed fully transparent over a black screen.
    setTransparentColour(0);
    clearScreen();
    grabSprite(3, 0, 0, 4, 4);
    EXPECT_EQ(spriteCollision(3, 0, 0, 1, 0, 0), 0);
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

class SpriteGrab : public GLSurface, public testing::WithParamInterface<int> {
  protected:
    int samples() const override { return GetParam(); }

    void SetUp() override {
        GLSurface::SetUp();
        // Asked for 8, the driver's first count halving down is the one recorded.
        GLint alphaBits = -1, samples = -1;
        glGetIntegerv(GL_ALPHA_BITS, &alphaBits);
        glGetIntegerv(GL_SAMPLES, &samples);
        ASSERT_EQ(alphaBits, GetParam() > 0 ? 8 : 0);
        ASSERT_EQ(samples, gameWindow->multisampleSamples);
        ASSERT_EQ(samples > 1, GetParam() > 0);
        loadSprite(writePng("g.png", gradient(40, 30)).c_str(), 1);
    }
};

// A grab drops the slot's mip texture, and a new size its old texture.
TEST_P(SpriteGrab, GrabClearRedrawGivesTheSamePixelsAndLeaksNoTexture) {
    loadSprite(writePng("m.png", gradient(20, 20)).c_str(), 2);
    uint32_t dropped = spriteStore.slots.mipTexture[2];
    for (std::array<double, 4> c :
         {std::array<double, 4>{50, 40, 20, 20}, {0, 0, 1, 1}, {60, 45, 33, 17}}) {
        SCOPED_TRACE(testing::Message() << c[0] << "," << c[1] << " " << c[2] << "x" << c[3]);
        clearScreen();
        drawSprite(1, 50, 40);
        // Sprites only: they cover whole pixels, so every sample of a
        // multisampled pixel agrees however the driver resolves it.
        drawSpriteStretched(1, 70, 50, 10, 10);
        Picture before = screen();
        grabSprite(2, c[0], c[1], c[2], c[3]);
        EXPECT_EQ(spriteSize(2), std::pair(c[2], c[3]));
        EXPECT_EQ(spriteStore.slots.mipTexture[2], 0u);
        // Freed names may come back at once, for the new texture.
        EXPECT_TRUE(dropped == spriteStore.slots.texture[2] || !glIsTexture(dropped));
        dropped = spriteStore.slots.texture[2];
        int x = static_cast<int>(c[0]), y = static_cast<int>(c[1]);
        int gw = static_cast<int>(c[2]), gh = static_cast<int>(c[3]);
        Picture tex = texels(spriteStore.slots.texture[2]);
        clearScreen();
        drawSprite(2, c[0], c[1]);
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
    // The key, the colour drawn, and whether it is keyed.
    const std::tuple<double, int, bool> cases[] = {{0x8000FF, 0x8000FF, true},
                                                   {0, 0, true},
                                                   {-1, 0, false},
                                                   {0x1000000, 0, false},
                                                   {0x8000FF, 0x8000FE, false}};
    for (auto [key, drawn, keyed] : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << key << " " << drawn);
        setTransparentColour(0x123456);  // so the rectangle itself is opaque
        fillRect(0, 0, 16, 16, drawn);
        setTransparentColour(key);
        grabSprite(5, 0, 0, 16, 16);
        uint8_t alpha = texels(spriteStore.slots.texture[5]).at(4, 4)[3];
        // With destination alpha the surface's own alpha is copied.
        EXPECT_EQ(alpha, (keyed && GetParam() == 0) ? 0 : 255);
    }
}

INSTANTIATE_TEST_SUITE_P(Surfaces, SpriteGrab, testing::Values(0, 8),
                         [](const testing::TestParamInfo<int>& info) {
                             return info.param ? "Multisampled" : "Plain";
                         });

}  // namespace
}  // namespace vorlan::test
