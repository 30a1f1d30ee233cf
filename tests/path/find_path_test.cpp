// findPath: refusals, exact routes where the tie rules decide, and random
// grids checked against a plain Dijkstra (cost) and a separately written
// search with the same rules (the very same route).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <queue>
#include <random>
#include <string>
#include <vector>

#include <vorlan/path.h>
#include <vorlan/rt_array.h>

#include "path/planner.h"
#include "tests/path/exact_heap_search.h"

namespace vorlan {
namespace {

using Route = std::vector<int32_t>;  // x0, y0, x1, y1, ...
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// '.' costs 1, '#' 0 and '-' -2 block, a digit costs its value, 'H' 1e300,
// 'I' infinity, 'N' NaN. A single row gives a one-dimensional array.
RtNumberArray gridFrom(const std::vector<std::string>& rows) {
    RtNumberArray grid;
    dimensionArray(grid, double(rows[0].size()), rows.size() > 1 ? double(rows.size()) : 0.0);
    for (size_t y = 0; y < rows.size(); ++y) {
        for (size_t x = 0; x < rows[y].size(); ++x) {
            const char c = rows[y][x];
            double cost = c == '#' ? 0 : c == '-' ? -2 : c == 'H' ? 1e300 : c == 'I' ? kInf : 1;
            if (c == 'N') cost = kNaN;
            if (c >= '0' && c <= '9') cost = c - '0';
            elementAt(grid, double(x), double(y)) = cost;
        }
    }
    return grid;
}

Route routeOf(const RtNumberArray& path) {
    Route route;
    for (int i = 0; i < path.dim1(); ++i) {
        route.push_back(int32_t(elementAt(path, i, 0)));
        route.push_back(int32_t(elementAt(path, i, 1)));
    }
    return route;
}

TEST(FindPath, RefusalsLeaveThePathAloneAndDeadEndsEmptyIt) {
    struct Case {
        std::vector<std::string> rows;  // empty: a never dimensioned grid
        double sx, sy, gx, gy;
        bool emptied;
    };
    const Case cases[] = {
        {{"...", "..."}, 1, 1, 1, 1, false},
        {{"...", "..."}, 1.2, 1.9, 1.7, 1.0, false},  // equal after truncation
        {{"#-#", "-#-"}, 0, 0, 2, 1, false},          // no cell of positive cost
        {{"....."}, 1, 0, 2, 0, false},               // one row: refused
        {{}, 0, 0, 1, 0, false},
        {{"...", "..."}, 0, 2, 0, 0, false},  // y must lie below the height
        {{"...", "..."}, -1, 0, 1, 1, false},
        {{"...", "..."}, 0, 0, 1e10, 0, false},
        {{"...", "..."}, kNaN, 0, 1, 1, false},
        {{"...", "..."}, 0, 0, 1, -kInf, false},
        {{"...", "..#"}, 0, 0, 2, 1, true},               // blocked goal
        {{"..#..", "..#..", "..#.."}, 0, 1, 4, 1, true},  // cut off
        {{".#", "#."}, 0, 0, 1, 1, true},                 // never a diagonal step
    };
    for (const Case& c : cases) {
        RtNumberArray grid = c.rows.empty() ? RtNumberArray() : gridFrom(c.rows);
        RtNumberArray path;
        fillArray(path, {7, 8, 9});
        EXPECT_EQ(findPath(grid, path, 0.5, c.sx, c.sy, c.gx, c.gy), 0) << c.sx << "," << c.sy;
        EXPECT_EQ(path.dim1(), c.emptied ? 0 : 3) << c.sx << "," << c.sy;
    }
}

// A read of the costs would run far past this small array, so the size must
// be refused first.
TEST(Planner, GridsWhoseCellCountOverflowsAreRefusedBeforeAnyRead) {
    const std::vector<double> costs(4, 1.0);
    const int32_t shapes[][2] = {{65536, 65536}, {INT32_MAX, 3}, {INT32_MAX, INT32_MAX}};
    for (const auto& shape : shapes) {
        path::AStarPlanner planner;
        EXPECT_FALSE(
            planner.init(path::findPathParams(shape[0], shape[1], costs.data(), 0.5, 0, 0, 1, 0)));
        EXPECT_FALSE(planner.search());
        EXPECT_EQ(planner.pathLength(), 0u);
    }
}

// On equal costs every step costs 2 and, at weight 0.5, the cells of one
// ring tie: the neighbour order N, E, W, S and "the earlier insertion goes
// first" decide.
TEST(FindPath, ExactRoutes) {
    const std::vector<std::string> open = {"...", "...", "..."};
    const std::vector<std::string> wall = {"...", ".#.", "..."};
    // Row 0 dear in the middle: straight 3 x 2 + 1.11 = 7.11, the detour
    // along row 1 6 x 1.11 = 6.67.
    const std::vector<std::string> dear = {"19991", "....."};
    const std::vector<std::string> cheapRow = {"2222", "1111", "2222"};
    // Weight 1: (2, 1) is closed with g 2.44 from (2, 0), then reopened from
    // (3, 1) with 2.33; without that the route would begin (3, 0), (2, 0).
    const std::vector<std::string> reopen = {"#22#", "2#21", "9213"};
    const Route straight = {0, 0, 1, 0, 2, 0, 3, 0, 4, 0};
    const Route detour = {0, 0, 0, 1, 1, 1, 2, 1, 3, 1, 4, 1, 4, 0};
    struct Case {
        const char* what;
        std::vector<std::string> rows;
        double weight, sx, sy, gx, gy;
        Route route;
    };
    const Case cases[] = {
        {"blocked start is no obstacle", {"#..", "..."}, 0.5, 0, 0, 2, 0, {0, 0, 1, 0, 2, 0}},
        {"truncated coordinates", open, 0.5, 2.9, -0.5, 1.99, 1.5, {2, 0, 1, 0, 1, 1}},
        {"north before east", open, 0.5, 0, 2, 2, 0, {0, 2, 0, 1, 0, 0, 1, 0, 2, 0}},
        {"west before south", open, 0.5, 2, 0, 0, 2, {2, 0, 1, 0, 0, 0, 0, 1, 0, 2}},
        // An equal g found later does not re-parent the goal.
        {"east before west round a wall", wall, 0.5, 1, 2, 1, 0, {1, 2, 2, 2, 2, 1, 2, 0, 1, 0}},
        {"north before south round a wall", wall, 0.5, 0, 1, 2, 1, {0, 1, 0, 0, 1, 0, 2, 0, 2, 1}},
        {"cheapest at 0.5", dear, 0.5, 0, 0, 4, 0, detour},
        {"cheapest at 0", dear, 0, 0, 0, 4, 0, detour},
        {"straight at 1", dear, 1, 0, 0, 4, 0, straight},
        {"5 counts as 1", dear, 5, 0, 0, 4, 0, straight},
        {"infinity counts as 1", dear, kInf, 0, 0, 4, 0, straight},
        {"-3 counts as 0", dear, -3, 0, 0, 4, 0, detour},
        {"NaN counts as 0", dear, kNaN, 0, 0, 4, 0, detour},
        {"cheap row", cheapRow, 0.5, 0, 0, 3, 2, {0, 0, 0, 1, 1, 1, 2, 1, 3, 1, 3, 2}},
        // Beyond the float range is the largest float: 2 + 1 beats going round.
        {"huge cost", {"1H1", "1I1", "111"}, 0.5, 0, 0, 2, 0, {0, 0, 1, 0, 2, 0}},
        {"NaN blocks", {"1N1", "1I1", "111"}, 0.5, 0, 0, 2, 0, {0, 0, 0, 1, 1, 1, 2, 1, 2, 0}},
        {"reopened", reopen, 1, 3, 0, 0, 1, {3, 0, 3, 1, 2, 1, 2, 2, 1, 2, 0, 2, 0, 1}},
    };
    for (const Case& c : cases) {
        RtNumberArray path;
        const double n = findPath(gridFrom(c.rows), path, c.weight, c.sx, c.sy, c.gx, c.gy);
        EXPECT_EQ(n, double(c.route.size() / 2)) << c.what;
        EXPECT_EQ(path.dim2(), 2) << c.what;
        EXPECT_EQ(routeOf(path), c.route) << c.what;
    }
    RtNumberArray same = gridFrom(open);  // the grid is also the path
    EXPECT_EQ(findPath(same, same, 0.5, 0, 0, 2, 2), 5);
    EXPECT_EQ(routeOf(same), Route({0, 0, 1, 0, 2, 0, 2, 1, 2, 2}));
}

// Plain Dijkstra over 4-neighbours: the sum of the costs of the cells
// entered after the start; infinity when unreachable.
double dijkstra(int width, int height, const std::vector<float>& cost, int start, int goal) {
    std::vector<double> dist(cost.size(), kInf);
    using Item = std::pair<double, int>;
    std::priority_queue<Item, std::vector<Item>, std::greater<Item>> queue;
    dist[start] = 0;
    queue.emplace(0.0, start);
    while (!queue.empty()) {
        const auto [d, i] = queue.top();
        queue.pop();
        if (i == goal) return d;
        if (d > dist[i]) continue;
        const int x = i % width, y = i / width;
        const int next[4][2] = {{x, y - 1}, {x + 1, y}, {x - 1, y}, {x, y + 1}};
        for (const auto& [nx, ny] : next) {
            const int j = ny * width + nx;
            if (nx < 0 || nx >= width || ny < 0 || ny >= height || cost[j] < 0) continue;
            if (d + cost[j] < dist[j]) queue.emplace(dist[j] = d + cost[j], j);
        }
    }
    return kInf;
}

TEST(FindPath, RandomGridsGiveTheReferenceRouteAtTheDijkstraCost) {
    std::mt19937 rng(31337);
    std::uniform_real_distribution<double> unit(0, 1);
    int found = 0, unreachable = 0;
    for (int round = 0; round < 1500; ++round) {
        const int width = 1 + int(unit(rng) * 30);
        const int height = 2 + int(unit(rng) * 30);
        std::vector<double> costs(size_t(width) * height);
        const double blocked = unit(rng) * 0.45;
        for (double& c : costs) {
            const double u = unit(rng);
            c = unit(rng) < blocked ? -u
                : round % 3 == 0    ? 1 + std::floor(u * 4)  // many ties
                : round % 3 == 1    ? u * 1000
                                    : std::exp(u * 12 - 6);  // wide spread
        }
        RtNumberArray grid;
        dimensionArray(grid, width, height);
        std::copy(costs.begin(), costs.end(), grid.data());
        const int sx = int(unit(rng) * width), sy = int(unit(rng) * height);
        const int gx = int(unit(rng) * width),
                  gy = (sy + 1 + int(unit(rng) * (height - 1))) % height;
        const std::vector<float> cost =
            path::reference::normalisedCosts(costs.data(), costs.size());
        const double best = dijkstra(width, height, cost, sy * width + sx, gy * width + gx);
        for (double weight : {0.0, 0.25, 0.5, 0.75, 1.0, unit(rng)}) {
            SCOPED_TRACE("round " + std::to_string(round) + " weight " + std::to_string(weight));
            RtNumberArray path;
            findPath(grid, path, weight, sx, sy, gx, gy);
            const Route route = routeOf(path);
            ASSERT_EQ(route, path::reference::exactHeapSearch(width, height, costs.data(), sx, sy,
                                                              gx, gy, weight));
            if (route.empty() || (weight != 0.0 && weight != 0.5)) continue;
            // Straight steps into passable cells, costing the optimum up to
            // the rounding of float g.
            double total = 0;
            for (size_t i = 2; i < route.size(); i += 2) {
                ASSERT_EQ(std::abs(route[i] - route[i - 2]) + std::abs(route[i + 1] - route[i - 1]),
                          1);
                total += cost[size_t(route[i + 1]) * width + route[i]];
            }
            EXPECT_NEAR(total, best, 1e-5 * best + 1e-6);
        }
        (std::isinf(best) ? unreachable : found)++;
    }
    EXPECT_GT(found, 900);  // the sample covers both outcomes
    EXPECT_GT(unreachable, 50);
}

}  // namespace
}  // namespace vorlan
