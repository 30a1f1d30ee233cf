// Copying a rectangle of the back buffer into a sprite slot.
#include <GL/gl.h>
#include <GL/glext.h>
#include <vorlan/sprites.h>

#include <algorithm>
#include <cstring>

#include "core/warnings.h"
#include "gfx2d/draw_state.h"
#include "gfx2d/game_window.h"
#include "gfx2d/gl_scopes.h"
#include "gfx2d/pixel_buffer.h"
#include "gfx2d/sprite_slots.h"
#include "gfx2d/sprite_store.h"

namespace vorlan {

namespace {

// Reused between grabs; freed at exit.
PixelBuffer grabBuffer;

struct WindowRect {
    int64_t left, bottom, right, top;  // window rows count from the bottom
    bool empty() const { return left >= right || bottom >= top; }
};

struct ProbeState {
    GLboolean scissor = GL_FALSE;
    GLboolean dither = GL_FALSE;
    GLint box[4] = {};
    GLfloat clear[4] = {};
    GLboolean mask[4] = {};
};

void clearOnePixel(GLint x, GLint y, const GLubyte* rgb) {
    glScissor(x, y, 1, 1);
    glClearColor(rgb[0] / 255.0f, rgb[1] / 255.0f, rgb[2] / 255.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
}

// The key colour as the surface stores it (colour depth may round it). A
// scissored clear writes exactly the given colour whatever the blending,
// alpha mode or viewport, and writes the saved pixel back exactly.
void probeKeyColour(int32_t key, GLubyte* bgr) {
    GLint x = 2;
    GLint y = gameWindow->screenHeight - 3;
    ProbeState saved;
    saved.scissor = glIsEnabled(GL_SCISSOR_TEST);
    saved.dither = glIsEnabled(GL_DITHER);
    glGetIntegerv(GL_SCISSOR_BOX, saved.box);
    glGetFloatv(GL_COLOR_CLEAR_VALUE, saved.clear);
    glGetBooleanv(GL_COLOR_WRITEMASK, saved.mask);
    glEnable(GL_SCISSOR_TEST);
    glDisable(GL_DITHER);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);

    GLubyte before[3];
    glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, before);
    const GLubyte keyRgb[3] = {static_cast<GLubyte>(key & 0xFF),
                               static_cast<GLubyte>((key >> 8) & 0xFF),
                               static_cast<GLubyte>((key >> 16) & 0xFF)};
    clearOnePixel(x, y, keyRgb);
    glReadPixels(x, y, 1, 1, GL_BGR, GL_UNSIGNED_BYTE, bgr);
    clearOnePixel(x, y, before);

    glColorMask(saved.mask[0], saved.mask[1], saved.mask[2], saved.mask[3]);
    glClearColor(saved.clear[0], saved.clear[1], saved.clear[2], saved.clear[3]);
    glScissor(saved.box[0], saved.box[1], saved.box[2], saved.box[3]);
    if (saved.dither) glEnable(GL_DITHER);
    if (!saved.scissor) glDisable(GL_SCISSOR_TEST);
}

// Reads the visible part of the rectangle into the zeroed block (BGRA,
// texture row 0 = the rectangle's bottom row) and clears the alpha of
// key-coloured texels.
void readBack(const WindowRect& want, const WindowRect& seen, int32_t textureWidth) {
    int64_t column = seen.left - want.left;
    int64_t row = seen.bottom - want.bottom;
    uint8_t* first = grabBuffer.pixels() + (row * textureWidth + column) * 4;
    GLsizei width = static_cast<GLsizei>(seen.right - seen.left);
    GLsizei height = static_cast<GLsizei>(seen.top - seen.bottom);
    glPixelStorei(GL_PACK_ROW_LENGTH, textureWidth);
    glReadPixels(static_cast<GLint>(seen.left), static_cast<GLint>(seen.bottom), width, height,
                 GL_BGRA, GL_UNSIGNED_BYTE, first);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);

    int32_t key = spriteStore.spriteKeyColour;
    if (key < 0 || key > 0xFFFFFF) return;  // keying off
    // Pure black needs no probe; a surface too small for the probe pixel
    // compares the key as given.
    GLubyte bgr[3] = {static_cast<GLubyte>((key >> 16) & 0xFF),
                      static_cast<GLubyte>((key >> 8) & 0xFF), static_cast<GLubyte>(key & 0xFF)};
    if (key != 0 && gameWindow->screenWidth >= 3 && gameWindow->screenHeight >= 3) {
        probeKeyColour(key, bgr);
    }
    for (GLsizei j = 0; j < height; ++j) {
        uint8_t* texel = first + static_cast<size_t>(j) * textureWidth * 4;
        for (GLsizei i = 0; i < width; ++i, texel += 4) {
            if (texel[0] == bgr[0] && texel[1] == bgr[1] && texel[2] == bgr[2]) texel[3] = 0;
        }
    }
}

}  // namespace

void grabSprite(double slotArgument, double xArgument, double yArgument, double widthArgument,
                double heightArgument) {
    int32_t slot = truncatedArgument(slotArgument);
    if (!validSlot(slot)) {
        return warnBadNumber("sprite slot", slotArgument, kSpriteSlotCount - 1, "nothing grabbed");
    }
    if (!drawingReady()) return;
    int32_t x = truncatedArgument(xArgument);
    int32_t y = truncatedArgument(yArgument);
    int32_t width = truncatedArgument(widthArgument);
    int32_t height = truncatedArgument(heightArgument);
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    if (width <= 0 || height <= 0 || width > maxSize || height > maxSize) {
        freeSprite(slot);
        return;
    }
    int32_t textureWidth = powerOfTwoAbove(width, 16);
    int32_t textureHeight = powerOfTwoAbove(height, 16);
    if (textureWidth > maxSize || textureHeight > maxSize ||
        !grabBuffer.resize(textureWidth, textureHeight)) {
        freeSprite(slot);
        return;
    }
    flushQuads();
    WindowRect want{x, static_cast<int64_t>(gameWindow->screenHeight) - y - height,
                    static_cast<int64_t>(x) + width, 0};
    want.top = want.bottom + height;
    WindowRect seen{std::max<int64_t>(want.left, 0), std::max<int64_t>(want.bottom, 0),
                    std::min<int64_t>(want.right, gameWindow->screenWidth),
                    std::min<int64_t>(want.top, gameWindow->screenHeight)};

    TextureBindingScope keepBinding;
    PixelStoreScope tightRows;
    GLint readBuffer = GL_BACK;
    glGetIntegerv(GL_READ_BUFFER, &readBuffer);
    glReadBuffer(gameWindow->surfaceReadBuffer());
    GLint alphaBits = 0;
    glGetIntegerv(GL_ALPHA_BITS, &alphaBits);
    bool copyOnCard = alphaBits != 0;
    if (!seen.empty() && !copyOnCard) readBack(want, seen, textureWidth);

    const SpriteSlotTable& s = spriteStore.slots;
    uint32_t texture = 0;
    bool reuse = s.texture[slot] != 0 && s.textureWidth[slot] == textureWidth &&
                 s.textureHeight[slot] == textureHeight;
    if (reuse) {
        texture = s.texture[slot];
    } else {
        GLuint name = 0;
        glGenTextures(1, &name);
        texture = name;
    }
    while (glGetError() != GL_NO_ERROR) {
    }
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    // The padding starts transparent on either path.
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, textureWidth, textureHeight, 0, GL_BGRA,
                 GL_UNSIGNED_BYTE, grabBuffer.pixels());
    if (!seen.empty() && copyOnCard) {
        glCopyTexSubImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(seen.left - want.left),
                            static_cast<GLint>(seen.bottom - want.bottom),
                            static_cast<GLint>(seen.left), static_cast<GLint>(seen.bottom),
                            static_cast<GLsizei>(seen.right - seen.left),
                            static_cast<GLsizei>(seen.top - seen.bottom));
    }
    bool failed = glGetError() != GL_NO_ERROR;
    glReadBuffer(static_cast<GLenum>(readBuffer));
    if (failed) {
        if (!reuse) {
            GLuint name = texture;
            glDeleteTextures(1, &name);
        }
        freeSprite(slot);
        return;
    }
    // A reused texture keeps its name; its old mip texture goes.
    replaceSlotTexture(slot, texture, 0, textureWidth, textureHeight, width, height);
}

}  // namespace vorlan
