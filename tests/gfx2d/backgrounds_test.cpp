// Backgrounds, grabs and saved pictures on the real driver. Saved files are
// read back by ImageMagick, not by the runtime's decoders, so that a
// writer's fault cannot hide behind the same fault in a reader.
#include <vorlan/app.h>
#include <vorlan/backgrounds.h>
#include <vorlan/sprites.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "gfx2d/gl_surface.h"
#include "gfx2d/image_writer.h"
#include "gfx2d/tile_layout.h"
#include "gfx2d/tile_sets.h"

namespace vorlan {
namespace {

using test::gradient;
using test::Picture;
using test::readWholeFile;

// The first pixel whose colour differs, or -1.
int32_t firstDifference(const Picture& a, const Picture& b) {
    if (a.width != b.width || a.height != b.height) return 0;
    for (int32_t i = 0; i < a.width * a.height; ++i) {
        if (a.rgbAt(i % a.width, i / a.width) != b.rgbAt(i % a.width, i / a.width)) return i;
    }
    return -1;
}

// A saved picture as ImageMagick reads it, alpha too (the colour of a clear
// pixel may be anything); and a BMP's size field and zeroed row padding.
void expectFileShows(const std::filesystem::path& file, const Picture& want) {
    Picture got = test::loadPicture(file.string());
    ASSERT_EQ(got.pixels.size(), want.pixels.size()) << file;
    for (size_t i = 0; i < want.pixels.size(); ++i) {
        bool shown = i % 4 == 3 || want.pixels[i | 3] != 0;
        ASSERT_TRUE(!shown || got.pixels[i] == want.pixels[i]) << "byte " << i << " of " << file;
    }
    if (file.extension() != ".bmp") return;
    std::string bmp = readWholeFile(file), size;
    size_t stride = (static_cast<size_t>(want.width) * 3 + 3) / 4 * 4;
    ASSERT_EQ(bmp.size(), 54 + stride * want.height);
    test::appendLe(size, bmp.size(), 4);
    EXPECT_EQ(bmp.substr(2, 4), size);
    for (size_t i = 54; i < bmp.size(); ++i) {
        ASSERT_TRUE((i - 54) % stride < want.width * 3u || bmp[i] == 0) << "padding at " << i;
    }
}

class Backgrounds : public test::GLSurface {
  protected:
    void SetUp() override {
        GLSurface::SetUp();
        setAutoPause(0);  // other tests' windows take the focus; these present frames
    }
    // A picture drawn over the whole screen as a sprite.
    Picture drawGradient() {
        Picture p = gradient(gameWindow->screenWidth, gameWindow->screenHeight);
        loadSprite(writePng("screen.png", p).c_str(), 9);
        drawSprite(9, 0, 0);
        return p;
    }
};

TEST_F(Backgrounds, LargeBackgroundSpansTilesAndStartsEveryFrame) {
    remake(800, 600);
    Picture p = gradient(800, 600);
    loadBackground(writePng("big.png", p).c_str());
    EXPECT_TRUE(tileSet(0)->columns == 2 && tileSet(0)->rows == 2);
    EXPECT_EQ(firstDifference(screen(), p), -1);
    // The game's own viewport must not shift the next frame's background.
    setViewport(40, 30, 100, 100);
    presentFrame();
    EXPECT_EQ(firstDifference(screen(), p), -1);
    std::vector<uint32_t> names;
    for (const Tile& tile : tileSet(0)->tiles) names.push_back(tile.texture);
    clearScreen();
    EXPECT_TRUE(tileSet(0)->empty());
    for (uint32_t name : names) EXPECT_FALSE(glIsTexture(name)) << name;
}

TEST_F(Backgrounds, PicturesThatCannotBeBackgroundsLeaveABlackScreen) {
    std::string wide = writePng("wide.png", test::picture(kMaxTilesPerSide * 512 + 1, 1, ~0u));
    test::writeWholeFile(temp_.file("broken.png"), "not a picture");
    std::string broken = temp_.file("broken.png").string();
    const std::pair<const char*, std::function<void()>> failures[] = {
        {"too wide", [&] { loadBackground(wide.c_str()); }},
        {"missing", [] { loadBackground("missing.png"); }},
        {"fading to a broken file", [&] { fadeToBackground(broken.c_str()); }},
    };
    for (const auto& [what, fail] : failures) {
        SCOPED_TRACE(what);
        loadBackground(writePng("ok.png", gradient(320, 240)).c_str());
        ASSERT_FALSE(tileSet(0)->empty());
        fail();
        for (int32_t set : {0, 1, 2}) EXPECT_TRUE(tileSet(set)->empty()) << set;
        Picture s = screen();
        EXPECT_EQ(s.rgbAt(5, 0) | s.rgbAt(160, 120), 0u);
    }
}

TEST_F(Backgrounds, GrabKeepsThePictureInOneScreenSizedTile) {
    Picture p = drawGradient();
    grabBackground();
    ASSERT_EQ(tileSet(0)->tiles.size(), 1u);
    EXPECT_EQ(tileSetBytes(0), 512u * 512 * 4);
    uint32_t texture = tileSet(0)->tiles[0].texture;
    glClear(GL_COLOR_BUFFER_BIT);
    drawGradient();
    grabBackground();
    EXPECT_EQ(tileSet(0)->tiles[0].texture, texture) << "a grab of the same size reuses";
    presentFrame();
    EXPECT_EQ(firstDifference(screen(), p), -1);
    remake(320, 240);
    EXPECT_TRUE(tileSet(0)->empty()) << "the surface takes its tile sets with it";
}

// The arithmetic this driver cannot show: other maximum sizes, tall screens.
TEST(TileLayout, GrabTilesHoldTheScreenAndGridsFitTheTileTable) {
    struct GrabCase {
        int32_t width, height, maxTexture, tile;
    };
    const GrabCase grabs[] = {{800, 600, 16384, 1024},
                              {512, 512, 16384, 512},
                              {300, 1920, 2048, 2048},
                              {5000, 300, 2048, 2048}};
    for (GrabCase c : grabs) {
        EXPECT_EQ(grabTileSize(c.width, c.height, c.maxTexture), c.tile) << c.width;
    }
    struct GridCase {
        int32_t width, height, columns, rows;
        bool fits;
    };
    for (GridCase c : {GridCase{64 * 512, 10, 64, 1, true}, {10, 100000, 1, 196, false}}) {
        TileGrid grid = tilesCovering(c.width, c.height, 512);
        EXPECT_EQ(grid.columns * 1000 + grid.rows, c.columns * 1000 + c.rows) << c.width;
        EXPECT_EQ(fitsTileTable(grid), c.fits) << c.width;
        EXPECT_EQ(croppedToTileTable(grid).rows, std::min(c.rows, kMaxTilesPerSide));
    }
}

TEST_F(Backgrounds, SavedScreensReadBackIntactAndOpaqueWhateverTheKeyColour) {
    // 801 wide: rows of 2403 bytes read back at 1-byte alignment, 1 byte of padding.
    for (auto [width, name] : {std::pair{320, "s.bmp"}, {320, "s.PNG"}, {801, "wide.bmp"}}) {
        SCOPED_TRACE(name);
        remake(width, 40);
        Picture p = drawGradient();
        fillRect(0, 0, 8, 8, 0);
        for (int32_t i = 0; i < 64; ++i) std::fill_n(p.at(i % 8, i / 8), 3, 0);
        // Black as the key, as games set it: a screenshot keeps black black
        // and opaque.
        setTransparentColour(0);
        saveScreen(temp_.file(name).c_str());
        expectFileShows(temp_.file(name), p);
    }
}

// Sprites of any size read back intact; only keys within 0..0xFFFFFF turn
// their colour transparent in a PNG and 0x8000FF in a BMP (-1: keying off),
// and a PNG has no palette.
TEST_F(Backgrounds, SavedSpritesOfAnySizeKeyedOnlyWithinTheColourRange) {
    setTransparentColour(-1);
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
    Picture white = gradient(37, 9);
    std::fill_n(white.at(5, 2), 3, 255);
    loadSprite(writePng("white.png", white).c_str(), 4);
    struct Case {
        const char* name;
        int32_t key;
        bool png, keyed;
    };
    const Case cases[] = {{"a.png", 0xFFFFFF, true, true},   {"SHOT.PNG", -1, true, false},
                          {"k.png", 0x1FFFFFF, true, false}, {"x.png2", 0xFFFFFF, false, true},
                          {"k.bmp", -1, false, false},       {"k.bmp", 0x1FFFFFF, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.name << " " << c.key);
        setTransparentColour(c.key);
        saveSprite(4, temp_.file(c.name).c_str());
        std::string file = readWholeFile(temp_.file(c.name));
        EXPECT_EQ(file.substr(0, c.png ? 4 : 2), c.png ? "\x89PNG" : "BM");
        EXPECT_EQ(file.find("PLTE"), std::string::npos);
        Picture want = white;
        if (c.keyed && c.png) want.at(5, 2)[3] = 0;
        if (c.keyed && !c.png) std::copy_n("\xFF\x00\x80", 3, want.at(5, 2));
        expectFileShows(temp_.file(c.name), want);
    }
}

TEST_F(Backgrounds, RefusedSavesWriteNothing) {
    const std::filesystem::path out = temp_.file("out");
    std::filesystem::create_directories(out / "taken.bmp");
    loadSprite(writePng("s.png", gradient(4, 4)).c_str(), 1);
    std::string longName = (out / std::string(1024, 'n')).string().substr(0, 1024);
    for (const std::string& name :
         {longName, (out / "no/folder.bmp").string(), (out / "taken.bmp").string()}) {
        saveScreen(name.c_str());
        saveSprite(1, name.c_str());
    }
    for (double slot : {5.0, -1.0, 70000.0}) saveSprite(slot, (out / "none.bmp").c_str());
    std::vector<uint8_t> block(4 * 3 * 4);  // sizes the block does not hold
    for (BgrImage bad : {BgrImage{block.data(), 0, 4, 12, 4}, BgrImage{block.data(), 4, 4, 11, 4},
                         BgrImage{block.data(), 4, 4, 12, 3}}) {
        EXPECT_FALSE(writeImageFile((out / "bad.bmp").c_str(), bad, -1));
    }
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(out)) {
        names.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(names, std::vector<std::string>{"taken.bmp"});
    EXPECT_TRUE(std::filesystem::is_empty(out / "taken.bmp"));
    EXPECT_FALSE(isPngFileName(".png"));  // too short to be a name with an extension
}

}  // namespace
}  // namespace vorlan
