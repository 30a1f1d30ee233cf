#include "platform/joystick.h"

#include <SDL.h>

#include <utility>

#include "platform/events.h"

namespace vorlan::platform {

namespace {

// A joystick, and its pad mapping when SDL's mapping database (or the
// SDL_GAMECONTROLLERCONFIG the user set) knows it.
struct Slot {
    SDL_Joystick* joystick = nullptr;
    SDL_GameController* pad = nullptr;
    SDL_JoystickID id = -1;
};

Slot slots[kMaxJoysticks];
bool started = false;

SDL_Joystick* joystickIn(int slot) {
    if (slot < 0 || slot >= kMaxJoysticks) return nullptr;
    return slots[slot].joystick;
}

SDL_GameController* padIn(int slot) {
    return joystickIn(slot) ? slots[slot].pad : nullptr;
}

void release(Slot& slot) {
    if (slot.pad) {
        SDL_GameControllerClose(slot.pad);
    } else if (slot.joystick) {
        SDL_JoystickClose(slot.joystick);
    }
    slot = Slot{};
}

void announce(InputEvent::Kind kind, int slot) {
    deliverInputEvent(InputEvent{kind, 0, slot});
}

// Opens the device into the slot; a device that fails stays out until the
// next refresh.
void open(int deviceIndex, int n) {
    Slot& slot = slots[n];
    if (SDL_IsGameController(deviceIndex)) {
        slot.pad = SDL_GameControllerOpen(deviceIndex);
        slot.joystick = slot.pad ? SDL_GameControllerGetJoystick(slot.pad) : nullptr;
    }
    if (!slot.joystick) slot.joystick = SDL_JoystickOpen(deviceIndex);
    if (!slot.joystick) return;
    slot.id = SDL_JoystickInstanceID(slot.joystick);
    announce(InputEvent::Kind::JoystickAdded, n);
}

int freeSlot() {
    for (int n = 0; n < kMaxJoysticks; ++n) {
        if (!slots[n].joystick) return n;
    }
    return -1;
}

uint32_t hatDirection(Uint8 hat) {
    switch (hat) {
        case SDL_HAT_UP:
            return 0;
        case SDL_HAT_RIGHTUP:
            return 4500;
        case SDL_HAT_RIGHT:
            return 9000;
        case SDL_HAT_RIGHTDOWN:
            return 13500;
        case SDL_HAT_DOWN:
            return 18000;
        case SDL_HAT_LEFTDOWN:
            return 22500;
        case SDL_HAT_LEFT:
            return 27000;
        case SDL_HAT_LEFTUP:
            return 31500;
        default:
            return kHatCentred;
    }
}

}  // namespace

void startJoysticks() {
    closeJoysticks();
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) return;
    started = true;
    refreshJoysticks();
}

void closeJoysticks() {
    for (Slot& slot : slots) release(slot);
    if (std::exchange(started, false)) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

void refreshJoysticks() {
    if (!started) return;
    for (int n = 0; n < kMaxJoysticks; ++n) {
        if (slots[n].joystick && !SDL_JoystickGetAttached(slots[n].joystick)) {
            release(slots[n]);
            announce(InputEvent::Kind::JoystickRemoved, n);
        }
    }
    int attached = SDL_NumJoysticks();
    for (int index = 0; index < attached; ++index) {
        if (joystickSlotOf(SDL_JoystickGetDeviceInstanceID(index)) >= 0) continue;
        int n = freeSlot();
        if (n < 0) return;
        open(index, n);
    }
}

int joystickSlotOf(int32_t instanceId) {
    for (int n = 0; n < kMaxJoysticks; ++n) {
        if (slots[n].joystick && slots[n].id == instanceId) return n;
    }
    return -1;
}

bool readJoystick(int slot, JoystickReading& reading) {
    SDL_Joystick* joystick = joystickIn(slot);
    if (!joystick) return false;
    SDL_JoystickUpdate();
    reading = JoystickReading{};
    int axes = SDL_JoystickNumAxes(joystick);
    for (int i = 0; i < axes && i < 8; ++i) {
        Sint16 value = SDL_JoystickGetAxis(joystick, i);
        if (i < 6) {
            reading.axes[i] = value;
        } else {
            reading.sliders[i - 6] = value;
        }
    }
    int hats = SDL_JoystickNumHats(joystick);
    for (int i = 0; i < hats && i < 4; ++i)
        reading.hats[i] = hatDirection(SDL_JoystickGetHat(joystick, i));
    int buttons = SDL_JoystickNumButtons(joystick);
    for (int i = 0; i < buttons && i < 32; ++i) {
        reading.buttons[i] = SDL_JoystickGetButton(joystick, i) ? 0x80 : 0;
    }
    return true;
}

std::string joystickName(int slot) {
    SDL_Joystick* joystick = joystickIn(slot);
    const char* name = joystick ? SDL_JoystickName(joystick) : nullptr;
    return name ? name : "";
}

bool joystickButtonHeld(int slot, int button) {
    SDL_Joystick* joystick = joystickIn(slot);
    if (!joystick || button < 0 || button >= SDL_JoystickNumButtons(joystick)) return false;
    SDL_JoystickUpdate();
    return SDL_JoystickGetButton(joystick, button) != 0;
}

bool padButtonHeld(int slot, int button) {
    SDL_GameController* pad = padIn(slot);
    if (!pad || button < 0 || button >= SDL_CONTROLLER_BUTTON_MAX) return false;
    SDL_JoystickUpdate();
    return SDL_GameControllerGetButton(pad, static_cast<SDL_GameControllerButton>(button)) != 0;
}

int padAxis(int slot, int axis) {
    SDL_GameController* pad = padIn(slot);
    if (!pad || axis < 0 || axis >= SDL_CONTROLLER_AXIS_MAX) return 0;
    SDL_JoystickUpdate();
    return SDL_GameControllerGetAxis(pad, static_cast<SDL_GameControllerAxis>(axis));
}

bool rumbleJoystick(int slot, uint16_t lowFrequency, uint16_t highFrequency, uint32_t ms) {
    SDL_Joystick* joystick = joystickIn(slot);
    if (!joystick || !SDL_JoystickHasRumble(joystick)) return false;
    return SDL_JoystickRumble(joystick, lowFrequency, highFrequency, ms) == 0;
}

}  // namespace vorlan::platform
