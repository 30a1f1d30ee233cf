// A round's set-up over many seeds, among them one whose figure is first
// drawn on the snail's start: the snail's route, the snail, the figure and
// the decoys.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "game/field.h"
#include "game/round.h"
#include "tests/game/field_walk.h"

namespace quillowen {
namespace {

using vorlan::elementAt;

TEST(RoundSetup, TheRouteLeadsFromTheStartToHerTheShortestWay) {
    std::vector<uint32_t> seeds = {test::seedPuttingHerOnTheStart()};
    ASSERT_NE(seeds[0], 0u);
    for (uint32_t seed = 1; seed <= 150; ++seed) seeds.push_back(seed);
    for (uint32_t seed : seeds) {
        SCOPED_TRACE(seed);
        test::seedFresh(seed);
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
        // Decoys and the figure do not block the way: only hedges do.
        EXPECT_EQ(n, test::cellsFromStart(round.field)[round.figureY * 50 + round.figureX]);

        // The snail stands on its start from the first frame.
        EXPECT_EQ(elementAt(round.field, 1, 1), CELL_SNAIL);
        int decoys = 0, figures = 0, snails = 0;
        for (int i = 0; i < 2500; ++i) {
            double c = round.field.data()[i];
            figures += c == CELL_FIGURE;
            snails += c == CELL_SNAIL;
            decoys += c >= CELL_FIRST_DECOY && c <= CELL_LAST_DECOY;
            ASSERT_TRUE(c == CELL_EMPTY || c == CELL_HEDGE || c == CELL_FIGURE || c == CELL_SNAIL ||
                        (c >= CELL_FIRST_DECOY && c <= CELL_LAST_DECOY && c == int(c)))
                << c;
        }
        EXPECT_EQ(figures, 1);
        EXPECT_EQ(snails, 1);
        EXPECT_GT(decoys, 100);
        EXPECT_LE(decoys, 501);
        EXPECT_EQ(round.scrollX, 0);
        EXPECT_EQ(round.scrollY, 1480);
    }
}

}  // namespace
}  // namespace quillowen
