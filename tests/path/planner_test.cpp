// Planner and AStarPlanner: init and its
// refusals, the normalised cost map, the life cycle, the pool accounting,
// diagonal steps, and the mended ends of a pool or open list too small.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "path/planner.h"

namespace vorlan::path {
namespace {

PlannerParams paramsFor(int32_t width, int32_t height, const std::vector<double>& costs, int32_t sx,
                        int32_t sy, int32_t gx, int32_t gy, double weight = 0.5) {
    return findPathParams(width, height, costs.data(), weight, sx, sy, gx, gy);
}

std::vector<std::pair<int, int>> routeOf(const Planner& planner) {
    std::vector<std::pair<int, int>> route;
    for (const Node* n = planner.pathHead(); n; n = n->parent)
        route.insert(route.begin(), {n->x, n->y});
    return route;
}

TEST(Planner, FindPathParamsAreThoseOfThePart) {
    const double costs[4] = {1, 1, 1, 1};
    const PlannerParams p = findPathParams(2, 2, costs, 7.0, 1.9, -0.5, 0.2, 1.7);
    EXPECT_EQ(p.startX, 1);
    EXPECT_EQ(p.startY, 0);
    EXPECT_EQ(p.goalX, 0);
    EXPECT_EQ(p.goalY, 1);
    EXPECT_TRUE(p.diagonalCostSqrt2);
    EXPECT_FALSE(p.allowDiagonal);
    EXPECT_EQ(p.nodeCapacity, 0u);
    EXPECT_EQ(p.openCapacity, 0u);
    EXPECT_EQ(p.hashBits, 8u);
    EXPECT_EQ(p.weight, 1.0f);
    EXPECT_EQ(p.width, 2);
    EXPECT_EQ(p.height, 2);
    EXPECT_EQ(p.costs, costs);
    EXPECT_EQ(findPathParams(2, 2, costs, 1e10, 1e10, -1e10, NAN, 0).startX, INT32_MIN);
}

TEST(Planner, InitRefusalsChangeNothing) {
    const std::vector<double> costs(12, 1.0);  // 4 x 3
    AStarPlanner planner;
    ASSERT_TRUE(planner.init(paramsFor(4, 3, costs, 0, 0, 3, 2)));
    const float* map = planner.costMap();
    ASSERT_NE(map, nullptr);

    const PlannerParams bad[] = {
        paramsFor(4, 3, costs, -1, 0, 3, 2), paramsFor(4, 3, costs, 4, 0, 3, 2),
        paramsFor(4, 3, costs, 0, -1, 3, 2), paramsFor(4, 3, costs, 0, 3, 3, 2),
        paramsFor(4, 3, costs, 0, 0, -1, 2), paramsFor(4, 3, costs, 0, 0, 4, 2),
        paramsFor(4, 3, costs, 0, 0, 3, -1), paramsFor(4, 3, costs, 0, 0, 3, 3),
        paramsFor(4, 3, costs, 1, 1, 1, 1),  // start equals goal
        paramsFor(0, 3, costs, 0, 0, 0, 1),  paramsFor(4, 0, costs, 0, 0, 1, 0),
    };
    for (const PlannerParams& p : bad) {
        EXPECT_FALSE(planner.init(p));
        EXPECT_EQ(planner.costMap(), map);
        EXPECT_EQ(planner.params().goalX, 3);
        EXPECT_EQ(planner.params().goalY, 2);
    }
    PlannerParams noCosts = paramsFor(4, 3, costs, 0, 0, 1, 0);
    noCosts.costs = nullptr;
    EXPECT_FALSE(planner.init(noCosts));
    EXPECT_EQ(planner.costMap(), map);
}

TEST(Planner, GridsWhoseCellCountOverflowsAreRefused) {
    // The costs are never read: the size is refused first (a read would run
    // far past this small array under the sanitizers).
    const std::vector<double> costs(4, 1.0);
    AStarPlanner planner;
    EXPECT_FALSE(planner.init(paramsFor(65536, 65536, costs, 0, 0, 1, 0)));
    EXPECT_FALSE(planner.init(paramsFor(INT32_MAX, 3, costs, 0, 0, 1, 0)));
    EXPECT_FALSE(planner.init(paramsFor(INT32_MAX, INT32_MAX, costs, 0, 0, 1, 0)));
    EXPECT_EQ(planner.costMap(), nullptr);
    // Nothing to search: start and search end at once with no route.
    planner.start();
    EXPECT_TRUE(planner.search());
    EXPECT_EQ(planner.pathHead(), nullptr);
    EXPECT_EQ(planner.nodePool().used(), 0u);
}

TEST(Planner, GridWithoutPositiveCostIsRefused) {
    const std::vector<double> costs = {0, -1, -0.0, -1e300, NAN, 1e-50};  // 1e-50 is 0 as a float
    AStarPlanner planner;
    EXPECT_FALSE(planner.init(paramsFor(3, 2, costs, 0, 0, 2, 1)));
    planner.start();
    EXPECT_TRUE(planner.search());
    EXPECT_EQ(planner.pathHead(), nullptr);
}

TEST(Planner, CostsAreNormalisedIntoOneToTwo) {
    const std::vector<double> costs = {2, 4, 0, -1, NAN, 1};
    AStarPlanner planner;
    ASSERT_TRUE(planner.init(paramsFor(6, 1, costs, 0, 0, 5, 0)));
    const float* map = planner.costMap();
    EXPECT_EQ(map[0], 1.5f);
    EXPECT_EQ(map[1], 2.0f);
    EXPECT_EQ(map[2], -1.0f);
    EXPECT_EQ(map[3], -1.0f);
    EXPECT_EQ(map[4], -1.0f);
    EXPECT_EQ(map[5], 1.25f);

    // Beyond the float range: the largest float, and the rest stay finite.
    const std::vector<double> huge = {1e300, std::numeric_limits<double>::infinity(), 3};
    ASSERT_TRUE(planner.init(paramsFor(3, 1, huge, 0, 0, 2, 0)));
    EXPECT_EQ(planner.costMap()[0], 2.0f);
    EXPECT_EQ(planner.costMap()[1], 2.0f);
    EXPECT_EQ(planner.costMap()[2], 1.0f);
}

TEST(Planner, StoredWeightIsClamped) {
    const std::vector<double> costs(4, 1.0);
    AStarPlanner planner;
    PlannerParams p = paramsFor(2, 2, costs, 0, 0, 1, 1);
    p.weight = 5.0f;
    ASSERT_TRUE(planner.init(p));
    EXPECT_EQ(planner.params().weight, 1.0f);
    p.weight = -3.0f;
    ASSERT_TRUE(planner.init(p));
    EXPECT_EQ(planner.params().weight, 0.0f);
    p.weight = NAN;
    ASSERT_TRUE(planner.init(p));
    EXPECT_EQ(planner.params().weight, 0.0f);
    p.weight = 0.25f;
    ASSERT_TRUE(planner.init(p));
    EXPECT_EQ(planner.params().weight, 0.25f);
}

TEST(Planner, LifeCycle) {
    const std::vector<double> costs(9, 1.0);
    AStarPlanner planner;
    EXPECT_TRUE(planner.searchDone());
    EXPECT_EQ(planner.pathCost(), -1.0f);
    EXPECT_EQ(planner.pathLength(), 0u);
    ASSERT_TRUE(planner.init(paramsFor(3, 3, costs, 0, 0, 2, 2)));
    EXPECT_TRUE(planner.searchDone());
    planner.start();
    EXPECT_FALSE(planner.searchDone());
    EXPECT_EQ(planner.openCount(), 1u);
    EXPECT_EQ(planner.nodePool().used(), 1u);
    EXPECT_TRUE(planner.search());
    EXPECT_TRUE(planner.searchDone());
    ASSERT_NE(planner.pathHead(), nullptr);
    EXPECT_EQ(planner.pathLength(), 5u);
    EXPECT_EQ(planner.pathCost(), 8.0f);  // four steps of 2
    EXPECT_EQ(planner.nodePool().used(), planner.openCount() + planner.closedCount());
    // Without a new start there is no search to run: the path stays.
    const Node* head = planner.pathHead();
    const uint32_t closed = planner.closedCount();
    EXPECT_TRUE(planner.search());
    EXPECT_EQ(planner.pathHead(), head);
    EXPECT_EQ(planner.closedCount(), closed);
    planner.clear();
    EXPECT_EQ(planner.pathHead(), nullptr);
    EXPECT_EQ(planner.pathCost(), -1.0f);
    EXPECT_TRUE(planner.searchDone());
    EXPECT_EQ(planner.openCount(), 0u);
    EXPECT_EQ(planner.closedCount(), 0u);
    EXPECT_EQ(planner.nodePool().used(), 0u);
    // A second search on the same init gives the same route.
    planner.start();
    EXPECT_TRUE(planner.search());
    EXPECT_EQ(planner.pathLength(), 5u);
    // init again drops the path; the pool starts afresh.
    ASSERT_TRUE(planner.init(paramsFor(3, 3, costs, 2, 2, 0, 0)));
    EXPECT_EQ(planner.pathHead(), nullptr);
    EXPECT_EQ(planner.nodePool().used(), 0u);
}

TEST(Planner, StartWithoutClearStartsAfresh) {
    const std::vector<double> costs(16, 1.0);
    AStarPlanner planner;
    ASSERT_TRUE(planner.init(paramsFor(4, 4, costs, 0, 0, 3, 3)));
    for (int round = 0; round < 5; ++round) {
        planner.start();
        ASSERT_TRUE(planner.search());
        EXPECT_EQ(planner.pathLength(), 7u);
    }
    planner.clear();
    EXPECT_EQ(planner.nodePool().used(), 0u);
}

TEST(Planner, StartCostIsNeverReadAndGSumsTheEnteredCells) {
    // Normalised: 9 -> 2, 1 -> 1/9 + 1, 2 -> 2/9 + 1, 4 -> 4/9 + 1.
    const std::vector<double> costs = {9, 1, 2, 4};
    AStarPlanner planner;
    ASSERT_TRUE(planner.init(paramsFor(4, 1, costs, 0, 0, 3, 0)));
    planner.start();
    ASSERT_TRUE(planner.search());
    const float* map = planner.costMap();
    const float expected = (map[1] + map[2]) + map[3];  // g rounded to float each step
    EXPECT_EQ(planner.pathCost(), expected);
    EXPECT_EQ(planner.pathLength(), 4u);
}

TEST(Planner, PoolIsEmptyAfterEveryCall) {
    // Sized as findPath sizes them, the pool never runs dry, the open list
    // never fills, and clear brings the used count back to 0.
    std::mt19937 rng(5);
    std::uniform_real_distribution<double> unit(0, 1);
    for (int round = 0; round < 300; ++round) {
        const int w = 1 + int(unit(rng) * 20);
        const int h = 2 + int(unit(rng) * 20);
        std::vector<double> costs(size_t(w) * h);
        for (double& c : costs) c = unit(rng) < 0.3 ? 0 : 1 + unit(rng) * 10;
        const double weight = round % 3 == 0 ? 1.0 : unit(rng);
        const int sx = int(unit(rng) * w);
        const int sy = int(unit(rng) * h);
        const int gx = int(unit(rng) * w);
        const int gy = (sy + 1 + int(unit(rng) * (h - 1))) % h;  // never the start's row
        AStarPlanner planner;
        ASSERT_TRUE(planner.init(paramsFor(w, h, costs, sx, sy, gx, gy, weight)));
        planner.start();
        ASSERT_TRUE(planner.search());
        EXPECT_EQ(planner.nodePool().used(), planner.openCount() + planner.closedCount());
        EXPECT_LE(planner.nodePool().used(), uint32_t(w * h));
        planner.clear();
        EXPECT_EQ(planner.nodePool().used(), 0u);
    }
}

// --- Diagonal steps ------------------------------------------------------------

TEST(Planner, DiagonalStepsOnlyWhenAllowed) {
    const std::vector<double> costs(9, 1.0);  // every cell normalised to 2
    AStarPlanner planner;
    PlannerParams p = paramsFor(3, 3, costs, 0, 0, 2, 2);

    // findPath's block: diagonalCostSqrt2 set, allowDiagonal clear.
    ASSERT_TRUE(planner.init(p));
    planner.start();
    ASSERT_TRUE(planner.search());
    EXPECT_EQ(planner.pathLength(), 5u);
    EXPECT_EQ(planner.pathCost(), 8.0f);

    p.allowDiagonal = true;  // and diagonalCostSqrt2 still set
    ASSERT_TRUE(planner.init(p));
    planner.start();
    ASSERT_TRUE(planner.search());
    EXPECT_EQ(routeOf(planner), (std::vector<std::pair<int, int>>{{0, 0}, {1, 1}, {2, 2}}));
    const float first = static_cast<float>(2.0 * double{kDiagonalFactor});
    const float second = static_cast<float>(double{first} + 2.0 * double{kDiagonalFactor});
    EXPECT_EQ(planner.pathCost(), second);

    p.diagonalCostSqrt2 = false;  // a diagonal step costs what a straight one does
    ASSERT_TRUE(planner.init(p));
    planner.start();
    ASSERT_TRUE(planner.search());
    EXPECT_EQ(planner.pathLength(), 3u);
    EXPECT_EQ(planner.pathCost(), 4.0f);
}

TEST(Planner, DiagonalNeighbourOrderStartsNorthWest) {
    // Weight 0 (f = g) with diagonals at straight cost: all eight
    // neighbours of (1, 1) tie at g 2. NW (0, 0) is visited and inserted
    // first, so it is expanded first, and it is the goal.
    const std::vector<double> costs(9, 1.0);
    AStarPlanner planner;
    PlannerParams p = paramsFor(3, 3, costs, 1, 1, 0, 0, 0.0);
    p.allowDiagonal = true;
    p.diagonalCostSqrt2 = false;
    ASSERT_TRUE(planner.init(p));
    planner.start();
    ASSERT_TRUE(planner.search());
    EXPECT_EQ(routeOf(planner), (std::vector<std::pair<int, int>>{{1, 1}, {0, 0}}));
}

// --- Pool or open list too small (mended) ---------------------------------------

TEST(Planner, PoolRunningDryEndsTheSearchWithNoRoute) {
    const std::vector<double> costs(100, 1.0);
    AStarPlanner planner;
    PlannerParams p = paramsFor(10, 10, costs, 0, 0, 9, 9);
    p.nodeCapacity = 5;
    ASSERT_TRUE(planner.init(p));
    planner.start();
    EXPECT_FALSE(planner.search());
    EXPECT_TRUE(planner.searchDone());
    EXPECT_EQ(planner.pathHead(), nullptr);
    EXPECT_EQ(planner.pathCost(), -1.0f);
    EXPECT_EQ(planner.nodePool().used(), 5u);
    EXPECT_EQ(planner.nodePool().used(), planner.openCount() + planner.closedCount());
    planner.clear();
    EXPECT_EQ(planner.nodePool().used(), 0u);

    p.nodeCapacity = 1;  // the start node alone
    ASSERT_TRUE(planner.init(p));
    planner.start();
    EXPECT_FALSE(planner.search());
    EXPECT_EQ(planner.pathHead(), nullptr);
    planner.clear();
    EXPECT_EQ(planner.nodePool().used(), 0u);
}

TEST(Planner, FullOpenListEndsTheSearchWithNoRoute) {
    const std::vector<double> costs(100, 1.0);
    AStarPlanner planner;
    PlannerParams p = paramsFor(10, 10, costs, 4, 4, 9, 9);
    p.openCapacity = 3;
    ASSERT_TRUE(planner.init(p));
    planner.start();
    EXPECT_FALSE(planner.search());
    EXPECT_EQ(planner.pathHead(), nullptr);
    EXPECT_LE(planner.openCount(), 3u);
    EXPECT_EQ(planner.nodePool().used(), planner.openCount() + planner.closedCount());
    planner.clear();
    EXPECT_EQ(planner.nodePool().used(), 0u);
}

TEST(Planner, FullOpenListOnReopeningEndsTheSearch) {
    // Weight 1 (f = h) reopens closed nodes on this grid; with an open list
    // of 2 the search ends early wherever it runs out, and all nodes are
    // still accounted for.
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> unit(0, 1);
    for (int round = 0; round < 200; ++round) {
        std::vector<double> costs(64);
        for (double& c : costs) c = unit(rng) < 0.2 ? 0 : 1 + unit(rng) * 50;
        AStarPlanner planner;
        PlannerParams p = paramsFor(8, 8, costs, 0, 0, 7, 7, unit(rng));
        p.openCapacity = 1 + round % 4;
        p.nodeCapacity = round % 2 ? 0 : 20;
        ASSERT_TRUE(planner.init(p));
        planner.start();
        const bool ranToEnd = planner.search();
        if (!ranToEnd) {
            EXPECT_EQ(planner.pathHead(), nullptr);
        }
        EXPECT_EQ(planner.nodePool().used(), planner.openCount() + planner.closedCount());
        planner.clear();
        EXPECT_EQ(planner.nodePool().used(), 0u);
    }
}

TEST(Planner, SmallCapacitiesAreEnoughWhenTheGridNeedsNoMore) {
    // A corridor one cell wide never holds more than one open node.
    const std::vector<double> costs(10, 1.0);
    AStarPlanner planner;
    PlannerParams p = paramsFor(1, 10, costs, 0, 0, 0, 9);
    p.openCapacity = 1;
    p.nodeCapacity = 10;
    ASSERT_TRUE(planner.init(p));
    planner.start();
    EXPECT_TRUE(planner.search());
    EXPECT_EQ(planner.pathLength(), 10u);
}

}  // namespace
}  // namespace vorlan::path
