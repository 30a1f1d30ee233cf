#include "gfx2d/game_window.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cmath>
#include <initializer_list>

#include "core/errors.h"
#include "gfx2d/draw_state.h"
#include "gfx2d/gl_extensions.h"
#include "gfx2d/sprite_store.h"
#include "gfx2d/tile_sets.h"
#include "gfx2d/window_scale.h"
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

bool GameWindow::createSurface(int32_t width, int32_t height, int32_t bpp, int32_t samples,
                               SurfaceOptions options) {
    if (width <= 0 || height <= 0) return false;
    multisampleSamples = samples > 0 ? createMultisampleWindow(width, height, samples) : 0;
    if (multisampleSamples == 0 && !platform::createGLWindow("CVorlan", width, height, 0)) {
        return false;
    }
    if (bpp == 0) bpp = platform::desktopBitsPerPixel();
    fullscreen = false;
    bitsPerPixel = bpp;
    screenWidth = width;
    screenHeight = height;

    warnIfSoftware();
    windowOpen = true;
    loadExtensionEntryPoints();
    // The off-screen surface would lose the multisampled format.
    bool offscreen =
        options.offscreen && multisampleSamples == 0 && offscreen_.create(width, height);
    copies_ = offscreen && options.copyOnSoftwareRenderer &&
              isSoftwareRenderer(reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    const platform::ScreenRect area = platform::usableDesktopArea();
    windowScale = offscreen ? chooseWindowScale(options.scale, width, height,
                                                {area.x, area.y, area.width, area.height})
                            : 1;
    platform::setWindowResizable(offscreen);
    placeOnDesktop();
    platform::showWindow();
    setup2D(0, 0, 0, 0);
    contextReady = true;
    return true;
}

void GameWindow::placeOnDesktop() {
    const platform::ScreenRect area = platform::usableDesktopArea();
    int32_t width = screenWidth * windowScale;
    int32_t height = screenHeight * windowScale;
    if (area.width <= 0 || area.height <= 0) {
        platform::setWindowRect({0, 0, width, height});
        return;
    }
    PixelRect place = placeWindow({area.x, area.y, area.width, area.height}, width, height);
    platform::setWindowRect({place.x, place.y, place.width, place.height});
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
    bool entered = drawsOffscreen() ? platform::enterDesktopFullscreen()
                                    : platform::enterFullscreenMode(screenWidth, screenHeight);
    if (!entered) {
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
        if (!drawsOffscreen()) {
            // Give the display time to settle back into the desktop mode.
            platform::sleepMs(500);
            placeOnDesktop();
        }
    }
    platform::showWindow();
    platform::raiseWindow();
    setup2D(0, 0, 0, 0);
    fullscreen = false;
    return true;
}

bool GameWindow::toggleFullscreen() {
    return fullscreen ? leaveFullscreen() : enterFullscreen();
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
    if (drawsOffscreen() && (width != 0 || height != 0)) {
        flushQuads();
        if (!offscreen_.create(screenWidth, screenHeight)) {
            // Drawn straight from now on: the window is the surface.
            windowScale = 1;
            copies_ = false;
            platform::setWindowResizable(false);
        }
    }
    if (!fullscreen) placeOnDesktop();
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
    offscreen_.destroy();
    contextReady = false;
    if (fullscreen) platform::leaveFullscreenMode();
    fullscreen = false;
    platform::destroyGLWindow(false);
    windowOpen = false;
    screenWidth = 0;
    screenHeight = 0;
}

bool GameWindow::showSurface() {
    flushQuads();
    int drawableWidth = 0;
    int drawableHeight = 0;
    platform::drawableSize(drawableWidth, drawableHeight);
    if (!drawsOffscreen() || drawableWidth <= 0 || drawableHeight <= 0) return false;
    PixelRect shown = pictureRect(screenWidth, screenHeight, drawableWidth, drawableHeight);
    if (copies_ && offscreen_.copyTo(shown)) return true;
    offscreen_.showIn(drawableWidth, drawableHeight, shown);
    return false;
}

void GameWindow::presentSurface() {
    if (!showSurface()) platform::swapBuffers();
}

uint32_t GameWindow::surfaceReadBuffer() const {
    return drawsOffscreen() ? GL_COLOR_ATTACHMENT0_EXT : GL_BACK;
}

PixelRect GameWindow::picture() const {
    if (!drawsOffscreen()) return {0, 0, screenWidth, screenHeight};
    int drawableWidth = 0;
    int drawableHeight = 0;
    platform::drawableSize(drawableWidth, drawableHeight);
    return pictureRect(screenWidth, screenHeight, drawableWidth, drawableHeight);
}

namespace {

// Window units to drawable pixels or back (they differ on HiDPI displays).
int32_t rescaled(int32_t value, int from, int to) {
    if (from <= 0 || from == to) return value;
    return static_cast<int32_t>(std::floor(static_cast<double>(value) * to / from));
}

}  // namespace

void GameWindow::windowToSurface(int32_t& x, int32_t& y) const {
    if (!drawsOffscreen()) return;
    int windowWidth = 0, windowHeight = 0, drawableWidth = 0, drawableHeight = 0;
    platform::windowSize(windowWidth, windowHeight);
    platform::drawableSize(drawableWidth, drawableHeight);
    x = rescaled(x, windowWidth, drawableWidth);
    y = rescaled(y, windowHeight, drawableHeight);
    drawableToSurface(picture(), screenWidth, screenHeight, x, y);
}

void GameWindow::surfaceToWindow(int32_t& x, int32_t& y) const {
    if (!drawsOffscreen()) return;
    int windowWidth = 0, windowHeight = 0, drawableWidth = 0, drawableHeight = 0;
    platform::windowSize(windowWidth, windowHeight);
    platform::drawableSize(drawableWidth, drawableHeight);
    surfaceToDrawable(picture(), screenWidth, screenHeight, x, y);
    x = rescaled(x, drawableWidth, windowWidth);
    y = rescaled(y, drawableHeight, windowHeight);
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
