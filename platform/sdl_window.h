// The SDL handle of the main window, for the other platform services.
#pragma once

#include <SDL.h>

namespace vorlan::platform {

// Null while there is no main window.
SDL_Window* sdlMainWindow();

}  // namespace vorlan::platform
