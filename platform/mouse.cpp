#include "platform/mouse.h"

#include <SDL_syswm.h>
#include <X11/Xlib.h>

#include "platform/sdl_window.h"

namespace vorlan::platform {

namespace {

int wheelClicks = 0;

bool eventsUp() {
    return SDL_WasInit(SDL_INIT_EVENTS) != 0;
}

SDL_Window* mainWindow() {
    return eventsUp() ? sdlMainWindow() : nullptr;
}

MouseButtons fromMask(Uint32 mask) {
    MouseButtons held;
    held.left = (mask & SDL_BUTTON(SDL_BUTTON_LEFT)) != 0;
    held.right = (mask & SDL_BUTTON(SDL_BUTTON_RIGHT)) != 0;
    held.middle = (mask & SDL_BUTTON(SDL_BUTTON_MIDDLE)) != 0;
    return held;
}

// SDL keeps the pointer's screen position from its last look and only
// looks again after certain events, so outside the window it goes stale:
// on X the server is asked directly.
struct PointerQuery {
    bool answered = false;
    int screenX = 0;
    int screenY = 0;
    int windowX = 0;
    int windowY = 0;
    unsigned int buttons = 0;
};

PointerQuery queryX() {
    PointerQuery query;
    SDL_Window* window = mainWindow();
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) {
        return query;
    }
    Window root = 0;
    Window child = 0;
    query.answered =
        XQueryPointer(info.info.x11.display, info.info.x11.window, &root, &child, &query.screenX,
                      &query.screenY, &query.windowX, &query.windowY, &query.buttons) != False;
    return query;
}

}  // namespace

void pointerOnScreen(int& x, int& y) {
    x = y = 0;
    PointerQuery query = queryX();
    if (query.answered) {
        x = query.screenX;
        y = query.screenY;
    } else if (eventsUp()) {
        SDL_GetGlobalMouseState(&x, &y);
    }
}

void pointerInWindow(int& x, int& y) {
    PointerQuery query = queryX();
    if (query.answered) {
        x = query.windowX;
        y = query.windowY;
        return;
    }
    pointerOnScreen(x, y);
    int left = 0;
    int top = 0;
    if (SDL_Window* window = mainWindow()) SDL_GetWindowPosition(window, &left, &top);
    x -= left;
    y -= top;
}

void movePointerOnScreen(int x, int y) {
    if (eventsUp()) SDL_WarpMouseGlobal(x, y);
}

void movePointerInWindow(int x, int y) {
    if (SDL_Window* window = mainWindow()) SDL_WarpMouseInWindow(window, x, y);
}

MouseButtons systemButtons() {
    if (!eventsUp()) return MouseButtons{};
    PointerQuery query = queryX();
    if (!query.answered) {
        return fromMask(SDL_GetGlobalMouseState(nullptr, nullptr));
    }
    MouseButtons held;
    held.left = (query.buttons & Button1Mask) != 0;
    held.right = (query.buttons & Button3Mask) != 0;
    held.middle = (query.buttons & Button2Mask) != 0;
    return held;
}

MouseButtons deviceButtons() {
    if (!eventsUp()) return MouseButtons{};
    return fromMask(SDL_GetMouseState(nullptr, nullptr));
}

bool setRelativeMode(bool on) {
    if (!eventsUp()) return false;
    bool ok = SDL_SetRelativeMouseMode(on ? SDL_TRUE : SDL_FALSE) == 0;
    // Movement from before the switch belongs to the other mode.
    SDL_GetRelativeMouseState(nullptr, nullptr);
    return ok;
}

void relativeMotion(int& dx, int& dy) {
    dx = dy = 0;
    if (eventsUp()) SDL_GetRelativeMouseState(&dx, &dy);
}

int takeWheelClicks() {
    int clicks = wheelClicks;
    wheelClicks = 0;
    return clicks;
}

void showArrowCursor() {
    if (!eventsUp()) return;
    static SDL_Cursor* arrow = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW);
    if (arrow) SDL_SetCursor(arrow);
    SDL_ShowCursor(SDL_ENABLE);
}

void noteWheel(int clicks) {
    wheelClicks += clicks;
}

}  // namespace vorlan::platform
