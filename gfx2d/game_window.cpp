#include "gfx2d/game_window.h"

#include <GL/gl.h>

#include <initializer_list>

#include "core/errors.h"
#include "gfx2d/draw_state.h"
#include "gfx2d/gl_extensions.h"
#include "gfx2d/sprite_store.h"
#include "gfx2d/tile_sets.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "platform/window.h"

namespace vorlan {

GameWindow* gameWindow = nullptr;

namespace {

bool softwareWarningShown = false;

constexpr const char* kSoftwareCaption = "!!OpenGL Software Emulation!!";
constexpr const char* kSoftwareText =
    "Please update your GFX adapter's driver\nso it can render OpenGL by HARDWARE\n\n\n"
    "Bitte aktualisieren Sie Ihren\nGrafkkartentreiber, damit er OpenGL\n"
    "per HARDWARE unterst\xC3\xBCtzt!";

void warnIfSoftware() {
    if (softwareWarningShown) return;
    const char* name = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    if (!isSoftwareRenderer(name)) return;
    softwareWarningShown = true;
    platform::showWarningBox(kSoftwareCaption, kSoftwareText);
    appendErrorLog("OpenGL Software Emulation");
}

// Tries the multisampled formats from the asked count down by halving
// (8, 4, 2, 1); the first the driver gives wins. SDL picks the format from
// attributes before any context exists, so no plain window has to be made
// first to ask the driver. Returns the count, or 0 with no window made.
int createMultisampleWindow(int width, int height, int samples) {
    for (int s = samples; s > 0; s /= 2) {
        if (platform::createGLWindow("CVorlan", width, height, s)) return s;
    }
    return 0;
}

}  // namespace

GameWindow::GameWindow() = default;

GameWindow::~GameWindow() {
    destroySurface();
    platform::destroyGLWindow(true);
}

bool GameWindow::createSurface(int32_t width, int32_t height, int32_t bpp, int32_t samples) {
    multisampleSamples = samples > 0 ? createMultisampleWindow(width, height, samples) : 0;
    if (multisampleSamples == 0 && !platform::createGLWindow("CVorlan", width, height, 0)) {
        return false;
    }

    int createdWidth = 0;
    int createdHeight = 0;
    platform::windowSize(createdWidth, createdHeight);
    if (bpp == 0) bpp = platform::desktopBitsPerPixel();
    if (width == 0 || height == 0) {
        width = createdWidth;
        height = createdHeight;
    }
    fullscreen = false;
    bitsPerPixel = bpp;
    screenWidth = width;
    screenHeight = height;

    warnIfSoftware();
    windowOpen = true;
    loadExtensionEntryPoints();
    platform::showWindow();
    setup2D(0, 0, 0, 0);
    contextReady = true;
    return true;
}

void GameWindow::setup2D(int32_t x, int32_t y, int32_t width, int32_t height) {
    // Queued quads belong to the old state; the texture enable changes.
    flushQuads();
    forgetTextureBinding();
    if (width <= 0 || height <= 0) {
        x = 0;
        y = 0;
        width = screenWidth;
        height = screenHeight;
    }
    viewport = {x, y, width, height};
    glViewport(x, screenHeight - height - y, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, width, height, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    glEnable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CCW);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.15f);

    glColor4f(1, 1, 1, 1);
    glClearColor(0, 0, 0, 1);
    glShadeModel(GL_FLAT);

    for (GLenum cap :
         {GL_DITHER, GL_FOG, GL_LINE_SMOOTH, GL_POINT_SMOOTH, GL_POLYGON_SMOOTH, GL_STENCIL_TEST,
          GL_POLYGON_OFFSET_POINT, GL_COLOR_MATERIAL, GL_AUTO_NORMAL, GL_NORMALIZE, GL_LIGHTING}) {
        glDisable(cap);
    }
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_FASTEST);
    glHint(GL_POLYGON_SMOOTH_HINT, GL_FASTEST);
}

bool GameWindow::enterFullscreen() {
    if (!platform::enterFullscreenMode(screenWidth, screenHeight)) {
        platform::beep();
        appendErrorLog("No Fullscreen Mode available");
        leaveFullscreen();
        return false;
    }
    // The window and its context stay, so every texture survives the switch.
    platform::showWindow();
    platform::raiseWindow();
    setup2D(0, 0, 0, 0);
    fullscreen = true;
    return true;
}

bool GameWindow::leaveFullscreen() {
    if (fullscreen) {
        platform::leaveFullscreenMode();
        // Give the display time to settle back into the desktop mode.
        platform::sleepMs(500);
        platform::centreWindow(screenWidth, screenHeight);
    }
    platform::showWindow();
    platform::raiseWindow();
    setup2D(0, 0, 0, 0);
    fullscreen = false;
    return true;
}

bool GameWindow::hideSurface() {
    if (fullscreen) platform::leaveFullscreenMode();
    platform::hideWindow();
    fullscreen = false;
    return true;
}

void GameWindow::setScreenMode(int32_t width, int32_t height, int32_t bpp, bool full) {
    if (width != 0) screenWidth = width;
    if (height != 0) screenHeight = height;
    if (bpp != 0) bitsPerPixel = bpp;
    if (!fullscreen) platform::centreWindow(screenWidth, screenHeight);
    if (full) {
        enterFullscreen();
    } else {
        leaveFullscreen();
    }
}

void GameWindow::destroySurface() {
    if (!windowOpen) return;
    // Texture names die with the context: free them while it is current.
    flushQuads();
    resetSpriteStore();
    freeAllTileSets();
    discardQuads();
    contextReady = false;
    if (fullscreen) platform::leaveFullscreenMode();
    fullscreen = false;
    platform::destroyGLWindow(false);
    windowOpen = false;
    screenWidth = 0;
    screenHeight = 0;
}

void prepareBackBuffer() {
    glDisable(GL_BLEND);
    glColor4f(1, 1, 1, 1);
    drawState.globalAlpha = 1;
    if (gameWindow) {
        gameWindow->setup2D(0, 0, 0, 0);
        // After setup2D: a game's own viewport must not shift the background.
        drawTileSet(0);
    }
}

void getScreenSize(double& width, double& height) {
    width = gameWindow ? gameWindow->screenWidth : 0;
    height = gameWindow ? gameWindow->screenHeight : 0;
}

}  // namespace vorlan
