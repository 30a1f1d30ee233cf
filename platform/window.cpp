#include "platform/window.h"

#include "platform/sdl_window.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <malloc.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

namespace vorlan::platform {

namespace {

SDL_Window* mainWindow = nullptr;
SDL_GLContext glContext = nullptr;
std::string failure;

// Why no display could be opened, for a person.
std::string noDisplayCause() {
    const char* display = SDL_getenv("DISPLAY");
    if (display && *display) return std::string("cannot connect to the display ") + display;
    return std::string("no display (") + SDL_GetError() + ")";
}

// Set while the window covers its display by itself (no window manager to
// make it fullscreen); the rect it had before.
bool coveringDisplay = false;
SDL_Rect rectBeforeCover{};

// The software rasterizer builds each frame in fresh heap blocks (a copy of
// its whole fragment state for every texture change) and frees them after
// the frame. Given back to the kernel every time, they come back as page
// faults, which cost more than the drawing on some machines: keep them.
void keepFreedMemory() {
    static bool done = false;
    if (done) return;
    done = true;
    mallopt(M_MMAP_THRESHOLD, 8 << 20);
    mallopt(M_TRIM_THRESHOLD, 128 << 20);
}

bool ensureVideo() {
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) return true;
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "0");
    // The window's own surface (showPixels) must come from the window
    // system: made through SDL's renderer it would take the game's context.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // Without a Wayland display only X can give a window: trying the others
    // would only add their complaints to the terminal.
    if (!SDL_getenv("WAYLAND_DISPLAY") && !SDL_getenv("SDL_VIDEODRIVER")) {
        const char* display = SDL_getenv("DISPLAY");
        if (!display || !*display) {
            failure = "no display (DISPLAY is not set)";
            return false;
        }
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    }
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        failure = noDisplayCause();
        return false;
    }
    // When the display cannot be opened SDL falls back to drawing off screen,
    // and the game would run with no window: only an explicit choice may.
    const char* driver = SDL_GetCurrentVideoDriver();
    bool windowless =
        driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
    if (windowless && !SDL_getenv("SDL_VIDEODRIVER")) {
        failure = noDisplayCause();
        SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
        return false;
    }
    return true;
}

void setAttributes(int samples, bool alpha) {
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, alpha ? 8 : 0);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, samples > 0 ? 1 : 0);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, samples > 0 ? samples : 0);
}

SDL_Window* makeWindow(const char* title, int width, int height) {
    return SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                            SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI);
}

// Fullscreen on X is a request to the window manager; with none running
// (a bare X server, a test display) nobody would act on it.
bool windowManagerRuns() {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(mainWindow, &info) || info.subsystem != SDL_SYSWM_X11) return true;
    Display* display = info.info.x11.display;
    Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
    if (check == None) return false;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    int status = XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False,
                                    XA_WINDOW, &type, &format, &count, &after, &data);
    bool found = status == Success && data && count == 1;
    if (data) XFree(data);
    return found;
}

}  // namespace

const std::string& windowFailure() {
    return failure;
}

bool createGLWindow(const char* title, int width, int height, int samples) {
    failure.clear();
    if (!ensureVideo()) return false;
    keepFreedMemory();
    if (samples > 0 && glContext) {
        // A context of a plain format does not fit a multisampled one.
        SDL_GL_DeleteContext(glContext);
        glContext = nullptr;
    }
    SDL_Window* window = nullptr;
    // Destination alpha only with multisampling, as the plain format has
    // none; the other choice is the fallback.
    bool multisampled = samples > 0;
    for (bool alpha : {multisampled, !multisampled}) {
        setAttributes(samples, alpha);
        window = makeWindow(title, width, height);
        if (!window) continue;
        if (!glContext) {
            glContext = SDL_GL_CreateContext(window);
        }
        if (glContext && SDL_GL_MakeCurrent(window, glContext) != 0) {
            // The kept context does not fit this window: start a new one.
            SDL_GL_DeleteContext(glContext);
            glContext = SDL_GL_CreateContext(window);
        }
        if (glContext) break;
        SDL_DestroyWindow(window);
        window = nullptr;
    }
    if (!window) {
        failure = std::string("no OpenGL window (") + SDL_GetError() + ")";
        return false;
    }
    if (samples > 0) {
        int got = 0;
        SDL_GL_GetAttribute(SDL_GL_MULTISAMPLESAMPLES, &got);
        if (got != samples) {
            failure = "no OpenGL window with " + std::to_string(samples) + " samples per pixel";
            SDL_DestroyWindow(window);
            return false;
        }
    }
    mainWindow = window;
    SDL_GL_SetSwapInterval(0);  // the runtime paces frames itself
    SDL_DisableScreenSaver();
    return true;
}

void destroyGLWindow(bool releaseContext) {
    coveringDisplay = false;
    if (mainWindow) SDL_GL_MakeCurrent(mainWindow, nullptr);
    if (releaseContext && glContext) {
        SDL_GL_DeleteContext(glContext);
        glContext = nullptr;
    }
    if (mainWindow) {
        SDL_DestroyWindow(mainWindow);
        mainWindow = nullptr;
    }
    // SDL's video stays up for the life of the process: shutting it down
    // would unload the OpenGL driver, and a new window after that (tests,
    // a game restarting its surface) would pay for loading it again.
}

SDL_Window* sdlMainWindow() {
    return mainWindow;
}

void focusWindow() {
    if (!mainWindow) return;
    SDL_ShowWindow(mainWindow);
    SDL_RaiseWindow(mainWindow);
    SDL_SetWindowInputFocus(mainWindow);
}

bool windowExists() {
    return mainWindow != nullptr;
}

void windowSize(int& width, int& height) {
    width = height = 0;
    if (mainWindow) SDL_GetWindowSize(mainWindow, &width, &height);
}

void drawableSize(int& width, int& height) {
    width = height = 0;
    if (mainWindow) SDL_GL_GetDrawableSize(mainWindow, &width, &height);
}

int desktopBitsPerPixel() {
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return 24;
    return static_cast<int>(SDL_BITSPERPIXEL(mode.format));
}

void showWindow() {
    if (mainWindow) SDL_ShowWindow(mainWindow);
}

void hideWindow() {
    if (mainWindow) SDL_HideWindow(mainWindow);
}

void raiseWindow() {
    if (mainWindow) SDL_RaiseWindow(mainWindow);
}

void setWindowTitle(const char* title) {
    if (mainWindow) SDL_SetWindowTitle(mainWindow, title);
}

void swapBuffers() {
    if (mainWindow) SDL_GL_SwapWindow(mainWindow);
}

bool enterFullscreenMode(int width, int height) {
    if (!mainWindow) return false;
    int display = SDL_GetWindowDisplayIndex(mainWindow);
    if (display < 0) return false;
    SDL_DisplayMode wanted{};
    wanted.w = width;
    wanted.h = height;
    SDL_DisplayMode closest;
    if (!SDL_GetClosestDisplayMode(display, &wanted, &closest)) return false;
    if (closest.w != width || closest.h != height) return false;
    if (SDL_SetWindowDisplayMode(mainWindow, &closest) != 0) return false;
    return SDL_SetWindowFullscreen(mainWindow, SDL_WINDOW_FULLSCREEN) == 0;
}

bool enterDesktopFullscreen() {
    if (!mainWindow) return false;
    if (coveringDisplay) return true;
    if (windowManagerRuns()) {
        return SDL_SetWindowFullscreen(mainWindow, SDL_WINDOW_FULLSCREEN_DESKTOP) == 0;
    }
    int display = SDL_GetWindowDisplayIndex(mainWindow);
    SDL_Rect bounds;
    if (display < 0 || SDL_GetDisplayBounds(display, &bounds) != 0) return false;
    SDL_GetWindowPosition(mainWindow, &rectBeforeCover.x, &rectBeforeCover.y);
    SDL_GetWindowSize(mainWindow, &rectBeforeCover.w, &rectBeforeCover.h);
    SDL_SetWindowPosition(mainWindow, bounds.x, bounds.y);
    SDL_SetWindowSize(mainWindow, bounds.w, bounds.h);
    SDL_RaiseWindow(mainWindow);
    coveringDisplay = true;
    return true;
}

void leaveFullscreenMode() {
    if (!mainWindow) return;
    if (coveringDisplay) {
        coveringDisplay = false;
        SDL_SetWindowSize(mainWindow, rectBeforeCover.w, rectBeforeCover.h);
        SDL_SetWindowPosition(mainWindow, rectBeforeCover.x, rectBeforeCover.y);
        return;
    }
    SDL_SetWindowFullscreen(mainWindow, 0);
}

ScreenRect usableDesktopArea() {
    SDL_Rect area{};
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0 || SDL_GetDisplayUsableBounds(0, &area) != 0) return {};
    return {area.x, area.y, area.w, area.h};
}

void setWindowRect(const ScreenRect& rect) {
    if (!mainWindow) return;
    SDL_SetWindowSize(mainWindow, rect.width, rect.height);
    SDL_SetWindowPosition(mainWindow, rect.x, rect.y);
}

void setWindowResizable(bool resizable) {
    if (mainWindow) SDL_SetWindowResizable(mainWindow, resizable ? SDL_TRUE : SDL_FALSE);
}

bool showPixels(const uint8_t* pixels, int width, int height, const ScreenRect& picture) {
    if (!mainWindow || !pixels || width <= 0 || height <= 0 || picture.width <= 0 ||
        picture.height <= 0 || SDL_BYTEORDER != SDL_LIL_ENDIAN) {
        return false;
    }
    SDL_Surface* surface = SDL_GetWindowSurface(mainWindow);
    if (!surface) return false;
    // B, G, R, A bytes read as one little-endian word are ARGB.
    Uint32 format = surface->format->format;
    if (format != SDL_PIXELFORMAT_RGB888 && format != SDL_PIXELFORMAT_ARGB8888) return false;
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return false;
    const Uint32 black = format == SDL_PIXELFORMAT_ARGB8888 ? 0xFF000000u : 0u;
    const int left = std::clamp(picture.x, 0, surface->w);
    const int right = std::clamp(picture.x + picture.width, left, surface->w);
    static std::vector<int> sourceColumn;
    sourceColumn.resize(static_cast<size_t>(right - left));
    for (int x = left; x < right; ++x) {
        sourceColumn[x - left] = static_cast<int>(int64_t{x - picture.x} * width / picture.width);
    }
    auto* base = static_cast<uint8_t*>(surface->pixels);
    const auto* source = reinterpret_cast<const Uint32*>(pixels);
    int lastSourceRow = -1;
    for (int y = 0; y < surface->h; ++y) {
        auto* row = reinterpret_cast<Uint32*>(base + static_cast<size_t>(y) * surface->pitch);
        if (y < picture.y || y >= picture.y + picture.height) {
            std::fill(row, row + surface->w, black);
            lastSourceRow = -1;
            continue;
        }
        int sourceRow = static_cast<int>(int64_t{y - picture.y} * height / picture.height);
        if (sourceRow == lastSourceRow) {
            // Every surface row shows on several window rows at once.
            std::memcpy(row, base + static_cast<size_t>(y - 1) * surface->pitch,
                        static_cast<size_t>(surface->w) * 4);
            continue;
        }
        lastSourceRow = sourceRow;
        const Uint32* from = source + static_cast<size_t>(height - 1 - sourceRow) * width;
        std::fill(row, row + left, black);
        for (int x = left; x < right; ++x) row[x] = from[sourceColumn[x - left]] | black;
        std::fill(row + right, row + surface->w, black);
    }
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    return SDL_UpdateWindowSurface(mainWindow) == 0;
}

void* glProcAddress(const char* name) {
    return SDL_GL_GetProcAddress(name);
}

}  // namespace vorlan::platform
