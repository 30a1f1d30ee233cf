// Joystick readings for the input operations and the idle step.
#pragma once

#include "platform/joystick.h"

namespace vorlan {

// Names keep to the 522-byte name slots games were written for.
constexpr size_t kJoystickNameBytes = 521;

// Lists or unlists the joystick in a slot, as it is plugged in or out.
void noteJoystickSlot(int slot, bool attached);
// Reads joystick n into a record; a number outside 0..9 or a slot without
// a joystick gives the centred record (axes 0, hats centred, no buttons).
platform::JoystickReading readJoystickState(int n);
// True when any listed joystick has a button down, a main axis beyond a
// tenth of its way, or its hat pushed straight up, down, left or right.
bool anyJoystickInput();
// Cut to at most `limit` bytes, never inside a UTF-8 character.
std::string cutOnCharacterBoundary(const std::string& text, size_t limit);

}  // namespace vorlan
