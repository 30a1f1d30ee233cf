// The maze generator over many seeds and shapes: its walls, its reach and
// its refusals.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include <vorlan/value.h>

#include "game/field.h"
#include "tests/game/field_walk.h"

namespace quillowen {
namespace {

using vorlan::dimensionArray;
using vorlan::elementAt;

RtNumberArray mazeFromSeed(uint32_t seed, int width = 50, int height = 50, double wallParam = 1) {
    test::seedFresh(seed);
    RtNumberArray field;
    dimensionArray(field, width, height);
    EXPECT_EQ(generateField(field, wallParam), 0);
    return field;
}

TEST(FieldGenerator, EveryMazeIsWalledOpenAndConnected) {
    struct Case {
        int width, height;
        double wallParam;
        uint32_t seeds;
    } cases[] = {{50, 50, 1, 400}, {5, 5, 1, 30},   {7, 31, 1, 30},    {8, 32, 1, 30},
                 {64, 20, 1, 30},  {50, 50, 3, 30}, {41, 41, 2.5, 30}, {9, 9, 20, 30}};
    for (const Case& c : cases) {
        // Even sides put the far borders in line with the posts, and from
        // 10 cells across the side stubs cannot meet and close a row: only
        // then are the corridors sure to join up.
        const bool joined = c.width % 2 == 0 && c.height % 2 == 0 && c.width >= 10;
        for (uint32_t seed = 0; seed < c.seeds; ++seed) {
            SCOPED_TRACE(testing::Message()
                         << c.width << "x" << c.height << " " << c.wallParam << " seed " << seed);
            RtNumberArray field = mazeFromSeed(seed * 2654435761u, c.width, c.height, c.wallParam);
            const std::vector<int> reach = test::cellsFromStart(field);
            int hedges = 0;
            for (int y = 0; y < c.height; ++y) {
                for (int x = 0; x < c.width; ++x) {
                    double cell = elementAt(field, x, y);
                    ASSERT_TRUE(cell == CELL_EMPTY || cell == CELL_HEDGE) << x << "," << y;
                    if (x == 0 || y == 0 || x == c.width - 1 || y == c.height - 1) {
                        ASSERT_EQ(cell, CELL_HEDGE) << x << "," << y;
                    } else if (x % 2 == 1 && y % 2 == 1 &&
                               (c.wallParam == 1 || (x == 1 && y == 1))) {
                        // Longer walls may run over odd cells; the start stays free.
                        ASSERT_EQ(cell, CELL_EMPTY) << x << "," << y;
                    }
                    if (joined && cell == CELL_EMPTY) {
                        ASSERT_GT(reach[y * c.width + x], 0) << x << "," << y;
                    }
                    hedges += cell == CELL_HEDGE;
                }
            }
            // A maze, not a bare border: the game's walls fill the inside.
            if (c.wallParam == 1) {
                EXPECT_GT(hedges,
                          2 * (c.width + c.height) - 4 + (c.width - 2) * (c.height - 2) / 5);
            }
        }
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

}  // namespace
}  // namespace quillowen
