// Shows video frames in the game window: one texture, one quad, and the
// window's 2D state put back afterwards.
#pragma once

#include <cstdint>

namespace vorlan {

struct VideoRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The frame scaled by the smaller of the two ratios (aspect kept) and
// centred in the client area; empty for a frame without pictures.
VideoRect videoPlacement(int frameWidth, int frameHeight, int clientWidth, int clientHeight);

class VideoScreen {
  public:
    // Saves the GL state and makes a texture for frames of this size.
    VideoScreen(int frameWidth, int frameHeight);
    // Restores the GL state, then leaves a cleared back buffer in the plain
    // 2D state, as a finished frame does.
    ~VideoScreen();
    VideoScreen(const VideoScreen&) = delete;
    VideoScreen& operator=(const VideoScreen&) = delete;

    // Draws RGBA rows (top first) into `rect` on black and shows the result.
    void show(const uint8_t* rgba, const VideoRect& rect, int clientWidth, int clientHeight);

  private:
    void upload(const uint8_t* rgba);

    int frameWidth_;
    int frameHeight_;
    int textureWidth_ = 1;
    int textureHeight_ = 1;
    unsigned texture_ = 0;
};

}  // namespace vorlan
