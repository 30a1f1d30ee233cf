// The surface the game draws into when the driver has framebuffer objects:
// a texture of the surface's size with depth and stencil beside it, shown in
// the window at whatever size the window has.
#pragma once

#include <cstdint>
#include <vector>

#include "gfx2d/window_scale.h"

namespace vorlan {

class OffscreenSurface {
  public:
    // Makes the surface and binds it for drawing. False, with nothing made
    // and the window bound, when the driver has no framebuffer objects or
    // refuses this one.
    bool create(int32_t width, int32_t height);
    // Needs the context current.
    void destroy();
    bool made() const { return framebuffer_ != 0; }
    // Draws the surface into the window's back buffer at `picture` (pixels
    // from the drawable's top-left), black around it; the surface is bound
    // again afterwards. Everything drawn must be flushed first.
    void showIn(int32_t drawableWidth, int32_t drawableHeight, const PixelRect& picture);
    // Shows the surface through the window system instead, scaled on the
    // processor: on a software renderer that is several times cheaper than
    // drawing the scaled picture. False, with nothing shown, when the
    // window cannot take it.
    bool copyTo(const PixelRect& picture);

  private:
    uint32_t framebuffer_ = 0;
    uint32_t texture_ = 0;
    uint32_t depthStencil_ = 0;
    int32_t width_ = 0;
    int32_t height_ = 0;
    int32_t textureWidth_ = 0;
    int32_t textureHeight_ = 0;
    std::vector<uint8_t> pixels_;  // read back for copyTo
};

}  // namespace vorlan
