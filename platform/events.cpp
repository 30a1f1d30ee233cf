#include "platform/events.h"

#include <SDL.h>

#include <string>
#include <utility>

#include "platform/joystick.h"
#include "platform/keyboard.h"
#include "platform/mouse.h"

namespace vorlan::platform {

namespace {

using Kind = InputEvent::Kind;

InputEventHandler inputHandler = nullptr;
// The text after an auto-repeated key press belongs to that repeat: a held
// key types once.
bool textOfRepeat = false;

void deliver(Kind kind, int code, int slot = 0) {
    deliverInputEvent(InputEvent{kind, code, slot});
}

void noteKey(const SDL_KeyboardEvent& key) {
    bool down = key.type == SDL_KEYDOWN;
    textOfRepeat = down && key.repeat != 0;
    int code = scanCodeOf(key.keysym.scancode);
    if (code != 0 && !textOfRepeat) deliver(down ? Kind::KeyDown : Kind::KeyUp, code);
}

void noteText(const char* utf8) {
    if (std::exchange(textOfRepeat, false)) return;
    for (char byte : latin1FromUtf8(utf8)) deliver(Kind::Character, static_cast<uint8_t>(byte));
}

void noteButton(uint8_t button) {
    int index = button == SDL_BUTTON_LEFT     ? 0
                : button == SDL_BUTTON_RIGHT  ? 1
                : button == SDL_BUTTON_MIDDLE ? 2
                                              : -1;
    if (index >= 0) deliver(Kind::MouseDown, index);
}

void noteInput(const SDL_Event& event) {
    switch (event.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            noteKey(event.key);
            break;
        case SDL_TEXTINPUT:
            noteText(event.text.text);
            break;
        case SDL_MOUSEBUTTONDOWN:
            noteButton(event.button.button);
            break;
        case SDL_MOUSEWHEEL:
            noteWheel(event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y
                                                                      : event.wheel.y);
            break;
        case SDL_JOYDEVICEADDED:
        case SDL_JOYDEVICEREMOVED:
            refreshJoysticks();
            break;
        case SDL_JOYBUTTONDOWN:
            if (int slot = joystickSlotOf(event.jbutton.which); slot >= 0) {
                deliver(Kind::JoystickDown, event.jbutton.button, slot);
            }
            break;
        case SDL_CONTROLLERBUTTONDOWN:
            if (int slot = joystickSlotOf(event.cbutton.which); slot >= 0) {
                deliver(Kind::PadDown, event.cbutton.button, slot);
            }
            break;
        default:
            break;
    }
}

}  // namespace

void setInputEventHandler(InputEventHandler handler) {
    inputHandler = handler;
}

void deliverInputEvent(const InputEvent& event) {
    if (inputHandler) inputHandler(event);
}

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
