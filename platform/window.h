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

void windowSize(int& width, int& height);
int desktopBitsPerPixel();
void showWindow();
void hideWindow();
void raiseWindow();
// Shows and raises the window and gives it the keyboard focus.
void focusWindow();
void setWindowTitle(const char* title);
void swapBuffers();

// Fullscreen at exactly width × height; false (and nothing changed) when
// the display has no such mode.
bool enterFullscreenMode(int width, int height);
void leaveFullscreenMode();
void centreWindow(int width, int height);

void* glProcAddress(const char* name);

}  // namespace vorlan::platform
