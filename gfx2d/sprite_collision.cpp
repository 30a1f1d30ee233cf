// Pixel-exact collision of two sprites through their textures' alpha.
#include <GL/gl.h>
#include <vorlan/sprites.h>

#include <algorithm>
#include <new>

#include "gfx2d/draw_state.h"
#include "gfx2d/game_window.h"
#include "gfx2d/gl_scopes.h"
#include "gfx2d/sprite_slots.h"

namespace vorlan {

namespace {

// Reads the slot's alpha once per texture. The buffer is sized from the
// texture as the driver holds it, with rows tightly packed.
bool ensureAlphaMask(int32_t slot) {
    SpriteSlotTable& s = spriteStore.slots;
    if (s.alphaMask[slot]) return true;
    flushQuads();
    TextureBindingScope keepBinding;
    PixelStoreScope tightRows;
    glBindTexture(GL_TEXTURE_2D, s.texture[slot]);
    GLint width = 0, height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    if (width != s.textureWidth[slot] || height != s.textureHeight[slot]) return false;
    size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(height);
    std::unique_ptr<uint8_t[]> mask(new (std::nothrow) uint8_t[bytes]);
    if (!mask) return false;
    glGetTexImage(GL_TEXTURE_2D, 0, GL_ALPHA, GL_UNSIGNED_BYTE, mask.get());
    s.alphaMask[slot] = std::move(mask);
    return true;
}

struct Placed {
    int32_t slot;
    int64_t x;
    int64_t y;
    int64_t width;
    int64_t height;

    bool opaqueAt(int64_t px, int64_t py) const {
        const SpriteSlotTable& s = spriteStore.slots;
        int64_t row = y + height - 1 - py;  // flipped as the texture is
        return s.alphaMask[slot][row * s.textureWidth[slot] + (px - x)] != 0;
    }
};

bool usable(int32_t slot) {
    const SpriteSlotTable& s = spriteStore.slots;
    return validSlot(slot) && s.texture[slot] != 0 && s.width[slot] > 0 && s.height[slot] > 0;
}

}  // namespace

double spriteCollision(double slotA, double xA, double yA, double slotB, double xB, double yB) {
    if (!drawingReady()) return 0;
    Placed a{truncatedArgument(slotA), truncatedArgument(xA), truncatedArgument(yA), 0, 0};
    Placed b{truncatedArgument(slotB), truncatedArgument(xB), truncatedArgument(yB), 0, 0};
    if (!usable(a.slot) || !usable(b.slot)) return 0;
    for (Placed* p : {&a, &b}) {
        p->width = spriteStore.slots.width[p->slot];
        p->height = spriteStore.slots.height[p->slot];
    }
    int64_t left = std::max(a.x, b.x);
    int64_t right = std::min(a.x + a.width, b.x + b.width);
    int64_t top = std::max(a.y, b.y);
    int64_t bottom = std::min(a.y + a.height, b.y + b.height);
    if (left >= right || top >= bottom) return 0;
    if (!ensureAlphaMask(a.slot) || !ensureAlphaMask(b.slot)) return 0;
    // Every second row and column first: overlaps show up early.
    for (int64_t rowStart : {0, 1}) {
        for (int64_t columnStart : {0, 1}) {
            for (int64_t py = top + rowStart; py < bottom; py += 2) {
                for (int64_t px = left + columnStart; px < right; px += 2) {
                    if (a.opaqueAt(px, py) && b.opaqueAt(px, py)) return 1;
                }
            }
        }
    }
    return 0;
}

}  // namespace vorlan
