#include <vorlan/sprites.h>

#include "game/field.h"
#include "game/round.h"

namespace quillowen {

namespace {

constexpr double kSlotProbe = 101;

}  // namespace

// Visits the cells in drawing order, so the last picture over the probe is
// the topmost one and decides.
double figureAtCentre(const RtNumberArray& field, double scrollX, double scrollY) {
    double result = 0;
    const int w = field.dim1(), h = field.dim2();
    for (int y = 0; y < h; ++y) {
        for (int x = w - 1; x >= 0; --x) {
            double code = vorlan::elementAt(field, x, y);
            double width = 0, height = 0;
            vorlan::getSpriteSize(code, width, height);
            if (width == 0) continue;
            double left = cellLeft(x, y, width, scrollX), top = cellTop(x, y, height, scrollY);
            if (vorlan::spriteCollision(code, left, top, kSlotProbe, 160, 120) != 0) {
                result = code == CELL_FIGURE ? 1 : 0;
            }
        }
    }
    return result;
}

}  // namespace quillowen
