#include <vorlan/app.h>
#include <vorlan/path.h>
#include <vorlan/value.h>

#include "game/field.h"
#include "game/round.h"

namespace quillowen {

using vorlan::dimensionArray;
using vorlan::elementAt;
using vorlan::randomUpTo;

namespace {

// The snail starts here; the figure never stands on it.
constexpr double kStartX = 1, kStartY = 1;
// Figure draws before a round gives up on finding a route; with every free
// cell of the maze reachable the first draw nearly always does.
constexpr int kFigureDraws = 64;

void drawFigureCell(Round& r) {
    do {
        r.figureX = randomUpTo(FIELD_SIZE - 1);
        r.figureY = randomUpTo(FIELD_SIZE - 1);
    } while (elementAt(r.field, r.figureX, r.figureY) != CELL_EMPTY ||
             (r.figureX == kStartX && r.figureY == kStartY));
}

bool planRoute(Round& r) {
    RtNumberArray grid;
    buildCostGrid(r.field, grid);
    vorlan::findPath(grid, r.route, 0.1, kStartX, kStartY, r.figureX, r.figureY);
    return routeLength(r) >= 2;
}

// Decoys may land on the route: the snail tramples them.
void scatterDecoys(Round& r) {
    for (int attempt = 0; attempt <= 500; ++attempt) {
        double x = randomUpTo(FIELD_SIZE - 1);
        double y = randomUpTo(FIELD_SIZE - 1);
        if (elementAt(r.field, x, y) == CELL_EMPTY) {
            elementAt(r.field, x, y) = CELL_FIRST_DECOY + randomUpTo(6);
        }
    }
}

}  // namespace

double routeLength(const Round& round) {
    return vorlan::dimensionSize(round.route, 0);
}

bool setUpRound(Round& r) {
    dimensionArray(r.field, FIELD_SIZE, FIELD_SIZE);
    generateField(r.field, 1);
    bool planned = false;
    for (int draw = 0; draw < kFigureDraws && !planned; ++draw) {
        drawFigureCell(r);
        planned = planRoute(r);
    }
    trace("figure %.0f %.0f", r.figureX, r.figureY);
    trace("route %.0f", routeLength(r));
    if (!planned) return false;
    elementAt(r.field, r.figureX, r.figureY) = CELL_FIGURE;
    scatterDecoys(r);
    // The snail shows on its start from the first frame, over any decoy
    // there: it would trample that one with its first step anyway.
    elementAt(r.field, elementAt(r.route, 0, 0), elementAt(r.route, 0, 1)) = CELL_SNAIL;
    r.scrollX = 0;
    r.scrollY = 32 * FIELD_SIZE - 120;
    r.stepIndex = 0;
    r.nextStepTime = vorlan::elapsedMs() + 700;
    return true;
}

double cellLeft(double x, double y, double width, double scrollX) {
    return 32 * (x + y) - width * 0.5 - scrollX;
}

double cellTop(double x, double y, double height, double scrollY) {
    return 32 * (y - x + 2 + FIELD_SIZE) - height - scrollY;
}

}  // namespace quillowen
