#include "platform/events.h"

#include <SDL.h>

namespace vorlan::platform {

void pumpEvents(WindowEventHandler handler) {
    if (SDL_WasInit(SDL_INIT_EVENTS) == 0) return;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (!handler) continue;
        if (event.type == SDL_QUIT) {
            handler(WindowEvent::Close);
        } else if (event.type == SDL_WINDOWEVENT) {
            switch (event.window.event) {
                case SDL_WINDOWEVENT_FOCUS_LOST:
                    handler(WindowEvent::FocusLost);
                    break;
                case SDL_WINDOWEVENT_FOCUS_GAINED:
                    handler(WindowEvent::FocusGained);
                    break;
                case SDL_WINDOWEVENT_CLOSE:
                    handler(WindowEvent::Close);
                    break;
                default:
                    break;
            }
        }
    }
}

}  // namespace vorlan::platform
