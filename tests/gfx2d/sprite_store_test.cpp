// The sprite store against the real driver: texture layout, slot lifecycle
// and bad slot numbers.
#include <vorlan/sprites.h>

#include <cmath>
#include <functional>

#include "gfx2d/gl_surface.h"
#include "gfx2d/sprite_store.h"

namespace vorlan {
namespace {

using test::gradient;
using test::kNoSize;
using test::Picture;
using test::picture;
using test::spriteSize;

class SpriteStore : public test::GLSurface {};

TEST_F(SpriteStore, PicturesGetPowerOfTwoTexturesFlippedAndPaddedTransparent) {
    struct Case {
        int32_t width, height, textureWidth, textureHeight;
    };
    for (Case c :
         {Case{1, 1, 2, 2}, Case{100, 30, 128, 32}, Case{3, 2, 4, 2}, Case{64, 65, 64, 128}}) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        Picture source = gradient(c.width, c.height);
        loadSprite(writePng("p.png", source).c_str(), 7);
        EXPECT_EQ(spriteSize(7), std::pair(double(c.width), double(c.height)));
        EXPECT_EQ(renderer->slots.textureWidth[7], c.textureWidth);
        EXPECT_EQ(renderer->slots.textureHeight[7], c.textureHeight);
        Picture tex = texels(renderer->slots.texture[7]);
        ASSERT_EQ(tex.width, c.textureWidth);
        ASSERT_EQ(tex.height, c.textureHeight);
        for (int32_t y = 0; y < tex.height; ++y) {
            for (int32_t x = 0; x < tex.width; ++x) {
                const uint8_t* texel = tex.at(x, y);
                if (x < c.width && y < c.height) {
                    // Texture row 0 is the picture's bottom row.
                    const uint8_t* px = source.at(x, c.height - 1 - y);
                    ASSERT_EQ(std::vector<uint8_t>(texel, texel + 4),
                              std::vector<uint8_t>(px, px + 4))
                        << x << "," << y;
                } else {
                    ASSERT_EQ(texel[3], 0) << "padding at " << x << "," << y;
                }
            }
        }
    }
}

TEST_F(SpriteStore, TransparentTexelsTakeTheirNeighboursColourUnlessNearest) {
    // A red pixel inside a transparent 4 x 4 picture, away from the border.
    Picture p = picture(4, 4);
    uint8_t* red = p.at(1, 1);
    red[0] = 255;
    red[3] = 255;
    std::string file = writePng("dot.png", p);
    struct Case {
        int32_t slot;
        uint8_t expectedRed;
    };
    for (Case c : {Case{3, 255}, Case{65510, 0}}) {
        loadSprite(file.c_str(), c.slot);
        Picture tex = texels(renderer->slots.texture[c.slot]);
        // Picture (1, 1) is texel (1, 2); its neighbour (2, 2) is transparent.
        EXPECT_EQ(tex.at(1, 2)[0], 255);
        EXPECT_EQ(tex.at(2, 2)[0], c.expectedRed) << "slot " << c.slot;
        EXPECT_EQ(tex.at(2, 2)[3], 0);
        EXPECT_EQ(tex.at(3, 3)[0], 0) << "no opaque neighbour in the interior";
    }
}

TEST_F(SpriteStore, MipTextureCarriesTheRuntimesOwnChainDownToOnePixel) {
    loadSprite(writePng("m.png", gradient(13, 4)).c_str(), 1);
    uint32_t mip = renderer->slots.mipTexture[1];
    ASSERT_NE(mip, 0u);
    Picture first = texels(mip, 0);
    // Halved per level, never below 1, down to 1 x 1: the mean of them all.
    int level = 0;
    for (int w = first.width, h = first.height; w > 1 || h > 1;) {
        w = std::max(1, w / 2);
        h = std::max(1, h / 2);
        Picture next = texels(mip, ++level);
        ASSERT_EQ(next.width * 1000 + next.height, w * 1000 + h) << "level " << level;
    }
    for (int k = 0; k < 4; ++k) {
        double mean = 0;
        for (size_t i = k; i < first.pixels.size(); i += 4) mean += first.pixels[i];
        mean /= first.width * first.height;
        EXPECT_NEAR(texels(mip, level).pixels[k], mean, 2.0) << "channel " << k;
    }
    loadSprite(writePng("m.png", gradient(13, 4)).c_str(), 65510);
    EXPECT_EQ(renderer->slots.mipTexture[65510], 0u) << "fonts have none";
}

TEST_F(SpriteStore, KeyColourTurnsTransparentUnlessKeyingIsOff) {
    // Two pixels: the starting key colour, then green; a 24-bit file.
    test::BmpLayout bmp = test::bmpLayout(2, 1, 24);
    bmp.rows = test::bmpRow({0x80, 0x00, 0xFF, 0x00, 0xFF, 0x00}, 2);
    std::string file = temp_.file("key.bmp").string();
    test::writeWholeFile(file, test::bmpFile(bmp));
    struct Case {
        double key;
        uint8_t alpha;
    };
    for (Case c : {Case{0x8000FF, 0}, Case{-1, 255}, Case{0x123456, 255}}) {
        setTransparentColour(c.key);
        loadSprite(file.c_str(), 2);
        Picture tex = texels(renderer->slots.texture[2]);
        EXPECT_EQ(tex.at(0, 0)[3], c.alpha) << c.key;
        EXPECT_EQ(tex.at(1, 0)[3], 255) << c.key;
        EXPECT_EQ(renderer->fontKeyColour, renderer->spriteKeyColour);
    }
}

TEST_F(SpriteStore, FailedReloadEmptiesTheSlotAndReloadsLeakNoTextures) {
    std::string good = writePng("g.png", gradient(5, 5));
    RtString name(good.c_str());
    std::string bad = temp_.file("bad.png").string();
    test::writeWholeFile(bad, "not a picture");
    for (const std::string& failing : {bad, temp_.file("missing.png").string()}) {
        loadSprite(good.c_str(), 9);
        ASSERT_NE(renderer->slots.texture[9], 0u);
        loadSprite(failing.c_str(), 9);
        EXPECT_EQ(spriteSize(9), kNoSize);
        EXPECT_EQ(renderer->slots.texture[9], 0u);
        EXPECT_EQ(renderer->slots.mipTexture[9], 0u);
    }
    for (int i = 0; i < 1000; ++i) loadSprite(name, 9);
    EXPECT_STREQ(name.cStr(), good.c_str()) << "the caller's name is left alone";
    EXPECT_EQ(name.length(), good.size());
    uint32_t highest = std::max(renderer->slots.texture[9], renderer->slots.mipTexture[9]);
    int live = 0;
    for (GLuint name = 1; name <= highest + 2100; ++name) live += glIsTexture(name) ? 1 : 0;
    EXPECT_EQ(live, 2) << "only the slot's texture and mip texture";
}

TEST_F(SpriteStore, PicturesWiderThanTheDriverAllowsRecordWhatWasMade) {
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    loadSprite(writePng("wide.png", gradient(maxSize + 1, 3)).c_str(), 6);
    EXPECT_EQ(renderer->slots.textureWidth[6], maxSize);
    EXPECT_EQ(renderer->slots.width[6], maxSize);
    EXPECT_EQ(renderer->slots.height[6], 3);
    EXPECT_EQ(texels(renderer->slots.texture[6]).width, maxSize);
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
    EXPECT_NE(renderer->slots.texture[0], 0u) << "slot 0 untouched";
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(SpriteStoreWithoutSurface, CommandsDoNothingAndLoadsFail) {
    test::TempFolder temp;
    std::string file = temp.file("p.png").string();
    test::writeWholeFile(file, test::rgbaPng(1, 1, {1, 2, 3, 255}));
    renderer = new OpenGLZererazo();  // no window, no context
    loadSprite(file.c_str(), 1);
    EXPECT_FALSE(loadSpriteFile(2, file.c_str(), -1, false));
    drawSprite(1, 0, 0);
    fillRect(0, 0, 10, 10, 255);
    setAlphaMode(-0.5);
    clearScreen();
    EXPECT_EQ(test::spriteSize(1), test::kNoSize);
    EXPECT_EQ(renderer->slots.texture[1], 0u);
    delete renderer;
    renderer = nullptr;
    loadSprite(file.c_str(), 1);
    EXPECT_EQ(test::spriteSize(1), test::kNoSize);
}

TEST_F(SpriteStore, DestroyingTheSurfaceFreesEverySlot) {
    std::string file = writePng("d.png", gradient(4, 4));
    loadSprite(file.c_str(), 5);
    loadSprite(file.c_str(), 65504);
    GLuint names[] = {renderer->slots.texture[5], renderer->slots.mipTexture[5],
                      renderer->slots.texture[65504]};
    renderer->destroySurface();
    EXPECT_EQ(renderer->slots.texture[5], 0u);
    EXPECT_EQ(renderer->slots.texture[65504], 0u);
    // A new surface on the kept context sees the names gone.
    ASSERT_TRUE(renderer->createSurface(320, 240, 0, 60, 0));
    for (GLuint name : names) EXPECT_FALSE(glIsTexture(name)) << name;
}

}  // namespace
}  // namespace vorlan
