// findPath: refusals, routes the tie rules decide, random grids against a reference.
#include <gtest/gtest.h>

#include <vorlan/path.h>
#include <vorlan/rt_array.h>

#include <cmath>
#include <random>

#include "tests/path/exact_heap_search.h"

namespace vorlan {
namespace {

using Route = std::vector<int32_t>;  // x0, y0, x1, y1, ...
constexpr double kNaN = NAN, kInf = INFINITY;

// '.' costs 1, '#' 0 and '-' -2 block, a digit its value, 'H' 1e300, 'I'
// infinity, 'N' NaN; '|' ends a row. One row gives a one-dimensional array,
// none a never dimensioned one.
RtNumberArray gridFrom(const std::string& rows) {
    RtNumberArray grid;
    const size_t width = std::min(rows.find('|'), rows.size()), stride = width + 1;
    if (width > 0)
        dimensionArray(grid, width, rows.size() > width ? (rows.size() + 1) / stride : 0);
    static const double marked[] = {1, 0, -2, 1e300, kInf, kNaN};
    for (size_t at = 0; at < rows.size(); ++at) {
        const size_t m = std::string(".#-HIN").find(rows[at]);
        const double cost = m != std::string::npos ? marked[m] : rows[at] - '0';
        if (rows[at] != '|') elementAt(grid, at % stride, at / stride) = cost;
    }
    return grid;
}

// A route's cells as digit pairs: "00 10" is (0, 0), (1, 0).
Route parse(const char* cells) {
    Route route;
    for (; *cells; ++cells) route.insert(route.end(), *cells != ' ', *cells - '0');  // spaces: none
    return route;
}

// The route a found path holds, or the values of a path that is none.
Route routeOf(const RtNumberArray& p) {
    Route route;
    for (int k = 0, n = p.dim1(); k < p.elementCount(); ++k)
        route.push_back(int32_t(p.data()[p.dim2() == 2 ? k % 2 * n + k / 2 : k]));
    return route;
}

// On equal costs at 0.5 a ring's cells tie: the order N, E, W, S and "the
// earlier insertion first" decide; an equal g found later does not re-parent.
// "19991": straight 3 x 2 + 1.11, detour 6 x 1.11. In "#22#|2#21|9213" (2, 1)
// is closed with g 2.44, then reopened with 2.33. A refusal leaves the path.
TEST(FindPath, RefusalsDeadEndsAndExactRoutes) {
    const char *open = "...|...|...", *wall = "...|.#.|...", *dear = "19991|.....",
               *straight = "00 10 20 30 40", *detour = "00 01 11 21 31 41 40";
    struct Case {
        const char *what, *rows;
        double weight, sx, sy, gx, gy;
        const char* route;
    };
    // clang-format off
    const Case cases[] = {
        {"at goal", open, 0.5, 1, 1, 1, 1, "789"}, {"one row", ".....", 0.5, 1, 0, 2, 0, "789"},
        {"equal after truncation", open, 0.5, 1.2, 1.9, 1.7, 1.0, "789"},
        {"no cell of positive cost", "#-#|-#-", 0.5, 0, 0, 2, 1, "789"},
        {"no array", "", 0.5, 0, 0, 1, 0, "789"}, {"NaN x", open, 0.5, kNaN, 0, 1, 1, "789"},
        {"y = height", open, 0.5, 0, 3, 0, 0, "789"}, {"huge x", open, 0.5, 0, 0, 1e10, 0, "789"},
        {"x < 0", open, 0.5, -1, 0, 1, 1, "789"}, {"infinite y", open, 0.5, 0, 0, 1, -kInf, "789"},
        {"blocked", "...|..#", 0.5, 0, 0, 2, 1, ""}, {"diagonal", ".#|#.", 0.5, 0, 0, 1, 1, ""},
        {"cut off", "..#..|..#..|..#..", 0.5, 0, 1, 4, 1, ""},
        {"blocked start is no obstacle", "#..|...", 0.5, 0, 0, 2, 0, "00 10 20"},
        {"truncated coordinates", open, 0.5, 2.9, -0.5, 1.99, 1.5, "20 10 11"},
        {"north before east", open, 0.5, 0, 2, 2, 0, "02 01 00 10 20"},
        {"west before south", open, 0.5, 2, 0, 0, 2, "20 10 00 01 02"},
        {"east before west round a wall", wall, 0.5, 1, 2, 1, 0, "12 22 21 20 10"},
        {"north before south round a wall", wall, 0.5, 0, 1, 2, 1, "01 00 10 20 21"},
        {"at 0.5", dear, 0.5, 0, 0, 4, 0, detour}, {"at 0", dear, 0, 0, 0, 4, 0, detour},
        {"at 1", dear, 1, 0, 0, 4, 0, straight}, {"5 counts as 1", dear, 5, 0, 0, 4, 0, straight},
        {"inf as 1", dear, kInf, 0, 0, 4, 0, straight}, {"-3 as 0", dear, -3, 0, 0, 4, 0, detour},
        {"NaN counts as 0", dear, kNaN, 0, 0, 4, 0, detour},
        {"cheap row", "2222|1111|2222", 0.5, 0, 0, 3, 2, "00 01 11 21 31 32"},
        {"huge cost", "1H1|1I1|111", 0.5, 0, 0, 2, 0, "00 10 20"},
        {"NaN blocks", "1N1|1I1|111", 0.5, 0, 0, 2, 0, "00 01 11 21 20"},
        {"reopened", "#22#|2#21|9213", 1, 3, 0, 0, 1, "30 31 21 22 12 02 01"}};
    // clang-format on
    for (const Case& c : cases) {
        RtNumberArray path;
        fillArray(path, {7, 8, 9});
        const double n = findPath(gridFrom(c.rows), path, c.weight, c.sx, c.sy, c.gx, c.gy);
        EXPECT_EQ(routeOf(path), parse(c.route)) << c.what;
        EXPECT_EQ(n, path.dim2() == 2 ? double(path.dim1()) : 0.0) << c.what;
    }
    RtNumberArray same = gridFrom(open);  // the grid is also the path
    EXPECT_EQ(findPath(same, same, 0.5, 0, 0, 2, 2), 5);
    EXPECT_EQ(routeOf(same), parse("00 10 20 21 22"));
    // A cell count that overflows is refused before the costs are read.
    const double costs[4] = {1, 1, 1, 1};
    for (auto [w, h] : {std::pair{65536, 65536}, {INT32_MAX, 3}, {INT32_MAX, INT32_MAX}})
        EXPECT_FALSE(path::AStarPlanner().init(path::findPathParams(w, h, costs, 0.5, 0, 0, 1, 0)));
}

TEST(FindPath, RandomGridsGiveTheReferenceRoute) {
    std::mt19937 rng(31337);
    std::uniform_real_distribution<double> unit(0, 1);
    int found = 0, unreachable = 0;  // the sample must cover both outcomes
    for (int round = 0; round < 1500; ++round) {
        const int width = 1 + int(unit(rng) * 30), height = 2 + int(unit(rng) * 30);
        RtNumberArray grid;
        dimensionArray(grid, width, height);
        const double blocked = unit(rng) * 0.45;
        for (double* c = grid.data(); c < grid.data() + grid.elementCount(); ++c) {
            const double u = unit(rng),
                         kinds[] = {1 + std::floor(u * 4), u * 1000, std::exp(u * 12 - 6)};
            *c = unit(rng) < blocked ? -u : kinds[round % 3];  // many ties, plain, widely spread
        }
        const int sx = int(unit(rng) * width), sy = int(unit(rng) * height);
        const int gx = int(unit(rng) * width),
                  gy = (sy + 1 + int(unit(rng) * (height - 1))) % height;
        for (double weight : {0.0, 0.25, 0.5, 0.75, 1.0, unit(rng)}) {
            RtNumberArray path;
            findPath(grid, path, weight, sx, sy, gx, gy);
            ASSERT_EQ(routeOf(path), path::reference::exactHeapSearch(width, height, grid.data(),
                                                                      sx, sy, gx, gy, weight))
                << "round " << round << " weight " << weight;
            (path.dim2() == 2 ? found : unreachable)++;
        }
    }
    EXPECT_GT(found, 6 * 900);
    EXPECT_GT(unreachable, 6 * 50);
}

}  // namespace
}  // namespace vorlan
