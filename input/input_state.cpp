#include "input/input_state.h"

#include <vorlan/app.h>
#include <vorlan/input.h>

#include "input/input_events.h"
#include "input/joystick.h"
#include "platform/events.h"
#include "platform/mouse.h"

namespace vorlan {

InputState* inputState = nullptr;

void createInputState() {
    if (inputState) return;
    inputState = new InputState();
    startInputEvents();
}

void destroyInputState() {
    if (inputState) stopInputEvents();
    delete inputState;
    inputState = nullptr;
}

void markNewFrame() {
    if (inputState) inputState->newFrame = true;
}

void initInput(bool captureMouse) {
    if (!inputState) return;
    InputState& state = *inputState;
    // Without events there is no keyboard or mouse; the joysticks may
    // still answer.
    if (!platform::inputEventsAvailable()) appendErrorLog("No DX_Input");
    int x = 0;
    int y = 0;
    platform::pointerInWindow(x, y);
    state.x = x;
    state.y = y;
    state.pointerVisible = false;
    if (captureMouse) {
        state.mouseDevice = true;
        if (!platform::setRelativeMode(true)) appendErrorLog("No DX_Mouse");
    } else {
        state.pointerVisible = true;
    }
    // Each joystick found is listed as an input event, as one plugged in later.
    platform::startJoysticks();
}

void shutdownInput() {
    if (!inputState) return;
    if (!inputState->pointerVisible) setPointerMode(1);
    platform::closeJoysticks();
    for (int slot = 0; slot < platform::kMaxJoysticks; ++slot) noteJoystickSlot(slot, false);
}

}  // namespace vorlan
