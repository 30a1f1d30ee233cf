#include "platform/joystick.h"

#include <SDL.h>

namespace vorlan::platform {

namespace {

SDL_Joystick* opened[kMaxJoysticks] = {};

SDL_Joystick* joystickIn(int slot) {
    if (slot < 0 || slot >= kMaxJoysticks) return nullptr;
    return opened[slot];
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

int openJoysticks(int limit) {
    closeJoysticks();
    if (SDL_WasInit(SDL_INIT_JOYSTICK) == 0 && SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) return 0;
    int count = 0;
    int attached = SDL_NumJoysticks();
    for (int index = 0; index < attached && count < limit && count < kMaxJoysticks; ++index) {
        if (SDL_Joystick* joystick = SDL_JoystickOpen(index)) opened[count++] = joystick;
    }
    return count;
}

void closeJoysticks() {
    for (SDL_Joystick*& joystick : opened) {
        if (joystick) SDL_JoystickClose(joystick);
        joystick = nullptr;
    }
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

bool rumbleJoystick(int slot, uint16_t lowFrequency, uint16_t highFrequency, uint32_t ms) {
    SDL_Joystick* joystick = joystickIn(slot);
    if (!joystick || !SDL_JoystickHasRumble(joystick)) return false;
    return SDL_JoystickRumble(joystick, lowFrequency, highFrequency, ms) == 0;
}

}  // namespace vorlan::platform
