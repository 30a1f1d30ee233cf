// The commit's hit test on hand-built fields, with plain opaque pictures in
// the slots: the topmost picture over the screen's middle decides.
#include <gtest/gtest.h>

#include <vorlan/sprites.h>
#include <vorlan/value.h>

#include <GL/gl.h>

#include <cmath>
#include <initializer_list>
#include <limits>
#include <utility>
#include <vector>

#include "app/renderer.h"
#include "game/field.h"
#include "game/round.h"
#include "gfx2d/test_images.h"
#include "support/temp_folder.h"

namespace quillowen {
namespace {

using vorlan::elementAt;

struct Placement {
    int x, y;
    double code;
};

class FigureAtCentre : public testing::Test {
  protected:
    void SetUp() override {
        vorlan::renderer = new vorlan::OpenGLZererazo();
        ASSERT_TRUE(vorlan::renderer->createSurface(320, 240, 0, 60, 0));
        load(CELL_HEDGE, 64, 88);
        load(CELL_FIGURE, 32, 64);
        load(CELL_FIRST_DECOY, 64, 88);
        load(101, 1, 1);
    }
    void TearDown() override {
        delete vorlan::renderer;
        vorlan::renderer = nullptr;
    }

    void load(double slot, uint32_t width, uint32_t height) {
        std::string path = temp_.file("slot" + std::to_string(int(slot)) + ".png").string();
        std::vector<uint8_t> pixels(width * height * 4, 200);
        vorlan::test::writeWholeFile(path, vorlan::test::rgbaPng(width, height, pixels));
        vorlan::loadSprite(path.c_str(), slot);
    }

    vorlan::test::TempFolder temp_;
};

// Her cell is (25, 25); this view puts her 32 x 64 picture at (144, 100),
// over the probe at (160, 120).
constexpr double kScrollX = 1440, kScrollY = 1500;

TEST_F(FigureAtCentre, TheTopmostPictureOverTheMiddleDecides) {
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
        EXPECT_EQ(figureAtCentre(field, kScrollX, kScrollY), c.expected) << c.what;
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
    glFinish();
    uint8_t pixel[4] = {};
    glReadBuffer(GL_BACK);
    glReadPixels(200, 240 - 1 - 4, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_EQ(pixel[0], 255);
    EXPECT_EQ(pixel[1], 255);
    EXPECT_EQ(pixel[2], 255);
}

}  // namespace
}  // namespace quillowen
