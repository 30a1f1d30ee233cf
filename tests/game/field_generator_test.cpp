// The maze generator over many seeds: its shape, its reach and its
// refusals.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <queue>
#include <utility>
#include <vector>

#include <vorlan/value.h>

#include "game/field.h"
#include "tests/game/fresh_seed.h"

namespace quillowen {
namespace {

using test::seedFresh;
using vorlan::dimensionArray;
using vorlan::elementAt;

RtNumberArray mazeFromSeed(uint32_t seed, int width = 50, int height = 50) {
    seedFresh(seed);
    RtNumberArray field;
    dimensionArray(field, width, height);
    EXPECT_EQ(generateField(field, 1), 0);
    return field;
}

// Free cells that cannot be reached from (1, 1) in steps along x or y.
int unreachableCells(const RtNumberArray& field) {
    const int w = field.dim1(), h = field.dim2();
    std::vector<char> seen(w * h, 0);
    std::queue<std::pair<int, int>> open;
    open.push({1, 1});
    seen[w + 1] = 1;
    while (!open.empty()) {
        auto [x, y] = open.front();
        open.pop();
        const int steps[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
        for (auto& s : steps) {
            int nx = x + s[0], ny = y + s[1];
            if (nx < 0 || ny < 0 || nx >= w || ny >= h || seen[ny * w + nx]) continue;
            if (elementAt(field, nx, ny) == CELL_HEDGE) continue;
            seen[ny * w + nx] = 1;
            open.push({nx, ny});
        }
    }
    int lost = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (elementAt(field, x, y) != CELL_HEDGE && !seen[y * w + x]) ++lost;
        }
    }
    return lost;
}

TEST(FieldGenerator, EveryMazeIsWalledOpenAndConnected) {
    for (uint32_t seed = 0; seed < 400; ++seed) {
        SCOPED_TRACE(seed);
        RtNumberArray field = mazeFromSeed(seed * 2654435761u);
        int hedges = 0;
        for (int y = 0; y < 50; ++y) {
            for (int x = 0; x < 50; ++x) {
                double c = elementAt(field, x, y);
                ASSERT_TRUE(c == CELL_EMPTY || c == CELL_HEDGE) << x << "," << y;
                bool border = x == 0 || y == 0 || x == 49 || y == 49;
                if (border) {
                    ASSERT_EQ(c, CELL_HEDGE) << x << "," << y;
                } else if (x % 2 == 1 && y % 2 == 1) {
                    ASSERT_EQ(c, CELL_EMPTY) << x << "," << y;
                }
                hedges += c == CELL_HEDGE;
            }
        }
        // A maze, not a bare border: the walls fill the inside.
        EXPECT_GT(hedges, 196 + 500);
        ASSERT_EQ(unreachableCells(field), 0);
    }
}

TEST(FieldGenerator, SameSeedSameMazeOtherSeedOtherMaze) {
    auto cells = [](const RtNumberArray& f) {
        return std::vector<double>(f.data(), f.data() + f.elementCount());
    };
    for (uint32_t seed : {1u, 77u, 4294967295u}) {
        auto first = cells(mazeFromSeed(seed));
        EXPECT_EQ(first, cells(mazeFromSeed(seed)));
        EXPECT_NE(first, cells(mazeFromSeed(seed + 1)));
    }
}

TEST(FieldGenerator, OtherShapesAndLongerWallsKeepTheRules) {
    struct Case {
        int width, height;
        double wallParam;
    } cases[] = {{5, 5, 1},   {7, 31, 1},    {8, 32, 1}, {64, 20, 1},
                 {50, 50, 3}, {41, 41, 2.5}, {9, 9, 20}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " " << c.wallParam);
        for (uint32_t seed = 0; seed < 30; ++seed) {
            seedFresh(seed);
            RtNumberArray field;
            dimensionArray(field, c.width, c.height);
            ASSERT_EQ(generateField(field, c.wallParam), 0);
            for (int x = 0; x < c.width; ++x) {
                ASSERT_EQ(elementAt(field, x, 0), CELL_HEDGE);
                ASSERT_EQ(elementAt(field, x, c.height - 1), CELL_HEDGE);
            }
            EXPECT_EQ(elementAt(field, 1, 1), CELL_EMPTY);
            // Even sides put the far borders in line with the posts, and from
            // 10 cells across the side stubs cannot meet and close a row:
            // only then are the corridors sure to join up.
            if (c.width % 2 == 0 && c.height % 2 == 0 && c.width >= 10) {
                EXPECT_EQ(unreachableCells(field), 0);
            }
        }
    }
}

TEST(FieldGenerator, RefusesWhatWouldLoopOrOverrunAndLeavesTheFieldAlone) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double d1, d2, d3, wallParam;
    } cases[] = {{50, 50, 0, 0},   {50, 50, 0, 0.99}, {50, 50, 0, -1}, {50, 50, 0, nan},
                 {50, 50, 0, inf}, {4, 50, 0, 1},     {50, 4, 0, 1},   {4, 4, 0, 1},
                 {50, 0, 0, 1},    {10, 10, 2, 1},    {0, 0, 0, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.d1 << "x" << c.d2 << "x" << c.d3 << " " << c.wallParam);
        RtNumberArray field;
        dimensionArray(field, c.d1, c.d2, c.d3);
        for (int32_t i = 0; i < field.elementCount(); ++i) field.data()[i] = 7;
        EXPECT_EQ(generateField(field, c.wallParam), -1);
        for (int32_t i = 0; i < field.elementCount(); ++i) ASSERT_EQ(field.data()[i], 7);
    }
}

TEST(CostGrid, HedgesBlockAndEverythingElsePasses) {
    RtNumberArray field, grid;
    dimensionArray(field, 3, 2);
    const double codes[] = {CELL_EMPTY, CELL_HEDGE, CELL_SNAIL, CELL_FIGURE, CELL_LAST_DECOY, -1};
    for (int i = 0; i < 6; ++i) field.data()[i] = codes[i];
    dimensionArray(grid, 9);
    buildCostGrid(field, grid);
    ASSERT_EQ(grid.dim1(), 3);
    ASSERT_EQ(grid.dim2(), 2);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(grid.data()[i], codes[i] == CELL_HEDGE ? 0 : 1) << i;
}

}  // namespace
}  // namespace quillowen
