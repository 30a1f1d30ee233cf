#include "audio/video_screen.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdlib>

#include "gfx2d/draw_state.h"
#include "gfx2d/game_window.h"
#include "gfx2d/sprite_store.h"
#include "platform/window.h"

namespace vorlan {

VideoRect videoPlacement(int frameWidth, int frameHeight, int clientWidth, int clientHeight) {
    if (frameWidth <= 0 || frameHeight <= 0 || clientWidth <= 0 || clientHeight <= 0) return {};
    double scale = std::min(static_cast<double>(clientWidth) / frameWidth,
                            static_cast<double>(clientHeight) / frameHeight);
    VideoRect rect;
    rect.width = static_cast<int>(frameWidth * scale);
    rect.height = static_cast<int>(frameHeight * scale);
    rect.x = (clientWidth - rect.width) / 2;
    rect.y = (clientHeight - rect.height) / 2;
    return rect;
}

VideoScreen::VideoScreen(int frameWidth, int frameHeight)
    : frameWidth_(frameWidth), frameHeight_(frameHeight) {
    // Sprites still queued belong under the video, with today's state.
    flushQuads();
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
    if (frameWidth_ <= 0 || frameHeight_ <= 0) return;
    // OpenGL 2 takes any size: one upload of the frame a picture. OpenGL 1.x
    // needs power-of-two sides, and an edge repeated into the padding.
    const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    bool anySize = version && std::atoi(version) >= 2;
    textureWidth_ = anySize ? frameWidth_ : powerOfTwoAbove(frameWidth_, 1);
    textureHeight_ = anySize ? frameHeight_ : powerOfTwoAbove(frameHeight_, 1);
    glGenTextures(1, &texture_);
    glBindTexture(GL_TEXTURE_2D, texture_);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, textureWidth_, textureHeight_, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, nullptr);
}

VideoScreen::~VideoScreen() {
    if (texture_) glDeleteTextures(1, &texture_);
    glPopClientAttrib();
    glPopAttrib();
    forgetTextureBinding();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    prepareBackBuffer();
}

void VideoScreen::upload(const uint8_t* rgba) {
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, frameWidth_);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, frameWidth_, frameHeight_, GL_RGBA, GL_UNSIGNED_BYTE,
                    rgba);
    // Filtering at the right and bottom edges reaches past the frame into
    // the padding of the texture: repeat the last column and row there.
    if (frameWidth_ < textureWidth_) {
        glPixelStorei(GL_UNPACK_SKIP_PIXELS, frameWidth_ - 1);
        glTexSubImage2D(GL_TEXTURE_2D, 0, frameWidth_, 0, 1, frameHeight_, GL_RGBA,
                        GL_UNSIGNED_BYTE, rgba);
        glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    }
    if (frameHeight_ < textureHeight_) {
        glPixelStorei(GL_UNPACK_SKIP_ROWS, frameHeight_ - 1);
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, frameHeight_, frameWidth_, 1, GL_RGBA,
                        GL_UNSIGNED_BYTE, rgba);
        glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    }
}

void VideoScreen::show(const uint8_t* rgba, const VideoRect& rect, int clientWidth,
                       int clientHeight) {
    glViewport(0, 0, clientWidth, clientHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, clientWidth, clientHeight, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    for (GLenum cap : {GL_BLEND, GL_ALPHA_TEST, GL_DEPTH_TEST, GL_CULL_FACE, GL_LIGHTING, GL_FOG,
                       GL_STENCIL_TEST, GL_SCISSOR_TEST}) {
        glDisable(cap);
    }
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    if (texture_ && rgba && rect.width > 0 && rect.height > 0) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, texture_);
        upload(rgba);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
        float s = static_cast<float>(frameWidth_) / textureWidth_;
        float t = static_cast<float>(frameHeight_) / textureHeight_;
        float left = static_cast<float>(rect.x);
        float top = static_cast<float>(rect.y);
        float right = left + static_cast<float>(rect.width);
        float bottom = top + static_cast<float>(rect.height);
        glBegin(GL_QUADS);
        glTexCoord2f(0, 0);
        glVertex2f(left, top);
        glTexCoord2f(0, t);
        glVertex2f(left, bottom);
        glTexCoord2f(s, t);
        glVertex2f(right, bottom);
        glTexCoord2f(s, 0);
        glVertex2f(right, top);
        glEnd();
    }
    if (gameWindow) gameWindow->presentSurface();
}

}  // namespace vorlan
