#include "gfx2d/sprite_store.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>

#include "gfx2d/draw_state.h"
#include "gfx2d/game_window.h"
#include "gfx2d/gl_scopes.h"
#include "gfx2d/image_file.h"
#include "gfx2d/sprite_slots.h"

namespace vorlan {

namespace {

using Block = std::unique_ptr<uint8_t[]>;

Block zeroBlock(int32_t width, int32_t height) {
    size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(height) * 4;
    Block block(new (std::nothrow) uint8_t[bytes]);
    if (block) std::memset(block.get(), 0, bytes);
    return block;
}

void drainGLErrors() {
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
    }
}

// Errors are drained before each upload, so any error here is the upload's.
bool uploadFailed() {
    bool failed = false;
    for (GLenum e = glGetError(); e != GL_NO_ERROR; e = glGetError()) failed = true;
    return failed;
}

void deleteTexture(uint32_t& name) {
    if (name == 0) return;
    GLuint n = name;
    glDeleteTextures(1, &n);
    name = 0;
}

void newTexture(uint32_t& name, GLint magFilter, GLint minFilter) {
    GLuint n = 0;
    glGenTextures(1, &n);
    name = n;
    glBindTexture(GL_TEXTURE_2D, n);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magFilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
}

bool uploadLevel(GLint level, int32_t width, int32_t height, const uint8_t* block) {
    glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 block);
    return !uploadFailed();
}

// The picture rectangle, upside down, into the top-left of the block.
void copyFlipped(const PixelBuffer& source, int32_t x, int32_t y, int32_t width, int32_t height,
                 uint8_t* block, int32_t textureWidth) {
    for (int32_t j = 0; j < height; ++j) {
        int64_t sy = static_cast<int64_t>(y) + j;
        if (sy < 0 || sy >= source.height()) continue;
        const uint8_t* row = source.row(static_cast<int32_t>(sy));
        uint8_t* out = block + (static_cast<size_t>(height - 1 - j) * textureWidth) * 4;
        for (int32_t i = 0; i < width; ++i) {
            int64_t sx = static_cast<int64_t>(x) + i;
            if (sx < 0 || sx >= source.width()) continue;
            std::memcpy(out + static_cast<size_t>(i) * 4, row + sx * 4, 4);
        }
    }
}

bool uploadMipChain(uint8_t* block, int32_t width, int32_t height, uint32_t& mipTexture) {
    newTexture(mipTexture, GL_LINEAR, GL_LINEAR_MIPMAP_LINEAR);
    GLint level = 0;
    if (!uploadLevel(level, width, height, block)) return false;
    while (width > 1 || height > 1) {
        shrinkMipLevel(block, width, height);
        if (!uploadLevel(++level, width, height, block)) return false;
    }
    return true;
}

}  // namespace

SpriteStore spriteStore;

SpriteSlotTable::SpriteSlotTable() {
    for (int32_t slot = 0; slot < kSpriteSlotCount; ++slot) {
        texture[slot] = 0;
        mipTexture[slot] = 0;
        reset(slot);
    }
}

void SpriteSlotTable::reset(int32_t slot) {
    textureWidth[slot] = -1;
    textureHeight[slot] = -1;
    width[slot] = 0;
    height[slot] = 0;
    alphaMask[slot].reset();
}

int32_t powerOfTwoAbove(int32_t size, int32_t start) {
    int64_t value = static_cast<int64_t>(start) * 2;
    while (value < size) value *= 2;
    return static_cast<int32_t>(std::min<int64_t>(value, INT32_MAX));
}

void fillTransparentColour(uint8_t* block, int32_t width, int32_t height) {
    auto at = [&](int32_t c, int32_t r) {
        return block + (static_cast<size_t>(r) * width + c) * 4;
    };
    for (int32_t r = 0; r < height; ++r) {
        for (int32_t c = 0; c < width; ++c) {
            uint8_t* texel = at(c, r);
            if (texel[3] != 0) continue;
            int sum[3] = {0, 0, 0};
            int count = 0;
            for (int32_t nr = r - 1; nr <= r + 1; ++nr) {
                for (int32_t nc = c - 1; nc <= c + 1; ++nc) {
                    if (nc < 1 || nc > width - 2 || nr < 1 || nr > height - 2) continue;
                    const uint8_t* n = at(nc, nr);
                    if (n[3] == 0) continue;
                    for (int k = 0; k < 3; ++k) sum[k] += n[k];
                    ++count;
                }
            }
            for (int k = 0; k < 3; ++k) texel[k] = count ? static_cast<uint8_t>(sum[k] / count) : 0;
        }
    }
}

void shrinkMipLevel(uint8_t* block, int32_t& width, int32_t& height) {
    int32_t newWidth = std::max(1, width / 2);
    int32_t newHeight = std::max(1, height / 2);
    // Each write lands before every texel still to be read, so the block
    // shrinks in place.
    for (int32_t r = 0; r < newHeight; ++r) {
        for (int32_t c = 0; c < newWidth; ++c) {
            int sum[4] = {0, 0, 0, 0};
            int count = 0;
            for (int32_t sr = 2 * r; sr <= 2 * r + 1 && sr < height; ++sr) {
                for (int32_t sc = 2 * c; sc <= 2 * c + 1 && sc < width; ++sc) {
                    const uint8_t* texel = block + (static_cast<size_t>(sr) * width + sc) * 4;
                    for (int k = 0; k < 4; ++k) sum[k] += texel[k];
                    ++count;
                }
            }
            uint8_t* out = block + (static_cast<size_t>(r) * newWidth + c) * 4;
            for (int k = 0; k < 4; ++k) out[k] = static_cast<uint8_t>((sum[k] + count / 2) / count);
        }
    }
    width = newWidth;
    height = newHeight;
}

bool makeNormalMap(uint8_t* block, int32_t width, int32_t height) {
    size_t bytes = static_cast<size_t>(width) * height * 4;
    Block source(new (std::nothrow) uint8_t[bytes]);
    if (!source) return false;
    std::memcpy(source.get(), block, bytes);
    auto h = [&](int32_t c, int32_t r) {
        c = (c % width + width) % width;
        r = (r % height + height) % height;
        return source[(static_cast<size_t>(r) * width + c) * 4 + 2] / 255.0f;
    };
    auto channel = [](float v) { return static_cast<uint8_t>(std::floor((v + 1) * 0.5f * 255)); };
    for (int32_t r = 0; r < height; ++r) {
        for (int32_t c = 0; c < width; ++c) {
            float gx = (h(c - 1, r + 1) + 2 * h(c - 1, r) + h(c - 1, r - 1)) -
                       (h(c + 1, r + 1) + 2 * h(c + 1, r) + h(c + 1, r - 1));
            float gy = (h(c - 1, r + 1) + 2 * h(c, r + 1) + h(c + 1, r + 1)) -
                       (h(c - 1, r - 1) + 2 * h(c, r - 1) + h(c + 1, r - 1));
            float k = 1.0f / std::sqrt(gx * gx + gy * gy + 1.0f);
            uint8_t* out = block + (static_cast<size_t>(r) * width + c) * 4;
            out[0] = channel(gx * k);
            out[1] = channel(gy * k);
            out[2] = channel(k);
        }
    }
    return true;
}

bool uploadTexture(const PixelBuffer& source, int32_t x, int32_t y, int32_t width, int32_t height,
                   uint32_t& texture, uint32_t* mipTexture, bool normalMap, bool nearest,
                   UploadedTexture* made) {
    if (!drawingReady()) return false;
    flushQuads();
    deleteTexture(texture);
    if (mipTexture) deleteTexture(*mipTexture);
    forgetTextureBinding();

    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    if (width == 0) width = source.width() - x;
    if (height == 0) height = source.height() - y;
    if (width <= 0 || height <= 0 || maxSize < 2) return false;
    width = std::min(width, maxSize);
    height = std::min(height, maxSize);
    int32_t textureWidth = std::min(powerOfTwoAbove(width, 1), maxSize);
    int32_t textureHeight = std::min(powerOfTwoAbove(height, 1), maxSize);

    Block block = zeroBlock(textureWidth, textureHeight);
    if (!block) return false;
    copyFlipped(source, x, y, width, height, block.get(), textureWidth);
    if (!nearest) fillTransparentColour(block.get(), textureWidth, textureHeight);
    if (normalMap && !makeNormalMap(block.get(), textureWidth, textureHeight)) return false;

    TextureBindingScope keepBinding;
    PixelStoreScope tightRows;
    drainGLErrors();
    GLint filter = nearest ? GL_NEAREST : GL_LINEAR;
    newTexture(texture, filter, filter);
    bool ok = uploadLevel(0, textureWidth, textureHeight, block.get());
    if (ok && mipTexture)
        ok = uploadMipChain(block.get(), textureWidth, textureHeight, *mipTexture);
    if (!ok) {
        deleteTexture(texture);
        if (mipTexture) deleteTexture(*mipTexture);
        return false;
    }
    if (made) *made = {textureWidth, textureHeight, width, height};
    return true;
}

void replaceSlotTexture(int32_t slot, uint32_t texture, uint32_t mipTexture, int32_t textureWidth,
                        int32_t textureHeight, int32_t width, int32_t height) {
    if (!gameWindow || !validSlot(slot)) return;
    SpriteSlotTable& s = spriteStore.slots;
    if (s.texture[slot] != texture || s.mipTexture[slot] != mipTexture) {
        flushQuads();
        if (drawingReady()) {
            if (s.texture[slot] != texture) deleteTexture(s.texture[slot]);
            if (s.mipTexture[slot] != mipTexture) deleteTexture(s.mipTexture[slot]);
        }
        forgetTextureBinding();
    }
    s.texture[slot] = texture;
    s.mipTexture[slot] = mipTexture;
    s.textureWidth[slot] = textureWidth;
    s.textureHeight[slot] = textureHeight;
    s.width[slot] = width;
    s.height[slot] = height;
    s.alphaMask[slot].reset();
}

void freeSprite(int32_t slot) {
    if (!gameWindow || !validSlot(slot)) return;
    SpriteSlotTable& s = spriteStore.slots;
    if (s.texture[slot] != 0 || s.mipTexture[slot] != 0) {
        flushQuads();
        if (drawingReady()) {
            deleteTexture(s.texture[slot]);
            deleteTexture(s.mipTexture[slot]);
        }
        forgetTextureBinding();
    }
    s.texture[slot] = 0;
    s.mipTexture[slot] = 0;
    s.reset(slot);
}

void resetSpriteStore() {
    for (int32_t slot = 0; slot < kSpriteSlotCount; ++slot) freeSprite(slot);
    spriteStore.spriteKeyColour = SpriteStore{}.spriteKeyColour;
    spriteStore.fontKeyColour = SpriteStore{}.fontKeyColour;
}

bool loadSpriteFile(int32_t slot, const char* fileName, int32_t keyColour, bool normalMap,
                    std::string* why) {
    if (!gameWindow || !validSlot(slot)) return false;
    freeSprite(slot);
    if (!drawingReady()) return false;
    PixelBuffer picture;
    if (!decodeImageFile(picture, fileName, keyColour, why)) return false;
    if (picture.width() == 0 || picture.height() == 0) {
        if (why) *why = "the picture has no pixels";
        return false;
    }
    bool font = slot >= FONT_SLOT_BASE;
    uint32_t texture = 0;
    uint32_t mipTexture = 0;
    UploadedTexture made;
    if (!uploadTexture(picture, 0, 0, 0, 0, texture, font ? nullptr : &mipTexture,
                       font ? false : normalMap, font, &made)) {
        return false;
    }
    replaceSlotTexture(slot, texture, mipTexture, made.textureWidth, made.textureHeight, made.width,
                       made.height);
    return true;
}

}  // namespace vorlan
