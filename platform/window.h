// The main window with its OpenGL 1.x compatibility context, on SDL2.
#pragma once

#include <cstdint>
#include <string>

namespace vorlan::platform {

// Creates the hidden main window and an OpenGL context with a double
// buffer, 24 depth and 8 stencil bits; 8 alpha bits are asked for only
// with multisampling.
// samples > 0 asks for a multisampled format; the call fails when the
// driver cannot give exactly that. A context already made is reused.
bool createGLWindow(const char* title, int width, int height, int samples);
// Why the last createGLWindow failed, for a person ("no display (DISPLAY is
// not set)"); "" after a success.
const std::string& windowFailure();
// Destroys the window; the context is kept for the next window unless
// releaseContext is set.
void destroyGLWindow(bool releaseContext);
bool windowExists();

// The window's size in screen units, and the size of its drawing area in
// pixels (larger on HiDPI displays).
void windowSize(int& width, int& height);
void drawableSize(int& width, int& height);
int desktopBitsPerPixel();
void showWindow();
void hideWindow();
void raiseWindow();
// Shows and raises the window and gives it the keyboard focus.
void focusWindow();
void setWindowTitle(const char* title);
void swapBuffers();

struct ScreenRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The first display's area that windows may use: panels and task bars
// excluded. Empty when there is no display.
ScreenRect usableDesktopArea();
// Places and sizes the window, in screen units.
void setWindowRect(const ScreenRect& rect);
void setWindowResizable(bool resizable);

// Shows a picture through the window system instead of OpenGL: `pixels`
// are B, G, R, A bytes, width x height, bottom row first, scaled (nearest)
// into `picture` (pixels from the window's top-left) with black around it.
// False, with nothing shown, when the window has no surface of 32-bit
// pixels for it.
bool showPixels(const uint8_t* pixels, int width, int height, const ScreenRect& picture);

// Fullscreen at exactly width × height; false (and nothing changed) when
// the display has no such mode.
bool enterFullscreenMode(int width, int height);
// Fullscreen on the desktop's own mode: the window covers its display.
bool enterDesktopFullscreen();
// Back to the window as it was, from either kind of fullscreen.
void leaveFullscreenMode();

void* glProcAddress(const char* name);

}  // namespace vorlan::platform
