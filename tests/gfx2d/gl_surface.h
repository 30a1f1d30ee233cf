// A real window and OpenGL context, with read-back of the back buffer and textures.
#pragma once

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <vorlan/sprites.h>
#include <algorithm>
#include <array>

#include "gfx2d/draw_state.h"
#include "gfx2d/game_window.h"
#include "gfx2d/test_images.h"
#include "support/temp_folder.h"

namespace vorlan::test {

// Every pixel differs; fully opaque.
inline Picture gradient(int32_t width, int32_t height) {
    Picture p = picture(width, height, 0xFF);
    for (int32_t i = 0; i < width * height; ++i) {
        int32_t x = i % width, y = i / width;
        std::copy_n(std::array<int32_t, 3>{x * 7 + 3, y * 11 + 5, (x + y) * 3}.begin(), 3,
                    p.at(x, y));
    }
    return p;
}

// (-1, -1) would mean nothing was written.
inline std::pair<double, double> spriteSize(double slot) {
    std::pair<double, double> size{-1, -1};
    getSpriteSize(slot, size.first, size.second);
    return size;
}
inline const std::pair<double, double> kNoSize{0, 0};

class GLSurface : public testing::Test {
  protected:
    virtual int samples() const { return 0; }

    void SetUp() override {
        remake(320, 240, samples());
        setDrawBatching(true);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    void TearDown() override {
        delete gameWindow;
        gameWindow = nullptr;
    }
    // A new window and context in place of the present one.
    static void remake(int32_t width, int32_t height, int samples = 0,
                       SurfaceOptions options = {}) {
        delete gameWindow;
        gameWindow = new GameWindow();
        ASSERT_TRUE(gameWindow->createSurface(width, height, 0, samples, options));
    }

    std::string writePng(const std::string& name, const Picture& p) {
        std::string path = temp_.file(name).string();
        writeWholeFile(path, rgbaPng(p));
        return path;
    }

    // The whole back buffer, top row first.
    static Picture screen() {
        flushQuads();
        Picture p = picture(gameWindow->screenWidth, gameWindow->screenHeight);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadBuffer(gameWindow->surfaceReadBuffer());
        for (int32_t y = 0; y < p.height; ++y) {
            glReadPixels(0, p.height - 1 - y, p.width, 1, GL_RGBA, GL_UNSIGNED_BYTE, p.at(0, y));
        }
        return p;
    }

    // A texture level as GL keeps it: row 0 first.
    static Picture texels(uint32_t texture, int level = 0) {
        GLint bound = 0, w = 0, h = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        glBindTexture(GL_TEXTURE_2D, texture);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &w);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &h);
        Picture p = picture(w, h);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        if (w > 0 && h > 0) {
            glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, p.pixels.data());
        }
        glBindTexture(GL_TEXTURE_2D, bound);
        return p;
    }

    TempFolder temp_;
};

}  // namespace vorlan::test
