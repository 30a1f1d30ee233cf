#include "platform/mouse.h"

#include <SDL.h>

namespace vorlan::platform {

void mouseState(int& x, int& y, bool& left, bool& right) {
    x = y = 0;
    left = right = false;
    if (SDL_WasInit(SDL_INIT_EVENTS) == 0) return;
    Uint32 buttons = SDL_GetMouseState(&x, &y);
    left = (buttons & SDL_BUTTON(SDL_BUTTON_LEFT)) != 0;
    right = (buttons & SDL_BUTTON(SDL_BUTTON_RIGHT)) != 0;
}

}  // namespace vorlan::platform
