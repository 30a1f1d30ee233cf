// The renderer: the one main window, its OpenGL context and the 2D state.
// The sprite, font and background stores add their members here.
#pragma once

#include <cstdint>

#include "gfx2d/sprite_slots.h"

namespace vorlan {

struct Viewport {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

class OpenGLZererazo {
  public:
    OpenGLZererazo();
    virtual ~OpenGLZererazo();

    bool createSurface(int32_t width, int32_t height, int32_t bitsPerPixel, int32_t frameRate,
                       int32_t samples);
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
    double frameTime = 1000.0 / 60.0;
    double timeBase = 0;
    double frameDeadline = 0;
    Viewport viewport;

    // Sprite store and 2D drawing.
    SpriteSlotTable slots;
    // Key colours: red + 256 x green + 65536 x blue, -1 for none.
    int32_t spriteKeyColour = 0x8000FF;
    int32_t fontKeyColour = 0;
    // Every draw is coloured with it; presentFrame sets it back to 1.
    float globalAlpha = 1;
    // The last slots given to bindSlotTextures (-1 for none).
    int32_t boundSlot = -1;
    int32_t boundSecondSlot = -1;
    bool boundMip = false;
};

// The process-wide renderer; null before start-up and after shutdown.
extern OpenGLZererazo* renderer;

// Whole-word search of the OpenGL extension string.
bool extensionListed(const char* extensions, const char* name);

// True when the OpenGL renderer is a software rasterizer (llvmpipe,
// softpipe, swrast).
bool isSoftwareRenderer(const char* rendererName);

}  // namespace vorlan
