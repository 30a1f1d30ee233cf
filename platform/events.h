// The window's event queue.
#pragma once

namespace vorlan::platform {

// ToggleFullscreen: Alt+Enter was pressed (not a key repeat).
enum class WindowEvent { FocusLost, FocusGained, Close, ToggleFullscreen };

using WindowEventHandler = void (*)(WindowEvent);

// Dispatches every pending event. Keyboard and mouse events only update
// SDL's own state (read through the keyboard and mouse services); window
// events go to the handler.
void pumpEvents(WindowEventHandler handler);
// True once the window system delivers keyboard and mouse events.
bool inputEventsAvailable();

}  // namespace vorlan::platform
