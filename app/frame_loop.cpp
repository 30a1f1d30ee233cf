#include "app/frame_loop.h"

#include <GL/gl.h>
#include <vorlan/input.h>

#include <cmath>

#include "app/frame_clock.h"
#include "app/renderer.h"
#include "app/runtime_state.h"
#include "gfx2d/draw_state.h"
#include "gfx2d/tile_sets.h"
#include "input/input_state.h"
#include "input/joystick.h"
#include "input/keyboard.h"
#include "platform/clock.h"
#include "platform/events.h"
#include "platform/window.h"

namespace vorlan {

namespace {

constexpr int kKeyEscape = 1;
constexpr int kKeyEscapeAlias = 129;
constexpr int kKeyLeftAlt = 56;
constexpr int kKeyF4 = 62;

struct FrameClock {
    double origin = 0;
    double lastFrameTime = 0;
    double previousFrameTime = 0;
};

FrameClock frameClock;

// The last pointer snapshot idleUntilInput compared against.
struct InputSnapshot {
    double x = 0;
    double y = 0;
    double left = 0;
    double right = 0;
};

InputSnapshot idleSnapshot;

void setPaused(bool paused) {
    if (runtimeSettings.debugMode != 0 || !frameState.autoPause) return;
    frameState.paused = paused;
    if (paused) {
        RtString caption = concat(frameState.applicationTitle, " <pause>");
        platform::setWindowTitle(caption.cStr());
    } else {
        platform::setWindowTitle(frameState.applicationTitle.cStr());
    }
}

void handleWindowEvent(platform::WindowEvent event) {
    switch (event) {
        case platform::WindowEvent::FocusLost:
            setPaused(true);
            break;
        case platform::WindowEvent::FocusGained:
            setPaused(false);
            break;
        case platform::WindowEvent::Close:
            endProgram();
    }
}

bool escapeHeld() {
    return keyHeld(kKeyEscapeAlias) || keyHeld(kKeyEscape);
}

bool anyKeyHeld() {
    for (int code = 0; code <= 254; ++code) {
        if (keyHeld(code)) return true;
    }
    return false;
}

// Reads the pointer, held inside the surface, and reports whether it or a
// button changed since the last snapshot.
bool pointerChanged() {
    InputSnapshot now;
    readMouse(now.x, now.y, now.left, now.right);
    if (now.x == idleSnapshot.x && now.y == idleSnapshot.y && now.left == idleSnapshot.left &&
        now.right == idleSnapshot.right) {
        return false;
    }
    idleSnapshot = now;
    return true;
}

}  // namespace

double clockMs() {
    return platform::nowMs();
}

void restartFrameClock() {
    double now = clockMs();
    frameClock.origin = now;
    frameClock.lastFrameTime = now;
    frameClock.previousFrameTime = now;
}

double elapsedMs() {
    return clockMs() - frameClock.origin;
}

double frameDuration() {
    return frameInterval(frameClock.previousFrameTime, frameClock.lastFrameTime);
}

void setFrameLimit(double framesPerSecond) {
    if (renderer) renderer->frameTime = frameTimeForRate(framesPerSecond);
}

int pumpMessages() {
    platform::pumpEvents(handleWindowEvent);
    return 1;
}

double waitForDeadline(double deadline) {
    static SleepMargin margin;
    for (;;) {
        pumpMessages();
        double t = clockMs();
        if (t > deadline) return t;
        // Sleep through most of the wait and spin only for the last
        // stretch, as long as sleeps here have lately overshot: the
        // deadline is kept as exactly as a pure busy loop keeps it, without
        // burning a core.
        double remaining = deadline - t;
        if (remaining > margin.ms()) {
            double asked = std::fmin(remaining - margin.ms(), kLongestSleepMs);
            platform::sleepMs(asked);
            margin.record(clockMs() - t - asked);
        }
    }
}

double swapAndWait() {
    flushQuads();
    platform::swapBuffers();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    double t0 = clockMs();
    double deadline = renderer ? renderer->frameDeadline : t0;
    double frameTime = renderer ? renderer->frameTime : 2.0;
    double t = waitForDeadline(deadline);
    if (renderer) renderer->frameDeadline = nextDeadline(deadline, frameTime, t);
    return t - t0 + 1;
}

void presentFrame() {
    if (runtimeSettings.debugMode != 0) {
        platform::showWindow();
        platform::raiseWindow();
    }
    frameClock.previousFrameTime = frameClock.lastFrameTime;
    frameClock.lastFrameTime = clockMs();
    while (frameState.paused) {
        pumpMessages();
        platform::sleepMs(100);
    }
    readKeyboard();
    markNewFrame();
    if ((frameState.escQuits && escapeHeld()) || (keyHeld(kKeyLeftAlt) && keyHeld(kKeyF4))) {
        errorState.errorNumber = 0;
        errorState.errorLine = errorState.currentLine;
        endProgram();
    }
    swapAndWait();
    resetFrameState();
}

void resetFrameState() {
    glDisable(GL_BLEND);
    glColor4f(1, 1, 1, 1);
    if (renderer) {
        renderer->globalAlpha = 1;
        renderer->setup2D(0, 0, 0, 0);
        // After setup2D: a game's own viewport must not shift the background.
        drawTileSet(0);
    }
}

void idleUntilInput() {
    for (int pass = 0; pass < 15; ++pass) {
        pumpMessages();
        readKeyboard();
        markNewFrame();
        if (frameState.escQuits && escapeHeld()) endProgram();
        if (anyKeyHeld()) return;
        if (pointerChanged()) return;
        if (anyJoystickInput()) return;
        platform::sleepMs(5);
    }
}

}  // namespace vorlan
