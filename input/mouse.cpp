#include "input/mouse.h"

#include <vorlan/app.h>
#include <vorlan/input.h>

#include <algorithm>

#include "core/event_pump.h"
#include "gfx2d/game_window.h"
#include "input/input_events.h"
#include "input/input_state.h"
#include "platform/mouse.h"
#include "value/number_conversion.h"

namespace vorlan {

namespace {

// Where the captured pointer without the device is held between samples.
constexpr int kCaptureX = 200;
constexpr int kCaptureY = 200;

void takeButtons(MouseSample& sample, const platform::MouseButtons& buttons) {
    sample.left = buttons.left ? 1 : 0;
    sample.right = buttons.right ? 1 : 0;
    sample.middle = buttons.middle ? 1 : 0;
}

// The free pointer: the movement is the way from the last position to the
// pointer, which then becomes the position.
void followPointer(InputState& state, MouseSample& sample) {
    int x = 0;
    int y = 0;
    platform::pointerInWindow(x, y);
    if (gameWindow) gameWindow->windowToSurface(x, y);
    sample.dx = saturateToInt16(int64_t{x} - state.x);
    sample.dy = saturateToInt16(int64_t{y} - state.y);
    state.x = x;
    state.y = y;
}

void accumulate(InputState& state, MouseSample& sample, int64_t dx, int64_t dy) {
    sample.dx = saturateToInt16(dx);
    sample.dy = saturateToInt16(dy);
    state.x = saturatingAdd(state.x, sample.dx);
    state.y = saturatingAdd(state.y, sample.dy);
}

void takeMovement(InputState& state, MouseSample& sample) {
    int wheel = platform::takeWheelClicks();
    if (state.pointerVisible) {
        followPointer(state, sample);
    } else if (state.mouseDevice) {
        int dx = 0;
        int dy = 0;
        platform::relativeMotion(dx, dy);
        accumulate(state, sample, dx, dy);
    } else {
        int x = 0;
        int y = 0;
        platform::pointerOnScreen(x, y);
        platform::movePointerOnScreen(kCaptureX, kCaptureY);
        accumulate(state, sample, int64_t{x} - kCaptureX, int64_t{y} - kCaptureY);
    }
    sample.wheel = state.mouseDevice ? static_cast<int16_t>((wheel > 0) - (wheel < 0)) : 0;
    state.lastDx = sample.dx;
    state.lastDy = sample.dy;
    state.lastWheel = sample.wheel;
}

void freePointer(InputState& state) {
    platform::setRelativeMode(false);
    int32_t x = state.x;
    int32_t y = state.y;
    if (gameWindow) gameWindow->surfaceToWindow(x, y);
    platform::movePointerInWindow(x, y);
    platform::showArrowCursor();
}

double asTruth(bool value) {
    return value ? 1.0 : 0.0;
}

enum Button { kLeft, kRight, kMiddle };

// 1 while held, and once for a click that came and went since the last
// read of this button.
double buttonRead(int16_t held, Button button) {
    bool clicked = takeButtonPress(button);
    return asTruth(clicked || held != 0);
}

}  // namespace

int16_t saturateToInt16(int64_t value) {
    return static_cast<int16_t>(std::clamp<int64_t>(value, INT16_MIN, INT16_MAX));
}

int32_t saturatingAdd(int32_t a, int32_t b) {
    return static_cast<int32_t>(std::clamp<int64_t>(int64_t{a} + b, INT32_MIN, INT32_MAX));
}

MouseSample readMouseSample() {
    MouseSample sample;
    if (!inputState) return sample;
    pumpMessages();
    InputState& state = *inputState;
    if (state.newFrame) {
        state.newFrame = false;
        takeMovement(state, sample);
    } else {
        sample.dx = state.lastDx;
        sample.dy = state.lastDy;
        sample.wheel = state.lastWheel;
    }
    takeButtons(sample, state.mouseDevice ? platform::deviceButtons() : platform::systemButtons());
    return sample;
}

void readMouse(double& x, double& y, double& left, double& right) {
    MouseSample sample = readMouseSample();
    if (!inputState) {
        x = y = left = right = 0;
        return;
    }
    InputState& state = *inputState;
    int32_t width = gameWindow ? gameWindow->screenWidth : 0;
    int32_t height = gameWindow ? gameWindow->screenHeight : 0;
    if (state.x >= width) state.x = width - 1;
    if (state.y >= height) state.y = height - 1;
    if (state.x < 0) state.x = 0;
    if (state.y < 0) state.y = 0;
    x = state.x;
    y = state.y;
    left = buttonRead(sample.left, kLeft);
    right = buttonRead(sample.right, kRight);
}

double mouseAxis(double index) {
    MouseSample sample = readMouseSample();
    switch (truncateToInt32(index)) {
        case 0:
            return sample.dx;
        case 1:
            return sample.dy;
        case 2:
            return sample.wheel;
        case 3:
            return buttonRead(sample.left, kLeft);
        case 4:
            return buttonRead(sample.right, kRight);
        case 5:
            return buttonRead(sample.middle, kMiddle);
        default:
            return 0;
    }
}

double anyMouseButton() {
    MouseSample sample = readMouseSample();
    double left = buttonRead(sample.left, kLeft);
    double right = buttonRead(sample.right, kRight);
    double middle = buttonRead(sample.middle, kMiddle);
    return asTruth(left + right + middle > 0);
}

double mouseHit(double button) {
    pumpMessages();
    int n = truncateToInt32(button);
    return n >= kMouseLeft && n <= kMouseMiddle ? takeButtonHits(n - kMouseLeft) : 0;
}

double waitMouseClick() {
    while (anyMouseButton() != 0) {
    }
    if (anyMouseButton() != 0) return 1;
    do {
        idleUntilInput();
    } while (anyMouseButton() == 0);
    return 1;
}

void setPointerMode(double show) {
    if (!inputState) return;
    InputState& state = *inputState;
    bool free = truthOf(show);
    if (free == state.pointerVisible) return;
    state.pointerVisible = free;
    if (!state.mouseDevice) return;
    if (free) {
        freePointer(state);
    } else {
        platform::setRelativeMode(true);
    }
}

void setMousePosition(double x, double y) {
    if (!inputState) return;
    inputState->x = truncateToInt32(x);
    inputState->y = truncateToInt32(y);
}

}  // namespace vorlan
