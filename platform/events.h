// The window's event queue.
#pragma once

#include <cstdint>

namespace vorlan::platform {

// ToggleFullscreen: Alt+Enter was pressed (not a key repeat).
enum class WindowEvent { FocusLost, FocusGained, Close, ToggleFullscreen };

using WindowEventHandler = void (*)(WindowEvent);

// What the keyboard, the mouse and the joysticks did, one step at a time
// and in the order it happened, so that a press and release between two
// reads is still seen.
struct InputEvent {
    enum class Kind : uint8_t {
        KeyDown,          // code: the key's scan code; auto-repeat is left out
        KeyUp,            // code: the key's scan code
        Character,        // code: the Latin-1 byte a key typed
        MouseDown,        // code: 0 left, 1 right, 2 middle
        JoystickDown,     // code: the button; slot: the joystick
        PadDown,          // code: the standard pad button; slot: the joystick
        JoystickAdded,    // slot: the joystick
        JoystickRemoved,  // slot: the joystick
    };
    Kind kind = Kind::KeyDown;
    int code = 0;
    int slot = 0;
};

using InputEventHandler = void (*)(const InputEvent&);

// Where input events go from now on; null drops them.
void setInputEventHandler(InputEventHandler handler);
// Hands an input event to the handler (for the platform's own services).
void deliverInputEvent(const InputEvent& event);

// Dispatches every pending event: window events to the handler, input
// events to the input event handler.
void pumpEvents(WindowEventHandler handler);
// True once the window system delivers keyboard and mouse events.
bool inputEventsAvailable();

}  // namespace vorlan::platform
