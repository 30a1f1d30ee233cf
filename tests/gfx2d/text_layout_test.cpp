// The arithmetic the driver cannot show: font numbers beyond any real
// call, and tile sizes for drivers and screens other than this machine's.
#include <gtest/gtest.h>

#include <limits>

#include "gfx2d/text_layout.h"
#include "gfx2d/tile_layout.h"

namespace vorlan {
namespace {

TEST(FontNumbers, ClampBeforeTruncation) {
    double nan = std::numeric_limits<double>::quiet_NaN();
    double inf = std::numeric_limits<double>::infinity();
    for (auto [number, font] : {std::pair{5.9, 5},
                                {31.9, 31},
                                {40.0, 31},
                                {-0.5, 0},
                                {nan, 0},
                                {inf, 31},
                                {-inf, 0},
                                {1e300, 31}}) {
        EXPECT_EQ(fontNumber(number), font) << number;
    }
}

TEST(TileLayout, GrabTilesHoldTheScreenInOneUpToTheDriverMaximum) {
    struct Case {
        int32_t width, height, maxTexture, tile;
    };
    for (Case c : {Case{320, 240, 16384, 512},
                   {800, 600, 16384, 1024},
                   {512, 512, 16384, 512},
                   {1920, 1080, 2048, 2048},
                   {5000, 300, 2048, 2048}}) {
        EXPECT_EQ(grabTileSize(c.width, c.height, c.maxTexture), c.tile) << c.width;
    }
    EXPECT_EQ(loadTileSize(256), 256);
}

TEST(TileLayout, GridsAreRefusedOrCroppedAtTheTileTable) {
    struct Case {
        int32_t width, height, columns, rows;
        bool fits;
    };
    for (Case c : {Case{800, 600, 2, 2, true},
                   {64 * 512, 10, 64, 1, true},
                   {64 * 512 + 1, 10, 65, 1, false},
                   {10, 100000, 1, 196, false}}) {
        TileGrid grid = tilesCovering(c.width, c.height, 512);
        EXPECT_EQ(grid.columns, c.columns);
        EXPECT_EQ(grid.rows, c.rows);
        EXPECT_EQ(fitsTileTable(grid), c.fits);
        TileGrid cropped = croppedToTileTable(grid);
        EXPECT_EQ(cropped.rows, std::min(c.rows, kMaxTilesPerSide));
    }
    EXPECT_EQ(tileContent(600, 1, 512), 88);
    EXPECT_EQ(tileContent(600, 2, 512), 0);
}

}  // namespace
}  // namespace vorlan
