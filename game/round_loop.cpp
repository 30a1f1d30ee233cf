#include <vorlan/app.h>
#include <vorlan/input.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "game/field.h"
#include "game/round.h"

namespace quillowen {

using vorlan::elementAt;
using vorlan::keyDown;
using vorlan::keyHit;
using vorlan::kKeyA, vorlan::kKeyD, vorlan::kKeyS, vorlan::kKeyW;
using vorlan::kKeyUp, vorlan::kKeyDown, vorlan::kKeyLeft, vorlan::kKeyRight;

namespace {

constexpr double kStepMs = 700;
// The probe meets a figure's body this far above her cell's anchor.
constexpr double kProbeAboveAnchor = 60;
// How far the cross-hair may leave the field, in cells.
constexpr double kMarginCells = 1;

// Holds the view so that the cross-hair stays over the field's diamond:
// scrolled off it, the player would see bare ground with nothing to say
// where the maze is. Along an edge the view slides rather than sticks.
void holdOverField(Round& r) {
    // a and b are the cell under the cross-hair along x and along y, times
    // 64, from the inverse of the screen projection.
    const double x = r.scrollX + 160;
    const double y = r.scrollY + 120 + kProbeAboveAnchor - 32 * (2 + FIELD_SIZE);
    const double low = -64 * kMarginCells, high = 64 * (FIELD_SIZE - 1 + kMarginCells);
    const double a = std::clamp(x - y, low, high), b = std::clamp(x + y, low, high);
    r.scrollX = (a + b) / 2 - 160;
    r.scrollY = (b - a) / 2 - 120 - kProbeAboveAnchor + 32 * (2 + FIELD_SIZE);
}

void scroll(Round& r) {
    double dx = 4 * (keyDown(kKeyRight) - keyDown(kKeyLeft));
    double dy = 4 * (keyDown(kKeyDown) - keyDown(kKeyUp));
    if (dx == 0 && dy == 0) return;
    const double oldX = r.scrollX, oldY = r.scrollY;
    r.scrollX += dx;
    r.scrollY += dy;
    holdOverField(r);
    if (r.scrollX != oldX || r.scrollY != oldY) trace("scroll %.0f %.0f", r.scrollX, r.scrollY);
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

constexpr int kCommitKeys[] = {kKeyA, kKeyD, kKeyS, kKeyW};

// A press during this round commits; a key held on from the last round,
// or tapped while its result showed, does not.
bool committed() {
    bool pressed = false;
    for (int key : kCommitKeys) pressed = keyHit(key) != 0 || pressed;
    return pressed;
}

void forgetCommitPresses() {
    for (int key : kCommitKeys) keyHit(key);
}

}  // namespace

double runRound() {
    Round r;
    if (!setUpRound(r)) {
        vorlan::appendErrorLog("no route to the figure: round lost");
        return 0;
    }
    forgetCommitPresses();
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
