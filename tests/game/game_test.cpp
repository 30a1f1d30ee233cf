// Quillowen's parts on their own, the media read through the runtime's decoders.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "audio/wave_reader.h"
#include "game/field.h"
#include "game/media.h"
#include "game/round.h"
#include "gfx2d/gl_surface.h"
#include "gfx2d/image_file.h"
#include "support/subprocess.h"
#include "tests/game/field_walk.h"

namespace vorlan::test {
namespace {

using namespace quillowen;
using quillowen::test::cellsFromStart, quillowen::test::cellsOf, quillowen::test::seedFresh;

std::vector<double> mazeFromSeed(uint32_t seed, int width = 50, int height = 50, double wall = 1) {
    seedFresh(seed);
    RtNumberArray field;
    dimensionArray(field, width, height);
    EXPECT_EQ(generateField(field, wall), 0);
    return cellsOf(field);
}

TEST(FieldGenerator, EachSeedGivesOneWalledOpenConnectedMazeAndBadShapesAreRefused) {
    // Width, height, wall parameter, seeds.
    const std::tuple<int, int, double, uint32_t> shapes[] = {
        {50, 50, 1, 400}, {5, 5, 1, 30},   {7, 31, 1, 30},    {8, 32, 1, 30},
        {64, 20, 1, 30},  {50, 50, 3, 30}, {41, 41, 2.5, 30}, {9, 9, 20, 30}};
    for (auto [width, height, wallParam, seeds] : shapes) {
        // Even sides put the far borders in line with the posts, and from 10
        // cells across the side stubs cannot close a row: the corridors join.
        const bool joined = width % 2 == 0 && height % 2 == 0 && width >= 10;
        for (uint32_t seed = 0; seed < seeds; ++seed) {
            SCOPED_TRACE(testing::Message()
                         << width << "x" << height << " " << wallParam << " seed " << seed);
            const auto maze = mazeFromSeed(seed * 2654435761u, width, height, wallParam);
            const std::vector<int> reach = cellsFromStart(maze, width);
            for (int i = 0; i < width * height; ++i) {
                const int x = i % width, y = i / width;
                const bool border = x == 0 || y == 0 || x == width - 1 || y == height - 1;
                // Longer walls may run over odd cells; the start stays free.
                const bool post = x % 2 && y % 2 && (wallParam == 1 || (x == 1 && y == 1));
                ASSERT_TRUE(maze[i] == CELL_EMPTY || maze[i] == CELL_HEDGE) << x << "," << y;
                ASSERT_TRUE(!border || maze[i] == CELL_HEDGE) << x << "," << y;
                ASSERT_TRUE(border || !post || maze[i] == CELL_EMPTY) << x << "," << y;
                ASSERT_TRUE(!joined || maze[i] == CELL_HEDGE || reach[i] > 0) << x << "," << y;
            }
            // A maze, not a bare border: the game's walls fill the inside.
            EXPECT_TRUE(wallParam != 1 ||
                        std::count(maze.begin(), maze.end(), CELL_HEDGE) >
                            2 * (width + height) - 4 + (width - 2) * (height - 2) / 5);
        }
    }
    for (uint32_t seed : {1u, 77u, 4294967295u}) {
        EXPECT_EQ(mazeFromSeed(seed), mazeFromSeed(seed)) << seed;
        EXPECT_NE(mazeFromSeed(seed), mazeFromSeed(seed + 1)) << seed;
    }
    // Sides and wall parameters that would loop or overrun: refused, the field left alone.
    const double nan = NAN, inf = INFINITY;
    const std::array<double, 4> refused[] = {{50, 50, 0, 0},   {50, 50, 0, 0.99}, {50, 50, 0, -1},
                                             {50, 50, 0, nan}, {50, 50, 0, inf},  {4, 50, 0, 1},
                                             {50, 4, 0, 1},    {4, 4, 0, 1},      {50, 0, 0, 1},
                                             {10, 10, 2, 1},   {0, 0, 0, 1}};
    for (auto [d1, d2, d3, wallParam] : refused) {
        RtNumberArray field;
        dimensionArray(field, d1, d2, d3);
        std::fill_n(field.data(), field.elementCount(), 7);
        EXPECT_EQ(generateField(field, wallParam), -1) << d1 << "x" << d2 << "x" << d3;
        EXPECT_EQ(cellsOf(field), std::vector<double>(field.elementCount(), 7));
    }
}

TEST(RoundSetup, TheRouteLeadsFromTheStartToHerTheShortestWay) {
    std::vector<uint32_t> seeds = {quillowen::test::seedPuttingHerOnTheStart()};
    ASSERT_NE(seeds[0], 0u);
    for (uint32_t seed = 1; seed <= 150; ++seed) seeds.push_back(seed);
    for (uint32_t seed : seeds) {
        SCOPED_TRACE(seed);
        seedFresh(seed);
        Round r;
        ASSERT_TRUE(setUpRound(r));
        const int n = static_cast<int>(routeLength(r));
        ASSERT_GE(n, 2);
        auto at = [&r](int row, int column) { return elementAt(r.route, row, column); };
        EXPECT_EQ(std::vector<double>({at(0, 0), at(0, 1), at(n - 1, 0), at(n - 1, 1)}),
                  std::vector<double>({1, 1, r.figureX, r.figureY}));
        const std::vector<double> cells = cellsOf(r.field);
        for (int i = 1; i < n; ++i) {
            ASSERT_EQ(std::hypot(at(i, 0) - at(i - 1, 0), at(i, 1) - at(i - 1, 1)), 1) << i;
            ASSERT_NE(cells[at(i, 1) * 50 + at(i, 0)], CELL_HEDGE) << i;
        }
        // Decoys and the figure do not block the way: only hedges do.
        EXPECT_EQ(n, cellsFromStart(cells, 50)[r.figureY * 50 + r.figureX]);

        // She stands on her cell, the snail on its start from the first
        // frame, and decoys of whole codes elsewhere.
        EXPECT_EQ(cells[r.figureY * 50 + r.figureX], CELL_FIGURE);
        EXPECT_EQ(cells[51], CELL_SNAIL);
        auto count = [&cells](auto is) { return std::count_if(cells.begin(), cells.end(), is); };
        const auto decoys = count([](double c) { return c >= 11 && c <= 17 && c == int(c); });
        EXPECT_EQ(count([](double c) { return c <= CELL_HEDGE; }) + decoys + 2, 2500);
        EXPECT_TRUE(decoys > 100 && decoys <= 501) << decoys;
    }
}

// Name, size, whether drawn on the field (alpha then only 0 or 255: the hit
// test sees what is drawn), and the rows at least under its lowest pixel.
const std::tuple<std::string, int, int, bool, int> kPictures[] = {
    {"bush.png", 64, 88, true, 0},         {"snail.png", 40, 58, true, 36},
    {"find0.png", 32, 88, true, 36},       {"find1.png", 32, 88, true, 36},
    {"find2.png", 32, 88, true, 36},       {"find3.png", 32, 88, true, 36},
    {"find4.png", 32, 88, true, 36},       {"find5.png", 32, 88, true, 36},
    {"find6.png", 32, 88, true, 36},       {"finder.png", 64, 32, false, 0},
    {"pixel.png", 1, 1, false, 0},         {"snail-mini.png", 32, 14, false, 0},
    {"brinna-mini.png", 56, 56, false, 0}, {"win.png", 320, 240, false, 0},
    {"failed.png", 320, 240, false, 0},    {"smalfont.bmp", 128, 64, false, 0}};

// The alpha of each pixel; the font's black is keyed out, the sprites' not.
std::vector<uint8_t> alphaOf(const std::string& name, int& width, int& height) {
    PixelBuffer image;
    EXPECT_TRUE(
        decodeImageFile(image, (buildBin() / name).c_str(), name.ends_with("bmp") ? 0 : 0x8000FF));
    width = image.width(), height = image.height();
    std::vector<uint8_t> alpha;
    for (int i = 0; i < width * height; ++i)
        alpha.push_back(image.row(i / width)[i % width * 4 + 3]);
    return alpha;
}

// The opaque pixels of a picture standing on a cell, in screen coordinates.
std::set<std::pair<int, int>> opaquePixels(const std::string& name, int cellX, int cellY) {
    int w = 0, h = 0;
    const std::vector<uint8_t> alpha = alphaOf(name, w, h);
    std::set<std::pair<int, int>> pixels;
    const int left = cellLeft(cellX, cellY, w, 0), top = cellTop(cellX, cellY, h, 0);
    for (int i = 0; i < w * h; ++i)
        if (alpha[i]) pixels.emplace(left + i % w, top + i / w);
    return pixels;
}

TEST(Media, EveryFileDecodesWithItsLayoutAndTheGeneratorRepeatsItByteForByte) {
    for (const auto& [name, width, height, onField, footRoom] : kPictures) {
        int w = 0, h = 0, lowestRow = -1;
        const std::vector<uint8_t> alpha = alphaOf(name, w, h);
        EXPECT_EQ(std::pair(w, h), std::pair(width, height)) << name;
        for (int i = 0; i < w * h; ++i) {
            if (alpha[i]) lowestRow = i / w;
            ASSERT_TRUE(!onField || alpha[i] == 0 || alpha[i] == 255) << name << " " << i;
        }
        EXPECT_TRUE(lowestRow >= 0 && h - lowestRow >= footRoom) << name << " " << lowestRow;
    }
    // The font has 16 x 8 cells of 8 x 8: the space's is bare, a letter's is not.
    int w = 0, h = 0;
    const std::vector<uint8_t> font = alphaOf("smalfont.bmp", w, h);
    for (char c : std::string(" AVOL:0123456789!/")) {
        int opaque = 0;
        for (int i = 0; i < 64; ++i)
            opaque += font[(c / 16 * 8 + i / 8) * w + c % 16 * 8 + i % 8] != 0;
        EXPECT_TRUE(c == ' ' ? opaque == 0 : opaque > 6) << c;
    }
    for (const char* name : {"fail.wav", "win.wav", "wenvoke.wav"}) {
        const std::string bytes = readWholeFile(buildBin() / name);
        const auto* start = reinterpret_cast<const uint8_t*>(bytes.data());
        WaveData wave;
        ASSERT_TRUE(parseWave(start, bytes.size(), wave)) << name;
        // A slot of one copy must be free again for the next round.
        double seconds = double(wave.byteCount) / wave.format.blockSize / wave.format.sampleRate;
        EXPECT_TRUE(seconds > 0.3 && seconds <= 1.4) << name << " " << seconds;
    }
    TempFolder out;
    ProcessResult run = runToEnd({buildBin() / "quillowen-media", out.path().string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    for (const char* name : {"bush.png", "find3.png", "win.png", "smalfont.bmp", "win.wav"}) {
        EXPECT_EQ(readWholeFile(out.file(name)), readWholeFile(buildBin() / name)) << name;
    }
}

TEST(Media, NothingDrawnAfterTheFigureCoversHer) {
    const auto body = opaquePixels("find0.png", 25, 25);
    for (const char* name : {"bush.png", "snail.png", "find0.png", "find3.png", "find5.png"}) {
        // The cells drawn after hers: later rows, and lower x in her row.
        for (int cell = 0; cell < 4 * 7; ++cell) {
            const int x = 22 + cell % 7, y = 25 + cell / 7;
            for (auto pixel : opaquePixels(name, x, y)) {
                ASSERT_TRUE((y == 25 && x >= 25) || !body.count(pixel))
                    << name << " on " << x << "," << y;
            }
        }
    }
}

using Game = GLSurface;

TEST_F(Game, EveryMissingPictureIsNamedInTheLog) {
    const std::set<std::string> missing = {"find0.png", "pixel.png"};
    for (const auto& [name, w, h, onField, room] : kPictures) {
        if (!missing.count(name)) std::filesystem::copy_file(buildBin() / name, temp_.file(name));
    }
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(temp_.path());
    loadPictures();
    std::filesystem::current_path(before);
    // In the game's own lines; the runtime's start with the program's name.
    const std::string log = readWholeFile(temp_.file("ErrorLog.txt"));
    for (const auto& [name, w, h, onField, room] : kPictures) {
        EXPECT_EQ(log.find("\ncannot load " + name + "\r") != std::string::npos,
                  missing.count(name) > 0)
            << name + "\n" + log;
    }
}

TEST_F(Game, TheTopmostPictureOverTheMiddleDecidesAndWildViewsHitNothing) {
    const std::tuple<double, int, int> slots[] = {
        {CELL_HEDGE, 64, 88}, {CELL_FIGURE, 32, 64}, {CELL_FIRST_DECOY, 64, 88}, {101, 1, 1}};
    for (auto [slot, w, h] : slots)
        loadSprite(writePng("p.png", picture(w, h, 0xC8C8C8C8)).c_str(), slot);
    // What, the cells (x, y, code), whether she is hit.
    const std::tuple<const char*, std::vector<std::vector<double>>, double> cases[] = {
        {"her alone", {{25, 25, CELL_FIGURE}}, 1},
        {"a hedge drawn before her, behind", {{26, 25, CELL_HEDGE}, {25, 25, CELL_FIGURE}}, 1},
        {"a hedge drawn after her, in front", {{25, 25, CELL_FIGURE}, {25, 26, CELL_HEDGE}}, 0},
        {"a decoy in front", {{25, 25, CELL_FIGURE}, {25, 26, CELL_FIRST_DECOY}}, 0},
        {"the decoy without a picture in front", {{25, 25, CELL_FIGURE}, {25, 26, 17}}, 1},
        {"a snail on her cell (no picture loaded)", {{25, 25, CELL_SNAIL}}, 0},
        {"only a hedge", {{26, 25, CELL_HEDGE}}, 0},
        {"empty ground", {}, 0},
    };
    for (const auto& [what, cells, expected] : cases) {
        RtNumberArray field;
        dimensionArray(field, 50, 50);
        for (const auto& cell : cells) elementAt(field, cell[0], cell[1]) = cell[2];
        // This view puts her 32 x 64 picture on (25, 25) over the probe at (160, 120).
        EXPECT_EQ(figureAtCentre(field, 1440, 1500), expected) << what;
    }
    // Views scrolled beyond any number draw and hit nothing.
    seedFresh(3);
    Round round;
    ASSERT_TRUE(setUpRound(round));
    for (double wild : {double(NAN), double(INFINITY), -double(INFINITY), 1e300, -1e300, 0x1p34}) {
        for (auto [x, y] : {std::pair{wild, 0.0}, {0.0, wild}, {wild, wild}}) {
            std::tie(round.scrollX, round.scrollY) = std::tie(x, y);
            drawRoundFrame(round);
            EXPECT_EQ(figureAtCentre(round.field, x, y), 0) << x << "," << y;
        }
    }
    // Frames still draw afterwards: the progress bar's white top edge.
    std::tie(round.scrollX, round.scrollY) = std::pair(0, 1480);
    drawRoundFrame(round);
    EXPECT_EQ(screen().rgbAt(200, 4), 0xFFFFFFu);
}

}  // namespace
}  // namespace vorlan::test
