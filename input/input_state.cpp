#include "input/input_state.h"

namespace vorlan {

InputState* inputState = nullptr;

void createInputState() {
    if (!inputState) inputState = new InputState();
}

void destroyInputState() {
    delete inputState;
    inputState = nullptr;
}

void markNewFrame() {
    if (inputState) inputState->newFrame = true;
}

}  // namespace vorlan
