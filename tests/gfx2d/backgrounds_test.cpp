// Backgrounds, grabs, the cross-fade and saved pictures on the real driver.
#include <vorlan/app.h>
#include <vorlan/backgrounds.h>
#include <vorlan/sprites.h>

#include <cmath>
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

// The screen's RGB against a picture's, pixel by pixel.
void expectShows(const Picture& screen, const Picture& want, int32_t width, int32_t height) {
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            ASSERT_EQ(0, std::memcmp(screen.at(x, y), want.at(x, y), 3)) << x << "," << y;
        }
    }
}

// A file's pixels (through ImageMagick) against a picture's RGB.
void expectFileShows(const std::filesystem::path& file, const Picture& want, int32_t width,
                     int32_t height) {
    std::string rgba = independentRgba(file);
    ASSERT_EQ(rgba.size(), static_cast<size_t>(width) * height * 4) << file;
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            ASSERT_EQ(0, std::memcmp(rgba.data() + (static_cast<size_t>(y) * width + x) * 4,
                                     want.at(x, y), 3))
                << file << " " << x << "," << y;
        }
    }
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
    const TileSet& set = *tileSet(0);
    EXPECT_EQ(set.columns, 2);
    EXPECT_EQ(set.rows, 2);
    expectShows(screen(), p, 800, 600);
    // The game's own viewport must not shift the next frame's background.
    setViewport(40, 30, 100, 100);
    presentFrame();
    expectShows(screen(), p, 800, 600);
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
    expectShows(screen(), p, 320, 240);
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
        expectFileShows(temp_.file(name), p, width, 40);
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
            expectFileShows(temp_.file(name), p, width, height);
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
    EXPECT_TRUE(tileSet(0)->empty());
    EXPECT_TRUE(tileSet(1)->empty());
    EXPECT_TRUE(tileSet(2)->empty());
    EXPECT_EQ(getPixel(160, 120), 0);
}

}  // namespace
}  // namespace vorlan
