// Joysticks: axes, hats, buttons and rumble.
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

// Opens the attached joysticks, at most `limit` of them; returns how many.
int openJoysticks(int limit);
void closeJoysticks();
// False when the slot holds no joystick (the reading is then untouched).
bool readJoystick(int slot, JoystickReading& reading);
std::string joystickName(int slot);
// Runs both motors at these strengths for the time given; false when the
// slot holds no joystick that can rumble.
bool rumbleJoystick(int slot, uint16_t lowFrequency, uint16_t highFrequency, uint32_t ms);

}  // namespace vorlan::platform
