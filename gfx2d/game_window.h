// The game window: the one main window, its OpenGL context and the 2D
// projection every drawing command draws through. The game draws into a
// surface of its own size; the window shows it at a whole-number scale.
#pragma once

#include <cstdint>

#include "gfx2d/offscreen_surface.h"

namespace vorlan {

struct Viewport {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

struct SurfaceOptions {
    // The window's whole-number scale; 0 picks the largest that fits the
    // usable desktop area.
    int32_t scale = 1;
    // False: the game draws straight into a window of the surface's size,
    // as where the driver has no framebuffer objects (then the window is
    // fixed at scale 1). Multisampled surfaces are always drawn this way.
    bool offscreen = true;
    // On a software renderer the window shows the surface through the
    // window system, scaled on the processor; false draws it with OpenGL
    // there too.
    bool copyOnSoftwareRenderer = true;
};

class GameWindow {
  public:
    GameWindow();
    virtual ~GameWindow();

    // False for a size of 0 or less.
    bool createSurface(int32_t width, int32_t height, int32_t bitsPerPixel, int32_t samples,
                       SurfaceOptions options = {});
    void setup2D(int32_t x, int32_t y, int32_t width, int32_t height);
    // Off-screen: on the desktop's own mode, the picture letterboxed at the
    // largest whole scale. Drawn straight: a display mode of the surface's size.
    bool enterFullscreen();
    bool leaveFullscreen();
    bool toggleFullscreen();
    bool hideSurface();
    void setScreenMode(int32_t width, int32_t height, int32_t bitsPerPixel, bool fullscreen);
    void destroySurface();

    // Shows the finished surface in the window: scaled, centred, black
    // around it. True when it reached the window at once (copied); false
    // when it waits in the back buffer for the swap that presentSurface adds.
    bool showSurface();
    void presentSurface();
    // The read buffer that holds the surface.
    uint32_t surfaceReadBuffer() const;
    bool drawsOffscreen() const { return offscreen_.made(); }
    // Where the surface shows in the window's drawable now.
    PixelRect picture() const;
    // Pointer positions: window (screen units from its top-left) to the
    // surface pixel under it, and back to that pixel's middle.
    void windowToSurface(int32_t& x, int32_t& y) const;
    void surfaceToWindow(int32_t& x, int32_t& y) const;

    bool windowOpen = false;
    int32_t screenWidth = 0;
    int32_t screenHeight = 0;
    int32_t bitsPerPixel = 0;
    bool fullscreen = false;
    int32_t multisampleSamples = 0;
    bool contextReady = false;
    Viewport viewport;
    // The scale the window was made at.
    int32_t windowScale = 1;

  private:
    void placeOnDesktop();

    OffscreenSurface offscreen_;
    bool copies_ = false;
};

// The process-wide game window; null before start-up and after shutdown.
extern GameWindow* gameWindow;

// The plain 2D state every fresh back buffer starts in (after presentFrame,
// and after a video): no blending, full alpha, the whole surface, the
// background picture as the first layer.
void prepareBackBuffer();

}  // namespace vorlan
