// findPath against a second, separately written search with the same rules
// (tests/path/exact_heap_search.h): on random grids, with costs that tie
// often, every weight gives the very same route. This pins the neighbour
// order, the float rounding of g and f, the tie rule and the reopening rule
// from a second side.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include <vorlan/path.h>
#include <vorlan/rt_array.h>

#include "tests/path/exact_heap_search.h"

namespace vorlan {
namespace {

TEST(FindPathSameOrder, HeapWithInsertionNumbersGivesTheSameRoutes) {
    std::mt19937 rng(31337);
    std::uniform_real_distribution<double> unit(0, 1);
    int routes = 0;
    for (int round = 0; round < 1500; ++round) {
        const int width = 1 + int(unit(rng) * 30);
        const int height = 2 + int(unit(rng) * 30);
        std::vector<double> costs(size_t(width) * height);
        const double blocked = unit(rng) * 0.4;
        const int style = round % 3;
        for (double& c : costs) {
            if (unit(rng) < blocked) {
                c = 0;
            } else if (style == 0) {
                c = 1;  // all equal: ties everywhere
            } else if (style == 1) {
                c = 1 + std::floor(unit(rng) * 4);
            } else {
                c = unit(rng) * 1000;
            }
        }
        RtNumberArray grid;
        dimensionArray(grid, width, height);
        for (size_t i = 0; i < costs.size(); ++i) grid.data()[i] = costs[i];
        const int sx = int(unit(rng) * width);
        const int sy = int(unit(rng) * height);
        const int gx = int(unit(rng) * width);
        const int gy = (sy + 1 + int(unit(rng) * (height - 1))) % height;
        const double weights[] = {0.0, 0.25, 0.5, 0.75, 1.0, unit(rng)};
        for (double weight : weights) {
            SCOPED_TRACE("round " + std::to_string(round) + " weight " + std::to_string(weight));
            RtNumberArray path;
            const int n = int(findPath(grid, path, weight, sx, sy, gx, gy));
            std::vector<int32_t> ours;
            for (int i = 0; i < n; ++i) {
                ours.push_back(int32_t(elementAt(path, i, 0)));
                ours.push_back(int32_t(elementAt(path, i, 1)));
            }
            const std::vector<int32_t> other = path::reference::exactHeapSearch(
                width, height, costs.data(), sx, sy, gx, gy, weight);
            ASSERT_EQ(ours, other);
            if (n > 0) ++routes;
        }
    }
    EXPECT_GT(routes, 3000);
}

}  // namespace
}  // namespace vorlan
