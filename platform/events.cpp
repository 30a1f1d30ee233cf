#include "platform/events.h"

#include <SDL.h>

#include "platform/keyboard.h"
#include "platform/mouse.h"

namespace vorlan::platform {

namespace {

// Keys and buttons leave what the input services need beyond SDL's own
// state: the text a key typed, clicks between two reads, wheel clicks.
void noteInput(const SDL_Event& event) {
    switch (event.type) {
        case SDL_KEYDOWN:
            noteKeyPress(event.key.keysym.scancode);
            break;
        case SDL_TEXTINPUT:
            noteTypedText(event.text.text);
            break;
        case SDL_MOUSEBUTTONDOWN:
            noteButtonPress(event.button.button);
            break;
        case SDL_MOUSEWHEEL:
            noteWheel(event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y
                                                                      : event.wheel.y);
            break;
        default:
            break;
    }
}

}  // namespace

bool inputEventsAvailable() {
    return SDL_WasInit(SDL_INIT_EVENTS) != 0;
}

void pumpEvents(WindowEventHandler handler) {
    if (SDL_WasInit(SDL_INIT_EVENTS) == 0) return;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        noteInput(event);
        if (!handler) continue;
        if (event.type == SDL_QUIT) {
            handler(WindowEvent::Close);
        } else if (event.type == SDL_KEYDOWN && event.key.repeat == 0 &&
                   (event.key.keysym.mod & KMOD_ALT) != 0 &&
                   (event.key.keysym.sym == SDLK_RETURN || event.key.keysym.sym == SDLK_KP_ENTER)) {
            handler(WindowEvent::ToggleFullscreen);
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
