#include <vorlan/app.h>
#include <vorlan/input.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "game/field.h"
#include "game/round.h"

namespace quillowen {

using vorlan::elementAt;
using vorlan::keyDown;
using vorlan::kKeyA, vorlan::kKeyD, vorlan::kKeyS, vorlan::kKeyW;
using vorlan::kKeyUp, vorlan::kKeyDown, vorlan::kKeyLeft, vorlan::kKeyRight;

namespace {

constexpr double kStepMs = 700;

void scroll(Round& r) {
    double dx = 4 * (keyDown(kKeyRight) - keyDown(kKeyLeft));
    double dy = 4 * (keyDown(kKeyDown) - keyDown(kKeyUp));
    if (dx == 0 && dy == 0) return;
    r.scrollX += dx;
    r.scrollY += dy;
    trace("scroll %.0f %.0f", r.scrollX, r.scrollY);
}

// Moves the snail one cell on; false once it has reached her cell's end.
bool stepSnail(Round& r) {
    elementAt(r.field, elementAt(r.route, r.stepIndex, 0), elementAt(r.route, r.stepIndex, 1)) =
        CELL_EMPTY;
    r.stepIndex += 1;
    if (r.stepIndex >= routeLength(r)) return false;
    double x = elementAt(r.route, r.stepIndex, 0), y = elementAt(r.route, r.stepIndex, 1);
    elementAt(r.field, x, y) = CELL_SNAIL;
    r.nextStepTime = vorlan::elapsedMs() + kStepMs;
    trace("snail %.0f %.0f %.0f", r.stepIndex, x, y);
    return true;
}

bool committed() {
    return keyDown(kKeyA) != 0 || keyDown(kKeyD) != 0 || keyDown(kKeyS) != 0 || keyDown(kKeyW) != 0;
}

}  // namespace

double runRound() {
    Round r;
    if (!setUpRound(r)) {
        vorlan::appendErrorLog("no route to the figure: round lost");
        return 0;
    }
    for (;;) {
        scroll(r);
        drawRoundFrame(r);
        if (vorlan::elapsedMs() > r.nextStepTime && !stepSnail(r)) {
            trace("arrived");
            return 0;
        }
        if (committed()) {
            double result = figureAtCentre(r.field, r.scrollX, r.scrollY);
            trace("commit %.0f", result);
            return result;
        }
        if (!adjustVolume(r, drawRoundFrame)) vorlan::presentFrame();
    }
}

bool tracing() {
    static const bool enabled = [] {
        const char* value = std::getenv("QUILLOWEN_TRACE");
        return value && std::strcmp(value, "1") == 0;
    }();
    return enabled;
}

void trace(const char* format, ...) {
    if (!tracing()) return;
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
    std::putchar('\n');
    std::fflush(stdout);
}

}  // namespace quillowen
