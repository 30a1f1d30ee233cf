#include "platform/typed_input.h"

#include <SDL.h>

namespace vorlan::platform {

namespace {

bool wasDown[SDL_NUM_SCANCODES] = {};

bool typesCharacter(SDL_Scancode code) {
    SDL_Keycode key = SDL_GetKeyFromScancode(code);
    return key == SDLK_BACKSPACE || key == SDLK_RETURN || (key >= 32 && key < 127);
}

}  // namespace

bool characterTypedOrButtonHeld() {
    if (SDL_WasInit(SDL_INIT_EVENTS) == 0) return false;
    int count = 0;
    const Uint8* keys = SDL_GetKeyboardState(&count);
    bool typed = false;
    for (int i = 0; i < count && i < SDL_NUM_SCANCODES; ++i) {
        bool down = keys[i] != 0;
        if (down && !wasDown[i] && typesCharacter(static_cast<SDL_Scancode>(i))) typed = true;
        wasDown[i] = down;
    }
    Uint32 buttons = SDL_GetMouseState(nullptr, nullptr);
    return typed || (buttons & (SDL_BUTTON_LMASK | SDL_BUTTON_RMASK | SDL_BUTTON_MMASK)) != 0;
}

}  // namespace vorlan::platform
