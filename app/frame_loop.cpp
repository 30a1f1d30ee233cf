#include "app/frame_loop.h"

#include <GL/gl.h>
#include <vorlan/input.h>

#include <cmath>
#include <utility>

#include "app/frame_clock.h"
#include "core/event_pump.h"
#include "core/runtime_state.h"
#include "core/warnings.h"
#include "gfx2d/draw_state.h"
#include "gfx2d/game_window.h"
#include "input/keyboard.h"
#include "platform/clock.h"
#include "platform/window.h"

namespace vorlan {

namespace {

// Frame pacing: the time stamps of the last two frames, the time between
// frame deadlines and the next deadline.
struct FrameClock {
    double origin = 0;
    double lastFrameTime = 0;
    double previousFrameTime = 0;
    double frameTime = 1000.0 / 60.0;
    double deadline = 0;
};

FrameClock frameClock;

// A frame with no runtime under it. Never started means the program has a
// main() of its own: its loop would run on, windowless, for ever.
void frameWithoutRuntime() {
    if (frameState.phase != RuntimePhase::NotStarted) return warnRuntimeAbsent("presentFrame");
    reportFatal(
        "presentFrame called, but the runtime never started: the program has a main() of its "
        "own, so the runtime's main(), which opens the window and then calls gameMain(), never "
        "ran. Define gameMain() instead of main() and link with vorlan_main (pkg-config --libs "
        "vorlan, or Vorlan::vorlan_main in CMake)");
    errorState.exitStatus = 1;
    endProgram();
}

}  // namespace

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

void startFramePacing(int32_t frameRate) {
    frameClock.frameTime = startupFrameTime(frameRate);
    frameClock.deadline = clockMs();
}

double frameTimeMs() {
    return frameClock.frameTime;
}

void setFrameLimit(double framesPerSecond) {
    frameClock.frameTime = frameTimeForRate(framesPerSecond);
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
    if (gameWindow) gameWindow->presentSurface();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    double t0 = clockMs();
    double t = waitForDeadline(frameClock.deadline);
    frameClock.deadline = nextDeadline(frameClock.deadline, frameClock.frameTime, t);
    return t - t0 + 1;
}

void presentFrame() {
    if (!gameWindow) return frameWithoutRuntime();
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
    beginInputFrame();
    if (quitKeysPressed()) {
        errorState.errorNumber = 0;
        errorState.errorLine = errorState.currentLine;
        endProgram();
    }
    if (std::exchange(frameState.fullscreenToggleAsked, false) && gameWindow) {
        gameWindow->toggleFullscreen();
    }
    swapAndWait();
    prepareBackBuffer();
}

}  // namespace vorlan
