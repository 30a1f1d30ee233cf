// Backgrounds, grabs and saved pictures on the real driver.
#include <vorlan/app.h>
#include <vorlan/backgrounds.h>
#include <vorlan/sprites.h>

#include <cstring>
#include <filesystem>
#include <vector>

#include "gfx2d/gl_surface.h"
#include "gfx2d/independent_reader.h"
#include "gfx2d/tile_sets.h"

namespace vorlan {
namespace {

using test::gradient;
using test::independentRgba;
using test::Picture;

// RGBA pixels, top row first (the screen's, or a file's read by ImageMagick),
// against a picture's colours.
void expectShows(const uint8_t* rgba, size_t size, const Picture& want) {
    ASSERT_EQ(size, want.pixels.size());
    for (size_t i = 0; i < size; i += 4) {
        ASSERT_EQ(0, std::memcmp(rgba + i, &want.pixels[i], 3)) << "pixel " << i / 4;
    }
}
void expectShows(const Picture& shown, const Picture& want) {
    expectShows(shown.pixels.data(), shown.pixels.size(), want);
}
void expectFileShows(const std::filesystem::path& file, const Picture& want) {
    std::string rgba = independentRgba(file);
    expectShows(reinterpret_cast<const uint8_t*>(rgba.data()), rgba.size(), want);
}

class Backgrounds : public test::GLSurface {
  protected:
    void SetUp() override {
        GLSurface::SetUp();
        // Other tests' windows take the focus; these present frames.
        setAutoPause(0);
    }
    // A new surface of another size for this test.
    void resize(int32_t width, int32_t height) {
        delete renderer;
        renderer = new OpenGLZererazo();
        ASSERT_TRUE(renderer->createSurface(width, height, 0, 60, 0));
    }
    // A picture drawn over the whole screen as a sprite.
    Picture drawGradient() {
        Picture p = gradient(renderer->screenWidth, renderer->screenHeight);
        loadSprite(writePng("screen.png", p).c_str(), 9);
        drawSprite(9, 0, 0);
        return p;
    }
};

TEST_F(Backgrounds, LargeBackgroundSpansTilesAndStartsEveryFrame) {
    resize(800, 600);
    Picture p = gradient(800, 600);
    loadBackground(writePng("big.png", p).c_str());
    EXPECT_TRUE(tileSet(0)->columns == 2 && tileSet(0)->rows == 2);
    expectShows(screen(), p);
    // The game's own viewport must not shift the next frame's background.
    setViewport(40, 30, 100, 100);
    presentFrame();
    expectShows(screen(), p);
    std::vector<uint32_t> names;
    for (const Tile& tile : tileSet(0)->tiles) names.push_back(tile.texture);
    clearScreen();
    EXPECT_TRUE(tileSet(0)->empty());
    for (uint32_t name : names) EXPECT_FALSE(glIsTexture(name)) << name;
}

TEST_F(Backgrounds, PicturesThatCannotBeBackgroundsLeaveABlackScreen) {
    Picture tooWide = test::picture(kMaxTilesPerSide * 512 + 1, 1, 0xFFFFFFFF);
    for (std::string name : {writePng("wide.png", tooWide), std::string("missing.png")}) {
        SCOPED_TRACE(name);
        loadBackground(writePng("ok.png", gradient(320, 240)).c_str());
        ASSERT_FALSE(tileSet(0)->empty());
        loadBackground(name.c_str());
        EXPECT_TRUE(tileSet(0)->empty());
        Picture s = screen();
        EXPECT_EQ(s.at(5, 0)[0] | s.at(5, 0)[1] | s.at(160, 120)[2], 0);
    }
}

TEST_F(Backgrounds, GrabKeepsThePictureInOneScreenSizedTile) {
    Picture p = drawGradient();
    grabBackground();
    const TileSet& set = *tileSet(0);
    ASSERT_EQ(set.tiles.size(), 1u);
    EXPECT_EQ(set.tiles[0].textureWidth, 512);
    EXPECT_EQ(tileSetBytes(0), 512u * 512 * 4);
    uint32_t texture = set.tiles[0].texture;
    glClear(GL_COLOR_BUFFER_BIT);
    drawGradient();
    grabBackground();
    EXPECT_EQ(tileSet(0)->tiles[0].texture, texture) << "a grab of the same size reuses";
    presentFrame();
    expectShows(screen(), p);
    // The surface takes its tile sets with it.
    resize(320, 240);
    EXPECT_TRUE(tileSet(0)->empty());
}

TEST_F(Backgrounds, SavedScreensReadBackIntact) {
    for (auto [width, name] : {std::pair{320, "s.bmp"}, {320, "s.PNG"}, {801, "wide.bmp"}}) {
        SCOPED_TRACE(name);
        resize(width, 40);
        Picture p = drawGradient();
        saveScreen(temp_.file(name).c_str());
        expectFileShows(temp_.file(name), p);
    }
}

TEST_F(Backgrounds, SavedSpritesOfAnySize) {
    for (auto [width, height] : {std::pair{1, 1}, {2, 2}, {3, 3}, {100, 30}}) {
        SCOPED_TRACE(testing::Message() << width << "x" << height);
        Picture p = gradient(width, height);
        loadSprite(writePng("sprite.png", p).c_str(), 4);
        for (const char* name : {"saved.bmp", "saved.png"}) {
            std::filesystem::remove(temp_.file(name));
            saveSprite(4, temp_.file(name).c_str());
            expectFileShows(temp_.file(name), p);
        }
    }
    // Empty and invalid slots write nothing.
    for (double slot : {5.0, -1.0, 70000.0}) {
        saveSprite(slot, temp_.file("none.bmp").c_str());
        EXPECT_FALSE(std::filesystem::exists(temp_.file("none.bmp"))) << slot;
    }
}

TEST_F(Backgrounds, FadeToAMissingPictureEndsBlackWithNoBackground) {
    loadBackground(writePng("old.png", gradient(320, 240)).c_str());
    test::writeWholeFile(temp_.file("broken.png"), "not a picture");
    fadeToBackground(temp_.file("broken.png").c_str());
    for (int32_t set : {0, 1, 2}) EXPECT_TRUE(tileSet(set)->empty()) << set;
    EXPECT_EQ(getPixel(160, 120), 0);
}

}  // namespace
}  // namespace vorlan
