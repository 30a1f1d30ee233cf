#include "input/joystick.h"

#include <vorlan/input.h>

#include <algorithm>
#include <cmath>

#include "core/event_pump.h"
#include "input/input_events.h"
#include "input/input_state.h"
#include "value/number_conversion.h"

namespace vorlan {

namespace {

enum Axis { kX, kY, kZ, kRX, kRY, kRZ };

bool listed(int slot) {
    return inputState && slot >= 0 && slot < platform::kMaxJoysticks &&
           inputState->joystickListed[slot];
}

// Events first: a joystick plugged in or out, and the presses since the
// last read.
platform::JoystickReading readJoystickNumber(double n) {
    pumpMessages();
    return readJoystickState(truncateToInt32(n));
}

// Held, or pressed and released since the last read of this button.
double buttonRead(bool held, bool pressed) {
    return held || pressed ? 1.0 : 0.0;
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

void noteJoystickSlot(int slot, bool attached) {
    if (!inputState || slot < 0 || slot >= platform::kMaxJoysticks) return;
    InputState& state = *inputState;
    if (state.joystickListed[slot] == attached) return;
    state.joystickListed[slot] = attached;
    state.joystickCount += attached ? 1 : -1;
    state.joystickNames[slot] =
        attached ? cutOnCharacterBoundary(platform::joystickName(slot), kJoystickNameBytes) : "";
}

platform::JoystickReading readJoystickState(int n) {
    platform::JoystickReading reading;
    if (!listed(n)) return reading;
    if (!platform::readJoystick(n, reading)) reading = platform::JoystickReading{};
    return reading;
}

bool anyJoystickInput() {
    if (!inputState) return false;
    for (int n = platform::kMaxJoysticks - 1; n >= 0; --n) {
        if (!listed(n)) continue;
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
    platform::JoystickReading reading = readJoystickNumber(0);
    x = std::trunc(reading.axes[kX] / 30000.0);
    y = std::trunc(reading.axes[kY] / 30000.0);
    // A press released before this read still reads as pressed, once.
    button1 = 128 * buttonRead(reading.buttons[0] != 0, takeJoystickPress(0, 0));
    button2 = 128 * buttonRead(reading.buttons[1] != 0, takeJoystickPress(0, 1));
}

double joystickButton(double n, double b) {
    pumpMessages();
    int slot = truncateToInt32(n);
    int button = truncateToInt32(b);
    if (!listed(slot)) return 0;
    bool pressed = takeJoystickPress(slot, button);
    return buttonRead(platform::joystickButtonHeld(slot, button), pressed);
}

double padButton(double n, double b) {
    pumpMessages();
    int slot = truncateToInt32(n);
    int button = truncateToInt32(b);
    if (!listed(slot)) return 0;
    bool pressed = takePadPress(slot, button);
    return buttonRead(platform::padButtonHeld(slot, button), pressed);
}

double padAxis(double n, double axis) {
    pumpMessages();
    int slot = truncateToInt32(n);
    if (!listed(slot)) return 0;
    return std::clamp(platform::padAxis(slot, truncateToInt32(axis)) / 32767.0, -1.0, 1.0);
}

RtString joystickName(double n) {
    pumpMessages();
    int slot = truncateToInt32(n);
    if (!listed(slot)) return RtString();
    return RtString(inputState->joystickNames[slot].c_str());
}

double joystickCount() {
    pumpMessages();
    return inputState ? inputState->joystickCount : 0;
}

void joystickRumble(double n, double durationMs, double forceX, double forceY) {
    int slot = truncateToInt32(n);
    if (!listed(slot)) return;
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
