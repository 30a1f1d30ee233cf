// The arithmetic of printing and of tile sets: cell grids, byte folding,
// font numbers and tile sizes.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "gfx2d/text_layout.h"
#include "gfx2d/tile_layout.h"

namespace vorlan {
namespace {

TEST(FontGrid, CellsFollowThePictureShape) {
    struct Case {
        int32_t width, height, textureWidth, textureHeight;
        int32_t rows, cellWidth, cellHeight;
        float columnStep, rowStep;
    };
    for (Case c : {
             Case{256, 128, 256, 128, 8, 16, 16, 1.0f / 16, 1.0f / 8},
             Case{256, 256, 256, 256, 8, 16, 32, 1.0f / 16, 1.0f / 8},  // square: 8 rows
             Case{128, 256, 128, 256, 16, 8, 16, 1.0f / 16, 1.0f / 16},
             Case{128, 64, 128, 64, 8, 8, 8, 1.0f / 16, 1.0f / 8},
             // Not powers of two: the cells are fractions of the texture.
             Case{96, 48, 128, 64, 8, 6, 6, 96.0f / 128 / 16, 48.0f / 64 / 8},
             Case{160, 200, 256, 256, 16, 10, 12, 160.0f / 256 / 16, 200.0f / 256 / 16},
             Case{0, 0, -1, -1, 8, 0, 0, 0, 0},  // an empty slot prints nothing
         }) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        FontGrid grid = fontGrid(c.width, c.height, c.textureWidth, c.textureHeight);
        EXPECT_EQ(grid.rows, c.rows);
        EXPECT_EQ(grid.cellWidth, c.cellWidth);
        EXPECT_EQ(grid.cellHeight, c.cellHeight);
        EXPECT_FLOAT_EQ(grid.columnStep, c.columnStep);
        EXPECT_FLOAT_EQ(grid.rowStep, c.rowStep);
    }
}

TEST(FontGrid, BytesAreUnsignedAndFold) {
    FontGrid small = fontGrid(128, 64, 128, 64);
    FontGrid large = fontGrid(128, 256, 128, 256);
    struct Case {
        uint8_t byte;
        int32_t inSmall, inLarge;
    };
    for (Case c : {Case{0, 0, 0},
                   {65, 65, 65},
                   {127, 127, 127},
                   {128, 0, 128},
                   {0xC1, 65, 0xC1},
                   {255, 127, 255}}) {
        EXPECT_EQ(glyphCode(c.byte, small), c.inSmall) << int{c.byte};
        EXPECT_EQ(glyphCode(c.byte, large), c.inLarge) << int{c.byte};
    }
}

TEST(FontGrid, FontNumbersClampBeforeTruncation) {
    double nan = std::numeric_limits<double>::quiet_NaN();
    double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double number;
        int32_t font;
    };
    for (Case c : {Case{0, 0},
                   {5.9, 5},
                   {31, 31},
                   {31.9, 31},
                   {40, 31},
                   {-3, 0},
                   {-0.5, 0},
                   {nan, 0},
                   {inf, 31},
                   {-inf, 0},
                   {1e300, 31}}) {
        EXPECT_EQ(fontNumber(c.number), c.font) << c.number;
    }
}

TEST(FontGrid, GlyphQuadsAdvanceByWholeCells) {
    // 96 x 48 in a 128 x 64 texture: 6 x 6 cells.
    FontGrid grid = fontGrid(96, 48, 128, 64);
    const uint8_t text[] = {'A', 0xC1, 0};
    GlyphQuad quads[3];
    layoutGlyphs(grid, text, 3, 11, 20, quads);
    float fs = 96.0f / 128 / 16;
    float ft = 48.0f / 64 / 8;
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        int code = text[i] % 128;
        float s0 = static_cast<float>(code % 16) * fs;
        float t0 = static_cast<float>(7 - code / 16) * ft;
        const QuadCorner* q = quads[i];
        float left = 11.0f + 6.0f * static_cast<float>(i);
        // Bottom-left, bottom-right, top-right, top-left.
        EXPECT_FLOAT_EQ(q[0].x, left);
        EXPECT_FLOAT_EQ(q[0].y, 26);
        EXPECT_FLOAT_EQ(q[1].x, left + 6);
        EXPECT_FLOAT_EQ(q[2].y, 20);
        EXPECT_FLOAT_EQ(q[3].x, left);
        EXPECT_FLOAT_EQ(q[0].s, s0);
        EXPECT_FLOAT_EQ(q[0].t, t0);
        EXPECT_FLOAT_EQ(q[2].s, s0 + fs);
        EXPECT_FLOAT_EQ(q[2].t, t0 + ft);
        EXPECT_GE(q[0].t, 0);
        EXPECT_LE(q[2].t, 48.0f / 64 + 1e-6f);
    }
}

TEST(TileLayout, GrabTilesHoldTheScreenInOne) {
    struct Case {
        int32_t width, height, maxTexture, tile;
    };
    for (Case c : {Case{320, 240, 16384, 512},
                   {800, 600, 16384, 1024},
                   {512, 512, 16384, 512},
                   {513, 10, 16384, 1024},
                   {1920, 1080, 2048, 2048},
                   {5000, 300, 2048, 2048},
                   {1, 1, 16384, 1}}) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " max " << c.maxTexture);
        EXPECT_EQ(grabTileSize(c.width, c.height, c.maxTexture), c.tile);
    }
    EXPECT_EQ(loadTileSize(16384), 512);
    EXPECT_EQ(loadTileSize(256), 256);
}

TEST(TileLayout, GridsCoverCropAndRefuse) {
    struct Case {
        int32_t width, height, tile;
        int32_t columns, rows;
        bool fits;
    };
    for (Case c : {Case{800, 600, 512, 2, 2, true},
                   {512, 512, 512, 1, 1, true},
                   {513, 1, 512, 2, 1, true},
                   {0, 600, 512, 0, 0, true},
                   {64 * 512, 10, 512, 64, 1, true},
                   {64 * 512 + 1, 10, 512, 65, 1, false},
                   {10, 100000, 512, 1, 196, false}}) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        TileGrid grid = tilesCovering(c.width, c.height, c.tile);
        EXPECT_EQ(grid.columns, c.columns);
        EXPECT_EQ(grid.rows, c.rows);
        EXPECT_EQ(fitsTileTable(grid), c.fits);
        TileGrid cropped = croppedToTileTable(grid);
        EXPECT_LE(cropped.columns, kMaxTilesPerSide);
        EXPECT_LE(cropped.rows, kMaxTilesPerSide);
        EXPECT_EQ(cropped.columns, std::min(c.columns, kMaxTilesPerSide));
    }
    // The right and bottom tiles of 800 x 600 hold the rest of the picture.
    EXPECT_EQ(tileContent(800, 0, 512), 512);
    EXPECT_EQ(tileContent(800, 1, 512), 288);
    EXPECT_EQ(tileContent(600, 1, 512), 88);
    EXPECT_EQ(tileContent(600, 2, 512), 0);
}

}  // namespace
}  // namespace vorlan
