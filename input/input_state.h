// The input state shared by the frame loop and the input operations.
#pragma once

#include <cstdint>
#include <string>

#include "platform/joystick.h"

namespace vorlan {

struct InputState {
    // The pointer position in client pixels, accumulated in the captured
    // modes; clamped to the surface by readMouse.
    int32_t x = 100;
    int32_t y = 100;
    // A captured mouse was asked for at start-up: movement comes from the
    // device (relative mode) while the pointer is captured.
    bool mouseDevice = false;
    // The system pointer is free and visible; false while captured.
    bool pointerVisible = false;
    // Set once per frame: the next mouse read takes fresh movement, and
    // every other read in the frame repeats it.
    bool newFrame = true;
    int16_t lastDx = 0;
    int16_t lastDy = 0;
    int16_t lastWheel = 0;

    // The joysticks plugged in, by number; a number keeps its joystick
    // while it stays plugged in.
    int32_t joystickCount = 0;
    bool joystickListed[platform::kMaxJoysticks] = {};
    std::string joystickNames[platform::kMaxJoysticks];
};

// The process-wide input state; null before start-up and after shutdown.
extern InputState* inputState;

// Creating the state starts recording input events; destroying it stops.
void createInputState();
void destroyInputState();
void markNewFrame();

// Start-up, once the main window exists: the pointer position, the mouse
// mode and the joysticks. captureMouse asks for the captured mouse device.
void initInput(bool captureMouse);
// At program end, before the state is deleted: frees the pointer and
// releases the devices.
void shutdownInput();

}  // namespace vorlan
