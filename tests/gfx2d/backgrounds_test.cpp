// Backgrounds, grabs and saved pictures on the real driver. Saved files are
// read back by ImageMagick, not by the runtime's decoders, so that a
// writer's fault cannot hide behind the same fault in a reader.
#include <signal.h>
#include <sys/resource.h>
#include <vorlan/app.h>
#include <vorlan/backgrounds.h>
#include <vorlan/sprites.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "gfx2d/game_window.h"
#include "gfx2d/gl_surface.h"
#include "gfx2d/image_writer.h"
#include "gfx2d/tile_layout.h"
#include "gfx2d/tile_sets.h"
#include "support/child_entry.h"
#include "support/subprocess.h"

namespace vorlan {
namespace {

using test::gradient;
using test::Picture;
using test::readWholeFile;
using test::TempFolder;

// R, G, B, A per pixel, top row first, as ImageMagick reads the file.
std::string independentRgba(const std::filesystem::path& file) {
    std::string raw = file.string() + ".rgba";
    test::runCommand("convert '" + file.string() + "' -depth 8 'rgba:" + raw + "'");
    std::string pixels = readWholeFile(raw);
    std::filesystem::remove(raw);
    return pixels;
}

uint32_t le(const std::string& bytes, size_t at, int size) {
    uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
    return value;
}

// RGBA pixels, top row first, against a picture's colours.
void expectShows(const uint8_t* rgba, size_t size, const Picture& want) {
    ASSERT_EQ(size, want.pixels.size());
    for (size_t i = 0; i < size; i += 4) {
        ASSERT_EQ(0, std::memcmp(rgba + i, &want.pixels[i], 3)) << "pixel " << i / 4;
    }
}
void expectShows(const Picture& shown, const Picture& want) {
    expectShows(shown.pixels.data(), shown.pixels.size(), want);
}

// A saved picture read back intact; a BMP's every header field and its
// zeroed row padding as well.
void expectFileShows(const std::filesystem::path& file, const Picture& want) {
    std::string rgba = independentRgba(file);
    expectShows(reinterpret_cast<const uint8_t*>(rgba.data()), rgba.size(), want);
    if (file.extension() != ".bmp") return;
    std::string bmp = readWholeFile(file);
    size_t rowBytes = static_cast<size_t>(want.width) * 3;
    size_t stride = (rowBytes + 3) / 4 * 4;
    ASSERT_EQ(bmp.size(), 54 + stride * want.height);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    struct Field {
        size_t at;
        int size;
        uint32_t value;
    };
    for (Field f : {Field{2, 4, static_cast<uint32_t>(bmp.size())},
                    {6, 4, 0},
                    {10, 4, 54},
                    {14, 4, 40},
                    {18, 4, static_cast<uint32_t>(want.width)},
                    {22, 4, static_cast<uint32_t>(want.height)},
                    {26, 2, 1},
                    {28, 2, 24},
                    {30, 4, 0},
                    {38, 4, 10000},
                    {42, 4, 10000},
                    {46, 4, 0},
                    {50, 4, 0}}) {
        EXPECT_EQ(le(bmp, f.at, f.size), f.value) << "field at " << f.at;
    }
    for (int32_t row = 0; row < want.height; ++row) {
        for (size_t pad = rowBytes; pad < stride; ++pad) {
            ASSERT_EQ(bmp[54 + row * stride + pad], 0) << "padding of row " << row;
        }
    }
}

class Backgrounds : public test::GLSurface {
  protected:
    void SetUp() override {
        GLSurface::SetUp();
        setAutoPause(0);  // other tests' windows take the focus; these present frames
    }
    void resize(int32_t width, int32_t height) {
        delete gameWindow;
        gameWindow = new GameWindow();
        ASSERT_TRUE(gameWindow->createSurface(width, height, 0, 0));
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
    std::string wide = writePng("wide.png", tooWide);
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
        EXPECT_EQ(s.at(5, 0)[0] | s.at(5, 0)[1] | s.at(160, 120)[2], 0);
    }
}

TEST_F(Backgrounds, GrabKeepsThePictureInOneScreenSizedTile) {
    Picture p = drawGradient();
    grabBackground();
    const TileSet& set = *tileSet(0);
    ASSERT_EQ(set.tiles.size(), 1u);
    EXPECT_EQ(tileSetBytes(0), 512u * 512 * 4);
    uint32_t texture = set.tiles[0].texture;
    glClear(GL_COLOR_BUFFER_BIT);
    drawGradient();
    grabBackground();
    EXPECT_EQ(tileSet(0)->tiles[0].texture, texture) << "a grab of the same size reuses";
    presentFrame();
    expectShows(screen(), p);
    resize(320, 240);
    EXPECT_TRUE(tileSet(0)->empty()) << "the surface takes its tile sets with it";
}

// The arithmetic this driver cannot show: other maximum sizes, tall screens.
TEST(TileLayout, GrabTilesHoldTheScreenAndGridsFitTheTileTable) {
    struct GrabCase {
        int32_t width, height, maxTexture, tile;
    };
    for (GrabCase c : {GrabCase{800, 600, 16384, 1024},
                       {512, 512, 16384, 512},
                       {300, 1920, 2048, 2048},
                       {5000, 300, 2048, 2048}}) {
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

TEST_F(Backgrounds, SavedScreensReadBackIntactWhateverTheKeyColour) {
    // 801 wide: rows of 2403 bytes read back at 1-byte alignment, 1 byte of padding.
    for (auto [width, name] : {std::pair{320, "s.bmp"}, {320, "s.PNG"}, {801, "wide.bmp"}}) {
        SCOPED_TRACE(name);
        resize(width, 40);
        Picture p = drawGradient();
        fillRect(0, 0, 8, 8, 0);
        for (int32_t i = 0; i < 64; ++i) std::memset(p.at(i % 8, i / 8), 0, 3);
        // Black as the key, as games set it: a screenshot keeps black black
        // and opaque.
        setTransparentColour(0);
        saveScreen(temp_.file(name).c_str());
        expectFileShows(temp_.file(name), p);
        std::string rgba = independentRgba(temp_.file(name));
        for (size_t i = 3; i < rgba.size(); i += 4) ASSERT_EQ(uint8_t(rgba[i]), 255) << i / 4;
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
    for (double slot : {5.0, -1.0, 70000.0}) {  // empty and invalid slots
        saveSprite(slot, temp_.file("none.bmp").c_str());
        EXPECT_FALSE(std::filesystem::exists(temp_.file("none.bmp"))) << slot;
    }
}

// Colour of pixel (x, y counted from the top) as red | green << 8 | blue << 16.
uint32_t pixel(int32_t x, int32_t y) {
    return static_cast<uint32_t>((x * 7 + y) & 0xFF) | ((x * 3 + y * 5) & 0xFF) << 8 |
           ((y * 11 + 1) & 0xFF) << 16;
}

// A read-back block as OpenGL gives it: bottom row first, rows padded
// beyond the picture, more rows than the picture, junk outside it.
struct Block {
    std::vector<uint8_t> bytes;
    BgrImage image;

    Block(int32_t width, int32_t height) {
        size_t stride = (static_cast<size_t>(width) * 3 + 3) / 4 * 4 + 4;
        bytes.assign(stride * (height + 3), 0xEE);
        image = {bytes.data(), width, height, stride, height + 3};
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width; ++x) set(x, y, pixel(x, y));
        }
    }
    void set(int32_t x, int32_t y, uint32_t colour) {
        uint8_t* p = bytes.data() + static_cast<size_t>(image.height - 1 - y) * image.rowStride +
                     static_cast<size_t>(x) * 3;
        p[0] = static_cast<uint8_t>(colour >> 16);
        p[1] = static_cast<uint8_t>(colour >> 8);
        p[2] = static_cast<uint8_t>(colour);
    }
};

std::vector<std::string> folderEntries(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

// Only keys within 0..0xFFFFFF substitute: -1 (keying off) leaves white white.
TEST(ImageWriter, PngByNameWithAlphaAndNoPaletteKeyedOnlyWithinTheColourRange) {
    struct Case {
        const char* name;
        int32_t key;
        bool png, keyed;
    };
    for (Case c : {Case{"a.png", 0xFFFFFF, true, true},
                   {"SHOT.PNG", -1, true, false},
                   {"k.png", 0x1FFFFFF, true, false},
                   {"x.png2", 0xFFFFFF, false, true},
                   {"k.bmp", -1, false, false},
                   {"k.bmp", 0x1FFFFFF, false, false}}) {
        SCOPED_TRACE(testing::Message() << c.name << " " << c.key);
        TempFolder temp;
        Block block(37, 9);
        block.set(5, 2, 0xFFFFFF);
        ASSERT_TRUE(writeImageFile(temp.file(c.name).c_str(), block.image, c.key));
        std::string file = readWholeFile(temp.file(c.name));
        EXPECT_EQ(file.substr(0, c.png ? 4 : 2), c.png ? "\x89PNG" : "BM");
        EXPECT_EQ(file.find("PLTE"), std::string::npos);
        std::string rgba = independentRgba(temp.file(c.name));
        ASSERT_EQ(rgba.size(), 37u * 9 * 4);
        for (int32_t i = 0; i < 37 * 9; ++i) {
            // A keyed pixel is transparent in a PNG and 0x8000FF in a BMP.
            bool white = i == 2 * 37 + 5;
            bool clear = white && c.keyed && c.png;
            ASSERT_EQ(static_cast<uint8_t>(rgba[i * 4 + 3]), clear ? 0 : 255) << i;
            uint32_t want = !white ? pixel(i % 37, i / 37) : c.keyed ? 0x8000FF : 0xFFFFFF;
            if (!clear) {
                ASSERT_EQ(le(rgba, i * 4, 3), want) << i;
            }
        }
    }
    EXPECT_FALSE(isPngFileName(".png"));  // too short to be a name with an extension
}

TEST(ImageWriter, RefusedSavesWriteNothing) {
    TempFolder temp;
    std::filesystem::create_directory(temp.file("taken.bmp"));
    Block good(4, 4);
    BgrImage zeroWidth = good.image, shortRows = good.image, fewRows = good.image;
    zeroWidth.width = 0;
    shortRows.rowStride = 11;
    fewRows.rowCount = 3;
    std::string longName = (temp.path() / std::string(1024, 'n')).string().substr(0, 1024);
    for (auto [name, image] : {std::pair{temp.file("a.bmp").string(), zeroWidth},
                               {temp.file("b.png").string(), shortRows},
                               {temp.file("c.bmp").string(), fewRows},
                               {longName, good.image},
                               {temp.file("no/folder.bmp").string(), good.image},
                               {temp.file("taken.bmp").string(), good.image}}) {
        EXPECT_FALSE(writeImageFile(name.c_str(), image, -1)) << name.substr(0, 80);
    }
    EXPECT_EQ(folderEntries(temp.path()), std::vector<std::string>{"taken.bmp"});
}

// Saves a noisy picture, far over the file size limit, onto an old file.
VORLAN_TEST_CHILD(SaveOverSizeLimit) {
    signal(SIGXFSZ, SIG_IGN);  // the write then fails with EFBIG instead
    rlimit limit{4096, 4096};
    setrlimit(RLIMIT_FSIZE, &limit);
    Block block(300, 200);
    uint32_t state = 12345;
    for (uint8_t& byte : block.bytes) byte = static_cast<uint8_t>((state *= 1103515245) >> 24);
    std::string name = std::getenv("VORLAN_SAVE_TARGET");
    std::printf("saved %d\n", writeImageFile(name.c_str(), block.image, -1) ? 1 : 0);
}

TEST(ImageWriter, SaveFailingPartWayKeepsTheOldFile) {
    for (const char* name : {"old.bmp", "old.png"}) {
        SCOPED_TRACE(name);
        TempFolder temp;
        std::string old = "the earlier picture, kept byte for byte";
        test::writeWholeFile(temp.file(name), old);
        setenv("VORLAN_SAVE_TARGET", temp.file(name).c_str(), 1);
        auto child = test::startChild("SaveOverSizeLimit");
        unsetenv("VORLAN_SAVE_TARGET");
        EXPECT_EQ(child->waitForExit(30000), 0);
        EXPECT_NE(child->output().find("saved 0"), std::string::npos) << child->output();
        EXPECT_EQ(readWholeFile(temp.file(name)), old);
        EXPECT_EQ(folderEntries(temp.path()), std::vector<std::string>{name});
    }
}

}  // namespace
}  // namespace vorlan
