#include <vorlan/sprites.h>

#include "game/field.h"
#include "game/round.h"
#include "game/score.h"

namespace quillowen {

using vorlan::elementAt;

namespace {

constexpr double kGroundColour = 16512;  // red 128, green 64, blue 0
constexpr double kSlotCrossHair = 100, kSlotSnailMarker = 200, kSlotPortrait = 201;

struct PictureSize {
    double width = 0, height = 0;
};

// The cells lower on the screen are drawn later and cover those above.
void drawField(const Round& r) {
    constexpr int kCodes = static_cast<int>(CELL_LAST_DECOY) + 1;
    PictureSize sizes[kCodes];
    for (int code = 0; code < kCodes; ++code) {
        vorlan::getSpriteSize(code, sizes[code].width, sizes[code].height);
    }
    const int w = r.field.dim1(), h = r.field.dim2();
    for (int y = 0; y < h; ++y) {
        for (int x = w - 1; x >= 0; --x) {
            double code = elementAt(r.field, x, y);
            if (code < 0 || code > CELL_LAST_DECOY) continue;
            const PictureSize& size = sizes[static_cast<int>(code)];
            if (size.width == 0) continue;
            double left = cellLeft(x, y, size.width, r.scrollX);
            double top = cellTop(x, y, size.height, r.scrollY);
            // Off-screen pictures would only be clipped away; a view scrolled
            // to no number at all shows nothing.
            if (!(left < 320 && top < 240 && left + size.width > 0 && top + size.height > 0)) {
                continue;
            }
            vorlan::drawSprite(code, left, top);
        }
    }
}

void drawHud(const Round& r) {
    vorlan::drawSprite(kSlotCrossHair, 128, 104);
    vorlan::drawSprite(kSlotPortrait, 0, 0);
    // The progress bar with the score under it, in one white frame that
    // reaches the screen's right edge.
    vorlan::fillRect(64, 4, 256, 27, 16777215);
    vorlan::fillRect(65, 5, 254, 12, 0);
    vorlan::drawSprite(kSlotSnailMarker, (r.stepIndex / routeLength(r)) * 224 + 64, 4);
    drawScore();
}

}  // namespace

void drawRoundFrame(const Round& r) {
    vorlan::fillRect(0, 0, 320, 240, kGroundColour);
    drawField(r);
    drawHud(r);
}

}  // namespace quillowen
