// The game window: the one main window, its OpenGL context and the 2D
// projection every drawing command draws through.
#pragma once

#include <cstdint>

namespace vorlan {

struct Viewport {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

class GameWindow {
  public:
    GameWindow();
    virtual ~GameWindow();

    bool createSurface(int32_t width, int32_t height, int32_t bitsPerPixel, int32_t samples);
    void setup2D(int32_t x, int32_t y, int32_t width, int32_t height);
    bool enterFullscreen();
    bool leaveFullscreen();
    bool hideSurface();
    void setScreenMode(int32_t width, int32_t height, int32_t bitsPerPixel, bool fullscreen);
    void destroySurface();

    bool windowOpen = false;
    int32_t screenWidth = 0;
    int32_t screenHeight = 0;
    int32_t bitsPerPixel = 0;
    bool fullscreen = false;
    int32_t multisampleSamples = 0;
    bool contextReady = false;
    Viewport viewport;
};

// The process-wide game window; null before start-up and after shutdown.
extern GameWindow* gameWindow;

// The plain 2D state every fresh back buffer starts in (after presentFrame,
// and after a video): no blending, full alpha, the whole surface, the
// background picture as the first layer.
void prepareBackBuffer();

}  // namespace vorlan
