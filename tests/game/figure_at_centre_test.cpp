// The commit's hit test on hand-built fields, with plain pictures in the
// slots: the topmost picture over the screen's middle decides.
#include <gtest/gtest.h>

#include <vorlan/sprites.h>
#include <vorlan/value.h>

#include <cmath>
#include <limits>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "game/field.h"
#include "game/round.h"
#include "gfx2d/gl_surface.h"

namespace quillowen {
namespace {

using vorlan::elementAt;

class FigureAtCentre : public vorlan::test::GLSurface {
  protected:
    void SetUp() override {
        GLSurface::SetUp();
        for (auto [slot, width, height] : {std::tuple{CELL_HEDGE, 64, 88},
                                           {CELL_FIGURE, 32, 64},
                                           {CELL_FIRST_DECOY, 64, 88},
                                           {101.0, 1, 1}}) {
            std::string name = "slot" + std::to_string(int(slot)) + ".png";
            vorlan::loadSprite(
                writePng(name, vorlan::test::picture(width, height, 0xC8C8C8C8)).c_str(), slot);
        }
    }
};

TEST_F(FigureAtCentre, TheTopmostPictureOverTheMiddleDecides) {
    struct Placement {
        int x, y;
        double code;
    };
    struct Case {
        const char* what;
        std::vector<Placement> cells;
        double expected;
    } cases[] = {
        {"her alone", {{25, 25, CELL_FIGURE}}, 1},
        {"a hedge drawn before her, behind", {{26, 25, CELL_HEDGE}, {25, 25, CELL_FIGURE}}, 1},
        {"a hedge drawn after her, in front", {{25, 25, CELL_FIGURE}, {25, 26, CELL_HEDGE}}, 0},
        {"a decoy in front", {{25, 25, CELL_FIGURE}, {25, 26, CELL_FIRST_DECOY}}, 0},
        {"the decoy without a picture in front", {{25, 25, CELL_FIGURE}, {25, 26, 17}}, 1},
        {"a snail on her cell (no picture loaded)", {{25, 25, CELL_SNAIL}}, 0},
        {"only a hedge", {{26, 25, CELL_HEDGE}}, 0},
        {"empty ground", {}, 0},
    };
    for (const Case& c : cases) {
        RtNumberArray field;
        vorlan::dimensionArray(field, 50, 50);
        for (const Placement& p : c.cells) elementAt(field, p.x, p.y) = p.code;
        // This view puts her 32 x 64 picture on (25, 25) over the probe at (160, 120).
        EXPECT_EQ(figureAtCentre(field, 1440, 1500), c.expected) << c.what;
    }
}

TEST_F(FigureAtCentre, ViewsScrolledBeyondAnyNumberDrawAndHitNothing) {
    vorlan::seedGenerator(3);
    Round round;
    ASSERT_TRUE(setUpRound(round));
    const double inf = std::numeric_limits<double>::infinity();
    for (double wild : {std::nan(""), inf, -inf, 1e300, -1e300, 4294967296.0 * 4}) {
        for (auto [x, y] : {std::pair{wild, 0.0}, {0.0, wild}, {wild, wild}}) {
            round.scrollX = x;
            round.scrollY = y;
            drawRoundFrame(round);
            EXPECT_EQ(figureAtCentre(round.field, x, y), 0) << x << "," << y;
        }
    }
    // Frames still draw afterwards: the progress bar's white top edge.
    round.scrollX = 0;
    round.scrollY = 1480;
    drawRoundFrame(round);
    EXPECT_EQ(screen().rgbAt(200, 4), 0xFFFFFFu);
}

}  // namespace
}  // namespace quillowen
