#include "input/joystick.h"

#include <vorlan/input.h>

#include <algorithm>
#include <cmath>

#include "input/input_state.h"
#include "value/number_conversion.h"

namespace vorlan {

namespace {

enum Axis { kX, kY, kZ, kRX, kRY, kRZ };

platform::JoystickReading readJoystickNumber(double n) {
    return readJoystickState(truncateToInt32(n));
}

double axisValue(double n, Axis axis) {
    return std::clamp(readJoystickNumber(n).axes[axis] / 32767.0, -1.0, 1.0);
}

// The longest rumble the platform runs in one go.
constexpr double kLongestRumbleMs = 65535;

double clampedForce(double force) {
    return std::isnan(force) ? 0.0 : std::clamp(force, -1.0, 1.0);
}

}  // namespace

platform::JoystickReading readJoystickState(int n) {
    platform::JoystickReading reading;
    if (!inputState || n < 0 || n >= inputState->joystickCount) return reading;
    if (!platform::readJoystick(n, reading)) reading = platform::JoystickReading{};
    return reading;
}

bool anyJoystickInput() {
    if (!inputState) return false;
    for (int n = inputState->joystickCount - 1; n >= 0; --n) {
        platform::JoystickReading reading = readJoystickState(n);
        if (std::any_of(std::begin(reading.buttons), std::end(reading.buttons),
                        [](uint8_t b) { return (b & 0x80) != 0; })) {
            return true;
        }
        for (Axis axis : {kX, kY, kZ}) {
            if (std::fabs(std::clamp(reading.axes[axis] / 32767.0, -1.0, 1.0)) > 0.1) return true;
        }
        uint32_t hat = reading.hats[0];
        if (hat == 0 || hat == 9000 || hat == 18000 || hat == 27000) return true;
    }
    return false;
}

std::string cutOnCharacterBoundary(const std::string& text, size_t limit) {
    if (text.size() <= limit) return text;
    size_t cut = limit;
    // Back off over continuation bytes to the start of the cut character.
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    return text.substr(0, cut);
}

double joystickX(double n) {
    return axisValue(n, kX);
}
double joystickY(double n) {
    return axisValue(n, kY);
}
double joystickZ(double n) {
    return axisValue(n, kZ);
}
double joystickRX(double n) {
    return axisValue(n, kRX);
}
double joystickRY(double n) {
    return axisValue(n, kRY);
}
double joystickRZ(double n) {
    return axisValue(n, kRZ);
}

double joystickHatX(double n) {
    uint32_t hat = readJoystickNumber(n).hats[0];
    return hat == 9000 ? 1 : hat == 27000 ? -1 : 0;
}

double joystickHatY(double n) {
    uint32_t hat = readJoystickNumber(n).hats[0];
    return hat == 0 ? -1 : hat == 18000 ? 1 : 0;
}

void readJoystick(double& x, double& y, double& button1, double& button2) {
    platform::JoystickReading reading = readJoystickState(0);
    x = std::trunc(reading.axes[kX] / 30000.0);
    y = std::trunc(reading.axes[kY] / 30000.0);
    button1 = reading.buttons[0];
    button2 = reading.buttons[1];
}

RtString joystickName(double n) {
    int slot = truncateToInt32(n);
    if (!inputState || slot < 0 || slot >= inputState->joystickCount) return RtString();
    return RtString(inputState->joystickNames[slot].c_str());
}

double joystickCount() {
    return inputState ? inputState->joystickCount : 0;
}

void joystickRumble(double n, double durationMs, double forceX, double forceY) {
    int slot = truncateToInt32(n);
    if (!inputState || slot < 0 || slot >= inputState->joystickCount) return;
    double fx = clampedForce(forceX);
    double fy = clampedForce(forceY);
    // The strength of a constant force along (fx, fy); both motors carry it,
    // as a motor pair has no direction.
    double magnitude = std::trunc((fx * fx + fy * fy) * 10000 * 0.5);
    auto strength = static_cast<uint16_t>(magnitude * 65535 / 10000);
    double ms =
        std::isnan(durationMs) ? 0 : std::clamp(std::trunc(durationMs), 0.0, kLongestRumbleMs);
    // No time is no rumble (the platform would take 0 as "for ever").
    if (ms == 0) strength = 0;
    platform::rumbleJoystick(slot, strength, strength, static_cast<uint32_t>(ms));
}

}  // namespace vorlan
