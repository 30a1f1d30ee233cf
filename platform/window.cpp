#include "platform/window.h"

#include "platform/sdl_window.h"

#include <SDL.h>
#include <malloc.h>

#include <cstring>
#include <initializer_list>

namespace vorlan::platform {

namespace {

SDL_Window* mainWindow = nullptr;
SDL_GLContext glContext = nullptr;

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
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) return false;
    // When the display cannot be opened SDL falls back to drawing off screen,
    // and the game would run with no window: only an explicit choice may.
    const char* driver = SDL_GetCurrentVideoDriver();
    bool windowless =
        driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
    if (windowless && !SDL_getenv("SDL_VIDEODRIVER")) {
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
                            SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
}

}  // namespace

bool createGLWindow(const char* title, int width, int height, int samples) {
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
    if (!window) return false;
    if (samples > 0) {
        int got = 0;
        SDL_GL_GetAttribute(SDL_GL_MULTISAMPLESAMPLES, &got);
        if (got != samples) {
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

void leaveFullscreenMode() {
    if (mainWindow) SDL_SetWindowFullscreen(mainWindow, 0);
}

void centreWindow(int width, int height) {
    if (!mainWindow) return;
    SDL_SetWindowSize(mainWindow, width, height);
    SDL_SetWindowPosition(mainWindow, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
}

void* glProcAddress(const char* name) {
    return SDL_GL_GetProcAddress(name);
}

}  // namespace vorlan::platform
