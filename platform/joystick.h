// Joysticks: axes, hats, buttons, the standard pad layout and rumble.
// Joysticks are kept in numbered slots: one keeps its slot while it is
// plugged in, and a new one takes the lowest free slot.
#pragma once

#include <cstdint>
#include <string>

namespace vorlan::platform {

constexpr int kMaxJoysticks = 10;
constexpr uint32_t kHatCentred = 0xFFFFFFFF;

// One reading in the runtime's joystick record layout: axes and sliders in
// -32768..32767, hats as directions in hundredths of a degree clockwise
// from up (kHatCentred when centred), buttons 0x80 while down.
struct JoystickReading {
    int32_t axes[6] = {};  // x, y, z, x rotation, y rotation, z rotation
    int32_t sliders[2] = {};
    uint32_t hats[4] = {kHatCentred, kHatCentred, kHatCentred, kHatCentred};
    uint8_t buttons[32] = {};
};

// Opens the attached joysticks, and from then on those plugged in later;
// each slot that gets or loses its joystick is an input event.
void startJoysticks();
void closeJoysticks();
// Called by the event pump when a joystick is plugged in or out.
void refreshJoysticks();
// The slot of the joystick with this SDL instance id, or -1.
int joystickSlotOf(int32_t instanceId);

// False when the slot holds no joystick (the reading is then untouched).
bool readJoystick(int slot, JoystickReading& reading);
std::string joystickName(int slot);
// Any button, by its number from 0; false for one the joystick lacks.
bool joystickButtonHeld(int slot, int button);
// The standard pad layout, where the platform knows the joystick's
// mapping: buttons and axes in SDL's game controller numbering. Sticks
// read -32768..32767, triggers 0..32767; 0 without a mapping.
bool padButtonHeld(int slot, int button);
int padAxis(int slot, int axis);
// Runs both motors at these strengths for the time given; false when the
// slot holds no joystick that can rumble.
bool rumbleJoystick(int slot, uint16_t lowFrequency, uint16_t highFrequency, uint32_t ms);

}  // namespace vorlan::platform
