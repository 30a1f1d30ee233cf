// A round's set-up over many seeds: the snail's route, the figure and the
// decoys; and the seed whose figure lands on the snail's start.
#include <gtest/gtest.h>

#include <cstdlib>
#include <queue>
#include <vector>

#include "game/field.h"
#include "game/round.h"
#include "tests/game/fresh_seed.h"
#include "tests/game/start_cell_seed.h"

namespace quillowen {
namespace {

using test::seedFresh;
using vorlan::elementAt;

// Cells from (1, 1) to the goal on the shortest way through cells that are
// not hedges, both ends counted; 0 when there is none.
int shortestCells(const RtNumberArray& field, int goalX, int goalY) {
    std::vector<int> distance(50 * 50, -1);
    std::queue<int> open;
    distance[1 * 50 + 1] = 1;
    open.push(1 * 50 + 1);
    while (!open.empty()) {
        int at = open.front();
        open.pop();
        int x = at % 50, y = at / 50;
        const int steps[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
        for (auto& s : steps) {
            int nx = x + s[0], ny = y + s[1];
            if (nx < 0 || ny < 0 || nx > 49 || ny > 49 || distance[ny * 50 + nx] >= 0) continue;
            if (elementAt(field, nx, ny) == CELL_HEDGE) continue;
            distance[ny * 50 + nx] = distance[at] + 1;
            open.push(ny * 50 + nx);
        }
    }
    return std::max(0, distance[goalY * 50 + goalX]);
}

TEST(RoundSetup, TheRouteLeadsFromTheStartToHerTheShortestWay) {
    for (uint32_t seed = 1; seed <= 150; ++seed) {
        SCOPED_TRACE(seed);
        seedFresh(seed);
        Round round;
        ASSERT_TRUE(setUpRound(round));
        const int n = static_cast<int>(routeLength(round));
        ASSERT_GE(n, 2);
        EXPECT_EQ(elementAt(round.route, 0, 0), 1);
        EXPECT_EQ(elementAt(round.route, 0, 1), 1);
        EXPECT_EQ(elementAt(round.route, n - 1, 0), round.figureX);
        EXPECT_EQ(elementAt(round.route, n - 1, 1), round.figureY);
        EXPECT_EQ(elementAt(round.field, round.figureX, round.figureY), CELL_FIGURE);
        for (int i = 1; i < n; ++i) {
            double x = elementAt(round.route, i, 0), y = elementAt(round.route, i, 1);
            ASSERT_EQ(std::abs(x - elementAt(round.route, i - 1, 0)) +
                          std::abs(y - elementAt(round.route, i - 1, 1)),
                      1)
                << "row " << i;
            ASSERT_NE(elementAt(round.field, x, y), CELL_HEDGE) << "row " << i;
        }
        EXPECT_EQ(n, shortestCells(round.field, round.figureX, round.figureY));

        int decoys = 0, figures = 0;
        for (int i = 0; i < 2500; ++i) {
            double c = round.field.data()[i];
            figures += c == CELL_FIGURE;
            decoys += c >= CELL_FIRST_DECOY && c <= CELL_LAST_DECOY;
            ASSERT_TRUE(c == CELL_EMPTY || c == CELL_HEDGE || c == CELL_FIGURE ||
                        (c >= CELL_FIRST_DECOY && c <= CELL_LAST_DECOY && c == int(c)))
                << c;
        }
        EXPECT_EQ(figures, 1);
        EXPECT_GT(decoys, 100);
        EXPECT_LE(decoys, 501);
        EXPECT_EQ(round.scrollX, 0);
        EXPECT_EQ(round.scrollY, 1480);
    }
}

TEST(RoundSetup, AFigureDrawnOnTheStartIsDrawnAgain) {
    uint32_t seed = test::seedPuttingHerOnTheStart();
    ASSERT_NE(seed, 0u);
    seedFresh(seed);
    Round round;
    ASSERT_TRUE(setUpRound(round)) << seed;
    EXPECT_FALSE(round.figureX == 1 && round.figureY == 1) << seed;
    ASSERT_GE(routeLength(round), 2) << seed;
    EXPECT_EQ(elementAt(round.field, round.figureX, round.figureY), CELL_FIGURE);
}

}  // namespace
}  // namespace quillowen
