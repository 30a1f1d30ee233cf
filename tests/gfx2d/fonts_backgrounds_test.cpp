// Fonts, backgrounds and saved pictures. Saved files are read by ImageMagick, so
// that a writer's fault cannot hide behind the same fault in our own reader.
#include <vorlan/app.h>
#include <vorlan/backgrounds.h>
#include <vorlan/fonts.h>

#include <cmath>
#include <functional>
#include <tuple>

#include "gfx2d/builtin_font.h"
#include "gfx2d/fonts.h"
#include "gfx2d/gl_surface.h"
#include "gfx2d/image_writer.h"
#include "gfx2d/sprite_slots.h"
#include "gfx2d/tile_layout.h"
#include "gfx2d/tile_sets.h"

namespace vorlan::test {
namespace {

// A saved picture as ImageMagick reads it, alpha too (the colour of a clear
// pixel may be anything); and a BMP's size field and zeroed row padding.
void expectFileShows(const std::filesystem::path& file, const Picture& want) {
    Picture got = loadPicture(file.string());
    ASSERT_EQ(got.pixels.size(), want.pixels.size()) << file;
    for (size_t i = 0; i < want.pixels.size(); ++i) {
        bool shown = i % 4 == 3 || want.pixels[i | 3] != 0;
        ASSERT_TRUE(!shown || got.pixels[i] == want.pixels[i]) << "byte " << i << " of " << file;
    }
    if (file.extension() != ".bmp") return;
    std::string bmp = readWholeFile(file), size;
    size_t stride = (static_cast<size_t>(want.width) * 3 + 3) / 4 * 4;
    ASSERT_EQ(bmp.size(), 54 + stride * want.height);
    appendLe(size, bmp.size(), 4);
    EXPECT_EQ(bmp.substr(2, 4), size);
    for (size_t i = 54; i < bmp.size(); ++i) {
        ASSERT_TRUE((i - 54) % stride < want.width * 3u || bmp[i] == 0) << "padding at " << i;
    }
}

class Backgrounds : public GLSurface {
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
    EXPECT_TRUE(screen().pixels == p.pixels);
    // The game's own viewport must not shift the next frame's background.
    setViewport(40, 30, 100, 100);
    presentFrame();
    EXPECT_TRUE(screen().pixels == p.pixels);
    std::vector<uint32_t> names;
    for (const Tile& tile : tileSet(0)->tiles) names.push_back(tile.texture);
    clearScreen();
    EXPECT_TRUE(tileSet(0)->empty());
    for (uint32_t name : names) EXPECT_FALSE(glIsTexture(name)) << name;
}

TEST_F(Backgrounds, PicturesThatCannotBeBackgroundsLeaveABlackScreen) {
    std::string wide = writePng("wide.png", picture(kMaxTilesPerSide * 512 + 1, 1, ~0u));
    writeWholeFile(temp_.file("broken.png"), "not a picture");
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
    uint32_t texture = tileSet(0)->tiles[0].texture;
    glClear(GL_COLOR_BUFFER_BIT);
    drawGradient();
    grabBackground();
    EXPECT_EQ(tileSet(0)->tiles[0].texture, texture) << "a grab of the same size reuses";
    presentFrame();
    EXPECT_TRUE(screen().pixels == p.pixels);
    remake(320, 240);
    EXPECT_TRUE(tileSet(0)->empty()) << "the surface takes its tile sets with it";
}

// The arithmetic this driver cannot show: other maximum sizes, tall screens.
TEST(TileLayout, GrabTilesHoldTheScreenAndGridsFitTheTileTable) {
    for (auto [width, height, maxTexture, tile] : {std::array{800, 600, 16384, 1024},
                                                   {512, 512, 16384, 512},
                                                   {300, 1920, 2048, 2048},
                                                   {5000, 300, 2048, 2048}}) {
        EXPECT_EQ(grabTileSize(width, height, maxTexture), tile) << width;
    }
    for (auto [width, height, columns, rows, fits] :
         {std::array{64 * 512, 10, 64, 1, 1}, {10, 100000, 1, 196, 0}}) {
        TileGrid grid = tilesCovering(width, height, 512);
        EXPECT_EQ(grid.columns * 1000 + grid.rows, columns * 1000 + rows) << width;
        EXPECT_EQ(fitsTileTable(grid), fits) << width;
        EXPECT_EQ(croppedToTileTable(grid).rows, std::min(rows, kMaxTilesPerSide));
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
    // File name, key, and whether it is a PNG and keyed.
    const std::tuple<const char*, int32_t, bool, bool> cases[] = {
        {"a.png", 0xFFFFFF, true, true},   {"SHOT.PNG", -1, true, false},
        {"k.png", 0x1FFFFFF, true, false}, {"x.png2", 0xFFFFFF, false, true},
        {"k.bmp", -1, false, false},       {"k.bmp", 0x1FFFFFF, false, false}};
    for (auto [width, height] : {std::pair{1, 1}, {2, 2}, {3, 3}, {100, 30}}) {
        Picture white = gradient(width, height);
        std::fill_n(white.at(width / 2, height / 2), 3, 255);
        loadSprite(writePng("white.png", white).c_str(), 4);
        for (auto [name, key, png, keyed] : cases) {
            SCOPED_TRACE(testing::Message() << width << "x" << height << " " << name << " " << key);
            setTransparentColour(key);
            std::filesystem::remove(temp_.file(name));
            saveSprite(4, temp_.file(name).c_str());
            std::string file = readWholeFile(temp_.file(name));
            EXPECT_EQ(file.substr(0, png ? 4 : 2), png ? "\x89PNG" : "BM");
            EXPECT_EQ(file.find("PLTE"), std::string::npos);
            Picture want = white;
            if (keyed && png) want.at(width / 2, height / 2)[3] = 0;
            if (keyed && !png) std::copy_n("\xFF\x00\x80", 3, want.at(width / 2, height / 2));
            expectFileShows(temp_.file(name), want);
        }
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
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out), {}), 1);
    EXPECT_TRUE(std::filesystem::is_empty(out / "taken.bmp"));
    EXPECT_FALSE(isPngFileName(".png"));  // too short to be a name with an extension
}

constexpr uint32_t kGround = 0x30A050;  // 0xRRGGBB of the rectangle text is printed on

class Fonts : public GLSurface {
  protected:
    void SetUp() override {
        GLSurface::SetUp();
        fillRect(0, 0, 320, 240, 0x50A030);  // kGround as red + 256 green + 65536 blue
    }
};

// Every cell: glyph, outline or clear, and a clear last column so that
// neighbours' outlines never touch. The program's tests see it printed.
TEST(BuiltinFont, HasGlyphsWithOutlineInTheirCells) {
    PixelBuffer font;
    ASSERT_TRUE(makeBuiltinFontPicture(font));
    for (int32_t i = 0; i < font.width() * font.height(); ++i) {
        const uint8_t* p = font.row(i / font.width()) + i % font.width() * 4;
        bool clear = p[3] == 0 && (p[0] | p[1] | p[2]) == 0;
        bool ink = p[3] == 255 && p[0] == p[1] && p[1] == p[2] && (p[0] == 255 || p[0] == 8);
        ASSERT_TRUE(clear || (ink && i % 8 != 7)) << i % font.width() << "," << i / font.width();
    }
}

TEST_F(Fonts, CellFontsOfManySizesPrintTheirCells) {
    // 96 x 48, 240 x 120 and 48 x 96 are no powers of two: their cells are
    // fractions of the texture.
    // Picture size, cell size.
    const std::array<int32_t, 4> sizes[] = {{256, 128, 16, 16}, {128, 256, 8, 16},
                                            {256, 256, 16, 32}, {96, 48, 6, 6},
                                            {240, 120, 15, 15}, {48, 96, 3, 6}};
    for (auto [width, height, cellWidth, cellHeight] : sizes) {
        SCOPED_TRACE(testing::Message() << width << "x" << height);
        glClear(GL_COLOR_BUFFER_BIT);
        loadFont(writePng("font.png", cellFont(width, height)).c_str(), 3);
        double w = 0, h = 0;
        getFontSize(w, h);
        ASSERT_TRUE(w == cellWidth && h == cellHeight) << w << "x" << h;
        // UTF-8 for U+0080..U+00FF prints the character's cell, other
        // characters "?"; bytes that are no UTF-8 (Latin-1) their own cells.
        const struct {
            const char* text;
            std::vector<int32_t> cells;
        } lines[] = {
            {"\x01\x11"
             "A\x7F\x80\xC1\xFF",
             {0x01, 0x11, 'A', 0x7F, 0x80, 0xC1, 0xFF}},
            {"caf\xC3\xA9 caf\xE9", {'c', 'a', 'f', 0xE9, ' ', 'c', 'a', 'f', 0xE9}},
            {"\xC2\x80\xC3\xBF\xE2\x82\xAC\xF0\x9F\x98\x80", {0x80, 0xFF, '?', '?'}},
            {"\xC3(\xC0\xAF\xED\xA0\x80\xE2\x82",
             {0xC3, '(', 0xC0, 0xAF, 0xED, 0xA0, 0x80, 0xE2, 0x82}},
        };
        for (size_t line = 0; line < std::size(lines); ++line) {
            // Positions round up.
            printText(lines[line].text, 3.2, 6.2 + cellHeight * static_cast<double>(line));
        }
        Picture shown = screen();
        int32_t cells = width < height ? 256 : 128;
        for (size_t line = 0; line < std::size(lines); ++line) {
            const std::vector<int32_t>& want = lines[line].cells;
            EXPECT_EQ(textWidth(lines[line].text), want.size() * cellWidth) << line;
            for (size_t i = 0; i < want.size(); ++i) {
                for (int32_t p = 0; p < cellWidth * cellHeight; ++p) {
                    int32_t x = 4 + static_cast<int32_t>(i) * cellWidth + p % cellWidth;
                    int32_t y = 7 + static_cast<int32_t>(line) * cellHeight + p / cellWidth;
                    ASSERT_EQ(shown.rgbAt(x, y), cellColour(want[i] % cells))
                        << "line " << line << ", character " << i;
                }
            }
        }
    }
}

TEST_F(Fonts, NumbersOutsideTheTableTouchNoFontAndFallbacksStartFromAnEmptySlot) {
    std::string big = writePng("font.png", cellFont(256, 128));
    // Tested while still a double: truncating first would overflow.
    const double inf = std::numeric_limits<double>::infinity();
    loadFont(big.c_str(), 31);
    for (double number : {40.0, -1.0, std::nan(""), inf, -inf, 1e300}) {
        loadFont("no such font.png", number);
        setFont(number);
        EXPECT_EQ(currentFont(), 31) << number;
        EXPECT_EQ(spriteCollision(FONT_SLOT_BASE + 31, 0, 0, FONT_SLOT_BASE + 31, 100, 50), 1)
            << "font 31 was replaced by " << number;
    }
    for (auto [number, font] : {std::pair{5.9, 5}, {-0.5, 0}, {31.9, 31}}) {
        loadFont(big.c_str(), number);
        EXPECT_EQ(currentFont(), font) << number;
        int32_t slot = FONT_SLOT_BASE + font;
        // A collision test reads the font's mask; the fallback must drop it.
        EXPECT_EQ(spriteCollision(slot, 0, 0, slot, 100, 50), 1);
        loadFont("no such font.png", number);
        EXPECT_EQ(spriteCollision(slot, 0, 0, slot, 120, 56), 0) << "clear top-left cell";
        double w = 0, h = 0;
        getFontSize(w, h);
        EXPECT_TRUE(w == 8 && h == 8) << w << "x" << h;
    }
    setFont(20);  // never loaded: measures 0 x 0 and prints nothing
    double w = 1, h = 1;
    getFontSize(w, h);
    EXPECT_TRUE(w == 0 && h == 0) << w << "x" << h;
    printText("empty", 0, 0);
    EXPECT_EQ(screen().rgbAt(2, 2), kGround);
}

TEST_F(Fonts, LongTextsAndNumbersPrintEveryCell) {
    loadFont(writePng("font.png", cellFont(128, 64)).c_str(), 0);
    std::string text(1000, 'x');
    for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char>(1 + i % 127);
    // Glyph 250 lands at x = 8: the glyphs around index 256 are on screen.
    printText(text.c_str(), -250 * 8 + 8, 0);
    printNumber(-12.5, 0, 100);
    Picture shown = screen();
    for (int32_t i = 250; i < 250 + 39; ++i) {
        EXPECT_EQ(shown.rgbAt(8 + (i - 250) * 8 + 3, 4), cellColour(1 + i % 127)) << i;
    }
    RtString number = numberToText(-12.5);
    for (uint32_t i = 0; i <= number.length(); ++i) {
        uint32_t want = i < number.length() ? cellColour(number.cStr()[i]) : kGround;
        EXPECT_EQ(shown.rgbAt(static_cast<int32_t>(i) * 8 + 4, 104), want) << i;
    }
}

}  // namespace
}  // namespace vorlan::test
