// The input state shared by the frame loop and the input operations.
#pragma once

namespace vorlan {

struct InputState {
    // Set by presentFrame: the first read of a device in a frame refreshes it.
    bool newFrame = false;
};

// The process-wide input state; null before start-up and after shutdown.
extern InputState* inputState;

void createInputState();
void destroyInputState();
void markNewFrame();

}  // namespace vorlan
