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
    state.joystickCount = platform::openJoysticks(platform::kMaxJoysticks);
    for (int slot = 0; slot < state.joystickCount; ++slot) {
        state.joystickNames[slot] =
            cutOnCharacterBoundary(platform::joystickName(slot), kJoystickNameBytes);
    }
}

void shutdownInput() {
    if (!inputState) return;
    if (!inputState->pointerVisible) setPointerMode(1);
    platform::closeJoysticks();
    inputState->joystickCount = 0;
}

}  // namespace vorlan
