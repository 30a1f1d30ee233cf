// Saves a piece of GL state on entry and puts it back on exit, so that the
// store and read-back commands leave the drawing state as they found it.
#pragma once

#include <GL/gl.h>

namespace vorlan {

// The 2D texture bound on the active unit.
class TextureBindingScope {
  public:
    TextureBindingScope() { glGetIntegerv(GL_TEXTURE_BINDING_2D, &saved_); }
    ~TextureBindingScope() {
        glBindTexture(GL_TEXTURE_2D, glIsTexture(saved_) ? static_cast<GLuint>(saved_) : 0);
    }
    TextureBindingScope(const TextureBindingScope&) = delete;
    TextureBindingScope& operator=(const TextureBindingScope&) = delete;

  private:
    GLint saved_ = 0;
};

// Tightly packed rows for both directions: GL pads rows to 4 bytes unless
// told otherwise, which would overrun buffers sized for packed rows.
class PixelStoreScope {
  public:
    PixelStoreScope() {
        for (int i = 0; i < kCount; ++i) {
            glGetIntegerv(kNames[i], &saved_[i]);
            glPixelStorei(kNames[i], i % 4 == 0 ? 1 : 0);
        }
    }
    ~PixelStoreScope() {
        for (int i = 0; i < kCount; ++i) glPixelStorei(kNames[i], saved_[i]);
    }
    PixelStoreScope(const PixelStoreScope&) = delete;
    PixelStoreScope& operator=(const PixelStoreScope&) = delete;

  private:
    static constexpr int kCount = 8;
    static constexpr GLenum kNames[kCount] = {
        GL_UNPACK_ALIGNMENT, GL_UNPACK_ROW_LENGTH, GL_UNPACK_SKIP_ROWS, GL_UNPACK_SKIP_PIXELS,
        GL_PACK_ALIGNMENT,   GL_PACK_ROW_LENGTH,   GL_PACK_SKIP_ROWS,   GL_PACK_SKIP_PIXELS};
    GLint saved_[kCount] = {};
};

}  // namespace vorlan
