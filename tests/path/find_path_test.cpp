// findPath: its edge cases, exact routes where
// ties matter, and an independent optimality check against a plain
// Dijkstra over the same normalised costs.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <limits>
#include <queue>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <vorlan/path.h>
#include <vorlan/rt_array.h>

#include "tests/path/exact_heap_search.h"

namespace vorlan {
namespace {

using Cell = std::pair<int, int>;
using Route = std::vector<Cell>;

// A grid from rows of characters: '.' costs 1, '#' is blocked (cost 0),
// '-' is blocked with a negative cost, a digit costs its value.
RtNumberArray gridFrom(std::initializer_list<const char*> rows) {
    const int height = static_cast<int>(rows.size());
    const int width = static_cast<int>(std::string(*rows.begin()).size());
    RtNumberArray grid;
    dimensionArray(grid, width, height);
    int y = 0;
    for (const char* row : rows) {
        EXPECT_EQ(static_cast<int>(std::string(row).size()), width);
        for (int x = 0; x < width; ++x) {
            const char c = row[x];
            double cost = 1;
            if (c == '#') cost = 0;
            if (c == '-') cost = -2;
            if (c >= '0' && c <= '9') cost = c - '0';
            elementAt(grid, x, y) = cost;
        }
        ++y;
    }
    return grid;
}

Route routeOf(const RtNumberArray& path) {
    Route route;
    for (int i = 0; i < path.dim1(); ++i) {
        route.emplace_back(static_cast<int>(elementAt(path, i, 0)),
                           static_cast<int>(elementAt(path, i, 1)));
    }
    return route;
}

Route plan(const RtNumberArray& grid, double weight, double sx, double sy, double gx, double gy) {
    RtNumberArray path;
    const double n = findPath(grid, path, weight, sx, sy, gx, gy);
    EXPECT_EQ(n, path.dim1());
    return routeOf(path);
}

// An array holding {7, 8, 9}, to see that a refusal leaves it alone.
RtNumberArray markedPath() {
    RtNumberArray path;
    fillArray(path, {7, 8, 9});
    return path;
}

void expectUntouched(const RtNumberArray& path) {
    EXPECT_EQ(path.dimensionCount(), 1);
    ASSERT_EQ(path.dim1(), 3);
    EXPECT_EQ(elementAt(path, 0), 7);
    EXPECT_EQ(elementAt(path, 1), 8);
    EXPECT_EQ(elementAt(path, 2), 9);
}

void expectEmptied(const RtNumberArray& path) {
    EXPECT_EQ(path.dimensionCount(), 0);
    EXPECT_EQ(path.dim1(), 0);
    EXPECT_EQ(path.dim2(), 0);
}

// --- Edge cases ----------------------------------------------------------

TEST(FindPath, NeighboursGiveTwo) {
    const RtNumberArray grid = gridFrom({"...", "...", "..."});
    RtNumberArray path;
    EXPECT_EQ(findPath(grid, path, 0.5, 1, 1, 2, 1), 2);
    EXPECT_EQ(path.dimensionCount(), 2);
    EXPECT_EQ(path.dim1(), 2);
    EXPECT_EQ(path.dim2(), 2);
    EXPECT_EQ(routeOf(path), (Route{{1, 1}, {2, 1}}));
    EXPECT_EQ(findPath(grid, path, 0.5, 1, 1, 1, 0), 2);
    EXPECT_EQ(routeOf(path), (Route{{1, 1}, {1, 0}}));
}

TEST(FindPath, StartEqualToGoalLeavesThePathAlone) {
    const RtNumberArray grid = gridFrom({"...", "..."});
    RtNumberArray path = markedPath();
    EXPECT_EQ(findPath(grid, path, 0.5, 1, 1, 1, 1), 0);
    expectUntouched(path);
    // Equal after truncation counts too.
    EXPECT_EQ(findPath(grid, path, 0.5, 1.2, 1.9, 1.7, 1.0), 0);
    expectUntouched(path);
}

TEST(FindPath, AllBlockedGridLeavesThePathAlone) {
    const RtNumberArray grid = gridFrom({"#-#", "-#-"});
    RtNumberArray path = markedPath();
    EXPECT_EQ(findPath(grid, path, 0.5, 0, 0, 2, 1), 0);
    expectUntouched(path);
}

TEST(FindPath, OneDimensionalGridRefusesEveryStart) {
    RtNumberArray grid;
    fillArray(grid, {1, 1, 1, 1, 1});
    RtNumberArray path = markedPath();
    for (int x = 0; x < 5; ++x) {
        EXPECT_EQ(findPath(grid, path, 0.5, x, 0, (x + 1) % 5, 0), 0);
        expectUntouched(path);
    }
}

TEST(FindPath, NeverDimensionedGridIsRefused) {
    RtNumberArray grid;
    RtNumberArray path = markedPath();
    EXPECT_EQ(findPath(grid, path, 0.5, 0, 0, 1, 0), 0);
    expectUntouched(path);
}

TEST(FindPath, StartOrGoalOutsideTheGridIsRefused) {
    const RtNumberArray grid = gridFrom({"....", "....", "...."});
    RtNumberArray path = markedPath();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const double bad[] = {-1, -1.5, 4, 1e10, -1e10, nan, inf, -inf};
    for (double b : bad) {
        EXPECT_EQ(findPath(grid, path, 0.5, b, 0, 1, 1), 0) << b;
        EXPECT_EQ(findPath(grid, path, 0.5, 0, b, 1, 1), 0) << b;
        EXPECT_EQ(findPath(grid, path, 0.5, 1, 1, b, 0), 0) << b;
        EXPECT_EQ(findPath(grid, path, 0.5, 1, 1, 0, b), 0) << b;
        expectUntouched(path);
    }
    // y must lie below the height (3), x below the width (4).
    EXPECT_EQ(findPath(grid, path, 0.5, 0, 3, 0, 0), 0);
    EXPECT_EQ(findPath(grid, path, 0.5, 0, 0, 3, 3), 0);
    expectUntouched(path);
}

TEST(FindPath, BlockedStartCellIsNoObstacle) {
    // The start cell's own cost is never read.
    const RtNumberArray grid = gridFrom({"#..", "..."});
    EXPECT_EQ(plan(grid, 0.5, 0, 0, 2, 0), (Route{{0, 0}, {1, 0}, {2, 0}}));
}

TEST(FindPath, BlockedGoalEmptiesThePath) {
    const RtNumberArray grid = gridFrom({"...", "..#"});
    RtNumberArray path = markedPath();
    EXPECT_EQ(findPath(grid, path, 0.5, 0, 0, 2, 1), 0);
    expectEmptied(path);
}

TEST(FindPath, UnreachableGoalEmptiesThePath) {
    const RtNumberArray grid = gridFrom({"..#..", "..#..", "..#.."});
    RtNumberArray path = markedPath();
    EXPECT_EQ(findPath(grid, path, 0.5, 0, 1, 4, 1), 0);
    expectEmptied(path);
    // A diagonal gap is no way through: steps are never diagonal.
    const RtNumberArray corner = gridFrom({".#", "#."});
    path = markedPath();
    EXPECT_EQ(findPath(corner, path, 0.5, 0, 0, 1, 1), 0);
    expectEmptied(path);
}

TEST(FindPath, CoordinatesAreTruncatedTowardZero) {
    const RtNumberArray grid = gridFrom({"....", "....", "...."});
    // Start x 2.9 is column 2; y -0.5 is row 0; goal (0.99, 2.5) is (0, 2).
    const Route route = plan(grid, 0.5, 2.9, -0.5, 0.99, 2.5);
    ASSERT_FALSE(route.empty());
    EXPECT_EQ(route.front(), (Cell{2, 0}));
    EXPECT_EQ(route.back(), (Cell{0, 2}));
    EXPECT_EQ(route.size(), 5u);
    // -0.5 as a start x means column 0.
    EXPECT_EQ(plan(grid, 0.5, -0.5, 0, 1, 0), (Route{{0, 0}, {1, 0}}));
}

// Row 0 is cheap at both ends and dear in the middle; row 1 is all cheap.
// Normalised, a 1 costs 1/9 + 1 and a 9 costs 2, so the straight route
// along row 0 costs 3 x 2 + 1.11 = 7.11 and the detour along row 1 (the only
// route that enters cheap cells alone) costs 6 x 1.11 = 6.67.
const char* const kDearMiddle[] = {"19991", "....."};
const Route kStraight = {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}};
const Route kDetour = {{0, 0}, {0, 1}, {1, 1}, {2, 1}, {3, 1}, {4, 1}, {4, 0}};

TEST(FindPath, WeightSelectsBetweenCostAndDistance) {
    const RtNumberArray grid = gridFrom({kDearMiddle[0], kDearMiddle[1]});
    // 0.5 ranks as g + h and finds the cheapest route; 0 orders by g alone
    // (Dijkstra) and finds it too.
    EXPECT_EQ(plan(grid, 0.5, 0, 0, 4, 0), kDetour);
    EXPECT_EQ(plan(grid, 0.0, 0, 0, 4, 0), kDetour);
    // 1 orders by the distance to the goal alone and walks straight at it.
    EXPECT_EQ(plan(grid, 1.0, 0, 0, 4, 0), kStraight);
}

TEST(FindPath, WeightsAreClamped) {
    const RtNumberArray grid = gridFrom({kDearMiddle[0], kDearMiddle[1]});
    EXPECT_EQ(plan(grid, 5.0, 0, 0, 4, 0), kStraight);  // as 1
    EXPECT_EQ(plan(grid, 1e300, 0, 0, 4, 0), kStraight);
    EXPECT_EQ(plan(grid, std::numeric_limits<double>::infinity(), 0, 0, 4, 0), kStraight);
    EXPECT_EQ(plan(grid, -3.0, 0, 0, 4, 0), kDetour);  // as 0
    EXPECT_EQ(plan(grid, -std::numeric_limits<double>::infinity(), 0, 0, 4, 0), kDetour);
    // NaN has no meaning as a weight; it is taken as 0.
    EXPECT_EQ(plan(grid, std::numeric_limits<double>::quiet_NaN(), 0, 0, 4, 0), kDetour);
}

TEST(FindPath, GridAndPathMayBeTheSameArray) {
    RtNumberArray grid = gridFrom({"...", "...", "..."});
    EXPECT_EQ(findPath(grid, grid, 0.5, 0, 0, 2, 2), 5);
    EXPECT_EQ(routeOf(grid), (Route{{0, 0}, {1, 0}, {2, 0}, {2, 1}, {2, 2}}));
}

TEST(FindPath, HugeAndNaNCosts) {
    // Costs beyond the float range count as the largest float (a dear cell,
    // normalised to 2), so the cheap cells normalise to just 1; NaN is not
    // above 0 and blocks.
    RtNumberArray grid = gridFrom({"...", "...", "..."});
    elementAt(grid, 1, 0) = 1e300;
    elementAt(grid, 1, 1) = std::numeric_limits<double>::infinity();
    // Through (1, 0): 2 + 1 = 3, cheaper than any way round.
    EXPECT_EQ(plan(grid, 0.5, 0, 0, 2, 0), (Route{{0, 0}, {1, 0}, {2, 0}}));
    elementAt(grid, 1, 0) = std::numeric_limits<double>::quiet_NaN();
    // Through (1, 1): 1 + 2 + 1 + 1 = 5 against 6 round the bottom row.
    EXPECT_EQ(plan(grid, 0.5, 0, 0, 2, 0), (Route{{0, 0}, {0, 1}, {1, 1}, {2, 1}, {2, 0}}));
}

// --- Exact routes where ties matter -----------------------------------------
//
// The rules that decide these routes:
// - neighbours are visited N (y - 1), E (x + 1), W (x - 1), S (y + 1);
// - among open nodes of equal f the one inserted first is expanded first;
// - a node keeps the parent it was first found from unless a strictly
//   smaller g comes along;
// - on a grid of equal costs every step costs 2 after normalisation, and
//   with weight 0.5, f = (g + h) / 2 = (2s + h) / 2 for a cell s steps from
//   the start, so cells nearer the start come first and the cells of one
//   "ring" s tie.

TEST(FindPathTies, EastBeforeSouth) {
    // From (0, 0): E (1, 0) and S (0, 1) tie at f 2.5; E was inserted first,
    // so it is expanded first and its own E (2, 0) and S (1, 1) enter the
    // ring s = 2 before the ones that (0, 1) adds. (1, 1) is reached again
    // from (0, 1) with an equal g and keeps parent (1, 0). Ring by ring the
    // eastern cells lead, (2, 1) is found from (2, 0), and the goal (2, 2)
    // is first found from (2, 1): east twice, then south twice. (Expanding
    // the later of two equal nodes first would give south, south, east,
    // east; visiting S before E would too.)
    const RtNumberArray grid = gridFrom({"...", "...", "..."});
    EXPECT_EQ(plan(grid, 0.5, 0, 0, 2, 2), (Route{{0, 0}, {1, 0}, {2, 0}, {2, 1}, {2, 2}}));
}

TEST(FindPathTies, NorthBeforeWest) {
    // The mirror image: from (2, 2) towards (0, 0), N (2, 1) is visited and
    // inserted before W (1, 2); the northern cells lead every ring, so the
    // route goes north twice, then west twice.
    const RtNumberArray grid = gridFrom({"...", "...", "..."});
    EXPECT_EQ(plan(grid, 0.5, 2, 2, 0, 0), (Route{{2, 2}, {2, 1}, {2, 0}, {1, 0}, {0, 0}}));
}

TEST(FindPathTies, NorthBeforeEast) {
    // From (0, 2) towards (2, 0): N is visited before E.
    const RtNumberArray grid = gridFrom({"...", "...", "..."});
    EXPECT_EQ(plan(grid, 0.5, 0, 2, 2, 0), (Route{{0, 2}, {0, 1}, {0, 0}, {1, 0}, {2, 0}}));
}

TEST(FindPathTies, WestBeforeSouth) {
    // From (2, 0) towards (0, 2): W is visited before S.
    const RtNumberArray grid = gridFrom({"...", "...", "..."});
    EXPECT_EQ(plan(grid, 0.5, 2, 0, 0, 2), (Route{{2, 0}, {1, 0}, {0, 0}, {0, 1}, {0, 2}}));
}

TEST(FindPathTies, EastBeforeWestAroundAWall) {
    // The goal lies straight north behind a wall. From (1, 2): N is blocked,
    // E (2, 2) and W (0, 2) tie at f 2.5 and E goes in first. Each side then
    // climbs one ring at a time with the eastern cell ahead: (2, 1) before
    // (0, 1), (2, 0) before (0, 0), so the goal (1, 0) is first found from
    // (2, 0); (0, 0) later reaches it with an equal g and changes nothing.
    const RtNumberArray grid = gridFrom({"...", ".#.", "..."});
    EXPECT_EQ(plan(grid, 0.5, 1, 2, 1, 0), (Route{{1, 2}, {2, 2}, {2, 1}, {2, 0}, {1, 0}}));
}

TEST(FindPathTies, NorthBeforeSouthAroundAWall) {
    // The goal lies straight east behind a wall: N (0, 0) goes in before
    // S (0, 2), and the northern side leads every ring.
    const RtNumberArray grid = gridFrom({"...", ".#.", "..."});
    EXPECT_EQ(plan(grid, 0.5, 0, 1, 2, 1), (Route{{0, 1}, {0, 0}, {1, 0}, {2, 0}, {2, 1}}));
}

TEST(FindPathTies, WeightZeroAndOneTieTheSameWay) {
    // Weight 0: f = g = 2s, the same rings. Weight 1: f = h; from (0, 0)
    // E and S tie at h 3 and E goes first; from (1, 0) its E (2, 0) and S
    // (1, 1) tie at h 2 and E (2, 0) goes first; from there only S lowers h.
    const RtNumberArray grid = gridFrom({"...", "...", "..."});
    const Route eastFirst = {{0, 0}, {1, 0}, {2, 0}, {2, 1}, {2, 2}};
    EXPECT_EQ(plan(grid, 0.0, 0, 0, 2, 2), eastFirst);
    EXPECT_EQ(plan(grid, 1.0, 0, 0, 2, 2), eastFirst);
}

TEST(FindPathTies, CheaperCellsBreakTheRings) {
    // Row 1 costs 1, everything else 2: normalised 1.5 against 2. From
    // (0, 0) to (3, 2) with weight 0.5 every monotone route has 5 steps; the
    // cheapest enters as many row-1 cells as it can (four: (0, 1) to
    // (3, 1)), and among those the only one is down first, east along
    // row 1, down last: 1.5 x 4 + 2 = 8 against 2 + 1.5 x 3 + 2 = 8.5 for
    // a route that enters row 1 one column later.
    const RtNumberArray grid = gridFrom({"2222", "1111", "2222"});
    EXPECT_EQ(plan(grid, 0.5, 0, 0, 3, 2), (Route{{0, 0}, {0, 1}, {1, 1}, {2, 1}, {3, 1}, {3, 2}}));
}

TEST(FindPathTies, ClosedNodeReopenedOnASmallerG) {
    // Weight 1: f = h, the distance to the goal alone. Normalised costs
    // (c / 9 + 1): 1 -> 1.11, 2 -> 1.22, 3 -> 1.33, 9 -> 2. The start (3, 0)
    // is blocked itself, which does not matter; the goal G (0, 1) costs 2.
    //   y0:  #  2  2  S
    //   y1:  G  #  2  1
    //   y2:  9  2  1  3
    // From S: W (2, 0) and S (3, 1) tie at h 3; (2, 0) went in first and is
    // expanded first, finding (1, 0) and (2, 1) at h 2 with (2, 1)'s g
    // 1.22 + 1.22 = 2.44. (1, 0) is a dead end; (2, 1) is expanded and
    // closed, adding (2, 2) at h 3. Then (3, 1) (g 1.11) reaches the closed
    // (2, 1) with g 1.11 + 1.22 = 2.33 < 2.44: it is reopened with parent
    // (3, 1), expanded again (h 2 beats everything open), and gives (2, 2)
    // a smaller g and itself as parent. From (2, 2) the route runs west
    // along row 2 and up to the goal. Without the reopening the route would
    // begin (3, 0), (2, 0), (2, 1).
    const RtNumberArray grid = gridFrom({"#22#", "2#21", "9213"});
    EXPECT_EQ(plan(grid, 1.0, 3, 0, 0, 1),
              (Route{{3, 0}, {3, 1}, {2, 1}, {2, 2}, {1, 2}, {0, 2}, {0, 1}}));
}

// --- Independent check against Dijkstra --------------------------------------

struct RandomGrid {
    int width = 0;
    int height = 0;
    std::vector<double> costs;  // x fastest
};

std::vector<double> normalised(const RandomGrid& g) {
    std::vector<float> cost = path::reference::normalisedCosts(g.costs.data(), g.costs.size());
    return std::vector<double>(cost.begin(), cost.end());
}

// Plain Dijkstra over 4-neighbours: the cost of a route is the sum of the
// costs of the cells entered after the start. Infinity when unreachable.
double dijkstra(const RandomGrid& g, const std::vector<double>& cost, Cell start, Cell goal) {
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<double> dist(cost.size(), inf);
    using Item = std::pair<double, int>;
    std::priority_queue<Item, std::vector<Item>, std::greater<Item>> queue;
    const int s = start.second * g.width + start.first;
    dist[s] = 0;
    queue.emplace(0.0, s);
    while (!queue.empty()) {
        const auto [d, i] = queue.top();
        queue.pop();
        if (d > dist[i]) continue;
        const int x = i % g.width;
        const int y = i / g.width;
        if (x == goal.first && y == goal.second) return d;
        const int dx[4] = {0, 1, -1, 0};
        const int dy[4] = {-1, 0, 0, 1};
        for (int k = 0; k < 4; ++k) {
            const int nx = x + dx[k];
            const int ny = y + dy[k];
            if (nx < 0 || nx >= g.width || ny < 0 || ny >= g.height) continue;
            const int j = ny * g.width + nx;
            if (cost[j] < 0) continue;
            if (d + cost[j] < dist[j]) {
                dist[j] = d + cost[j];
                queue.emplace(dist[j], j);
            }
        }
    }
    return inf;
}

RandomGrid randomGrid(std::mt19937& rng) {
    RandomGrid g;
    std::uniform_int_distribution<int> side(1, 24);
    do {
        g.width = side(rng);
        g.height = side(rng);
    } while (g.width * g.height < 2);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const double blockedShare = unit(rng) * 0.45;
    const int style = std::uniform_int_distribution<int>(0, 2)(rng);
    g.costs.resize(size_t(g.width) * g.height);
    for (double& c : g.costs) {
        if (unit(rng) < blockedShare) {
            c = unit(rng) < 0.5 ? 0.0 : -unit(rng) * 10;
        } else if (style == 0) {
            c = 1 + std::floor(unit(rng) * 9);  // whole costs 1 to 9: many ties
        } else if (style == 1) {
            c = 0.001 + unit(rng) * 100;  // all different
        } else {
            c = std::exp(unit(rng) * 12 - 6);  // wide spread
        }
    }
    return g;
}

RtNumberArray arrayOf(const RandomGrid& g) {
    RtNumberArray grid;
    dimensionArray(grid, g.width, g.height);
    for (int y = 0; y < g.height; ++y) {
        for (int x = 0; x < g.width; ++x) elementAt(grid, x, y) = g.costs[size_t(y) * g.width + x];
    }
    return grid;
}

// The route is a chain of 4-neighbours from start to goal through passable
// cells (the start excepted) without repeats; returns its cost.
double checkRoute(const RandomGrid& g, const std::vector<double>& cost, const Route& route,
                  Cell start, Cell goal) {
    EXPECT_GE(route.size(), 2u);
    if (route.size() < 2) return -1;
    EXPECT_EQ(route.front(), start);
    EXPECT_EQ(route.back(), goal);
    std::vector<char> seen(cost.size(), 0);
    double total = 0;
    for (size_t i = 0; i < route.size(); ++i) {
        const auto [x, y] = route[i];
        EXPECT_TRUE(x >= 0 && x < g.width && y >= 0 && y < g.height);
        const size_t j = size_t(y) * g.width + x;
        EXPECT_FALSE(seen[j]) << "cell visited twice";
        seen[j] = 1;
        if (i == 0) continue;
        const auto [px, py] = route[i - 1];
        EXPECT_EQ(std::abs(x - px) + std::abs(y - py), 1) << "not a straight neighbour";
        EXPECT_GT(cost[j], 0) << "blocked cell entered";
        total += cost[j];
    }
    return total;
}

TEST(FindPathDijkstra, OptimalOnRandomGrids) {
    std::mt19937 rng(20240605);
    int found = 0;
    int unreachable = 0;
    for (int round = 0; round < 600; ++round) {
        const RandomGrid g = randomGrid(rng);
        const std::vector<double> cost = normalised(g);
        std::uniform_int_distribution<int> px(0, g.width - 1);
        std::uniform_int_distribution<int> py(0, g.height - 1);
        Cell start;
        Cell goal;
        do {
            start = {px(rng), py(rng)};
            goal = {px(rng), py(rng)};
        } while (start == goal);
        const RtNumberArray grid = arrayOf(g);
        bool anyPassable = false;
        for (double c : cost) anyPassable = anyPassable || c > 0;

        const double best = dijkstra(g, cost, start, goal);
        for (double weight : {0.5, 0.0}) {
            RtNumberArray path = markedPath();
            const double n =
                findPath(grid, path, weight, start.first, start.second, goal.first, goal.second);
            SCOPED_TRACE("round " + std::to_string(round) + " weight " + std::to_string(weight));
            if (!anyPassable) {
                EXPECT_EQ(n, 0);
                expectUntouched(path);
            } else if (std::isinf(best)) {
                EXPECT_EQ(n, 0);
                expectEmptied(path);
            } else {
                ASSERT_GT(n, 0);
                ASSERT_EQ(path.dim2(), 2);
                const double total = checkRoute(g, cost, routeOf(path), start, goal);
                // Float g accumulates rounding; the route may be dearer than
                // the optimum by that much at most, never cheaper.
                EXPECT_NEAR(total, best, 1e-5 * best + 1e-6);
            }
        }
        if (anyPassable) (std::isinf(best) ? unreachable : found)++;
    }
    // The sample covers both outcomes well.
    EXPECT_GT(found, 300);
    EXPECT_GT(unreachable, 30);
}

TEST(FindPathDijkstra, OtherWeightsGiveValidRoutes) {
    std::mt19937 rng(77);
    for (int round = 0; round < 300; ++round) {
        const RandomGrid g = randomGrid(rng);
        const std::vector<double> cost = normalised(g);
        const Cell start = {0, 0};
        const Cell goal = {g.width - 1, g.height - 1};
        const RtNumberArray grid = arrayOf(g);
        const double best = dijkstra(g, cost, start, goal);
        for (double weight : {0.25, 0.75, 0.9, 1.0}) {
            RtNumberArray path;
            const double n = findPath(grid, path, weight, 0, 0, goal.first, goal.second);
            SCOPED_TRACE("round " + std::to_string(round) + " weight " + std::to_string(weight));
            if (std::isinf(best)) {
                EXPECT_EQ(n, 0);
                continue;
            }
            ASSERT_GT(n, 0);
            const double total = checkRoute(g, cost, routeOf(path), start, goal);
            EXPECT_GE(total, best - 1e-5 * best);
        }
    }
}

}  // namespace
}  // namespace vorlan
