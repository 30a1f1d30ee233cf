// Sprite drawing, the alpha mode and clearing the screen.
#include <GL/gl.h>
#include <vorlan/sprites.h>

#include <cmath>

#include "core/warnings.h"
#include "gfx2d/draw_state.h"
#include "gfx2d/game_window.h"
#include "gfx2d/sprite_slots.h"
#include "gfx2d/tile_sets.h"

namespace vorlan {

namespace {

struct SlotView {
    float width;
    float height;
    float s;  // right edge of the picture in texture units
    float t;  // top edge of the picture in texture units
    float textureWidth;
    float textureHeight;
};

bool emptySlot(int32_t slot) {
    const SpriteSlotTable& s = spriteStore.slots;
    return s.texture[slot] == 0 || s.width[slot] <= 0 || s.height[slot] <= 0;
}

// Binds the slot and describes it; false when there is nothing to draw.
// An empty slot is skipped while batching; drawn as an empty quad
// otherwise, which shows nothing either.
bool prepareSlot(int32_t slot, SlotView& view) {
    if (!validSlot(slot)) {
        warnBadNumber("sprite slot", slot, kSpriteSlotCount - 1, "nothing drawn");
        return false;
    }
    if (!drawingReady()) return false;
    if (drawBatching() && emptySlot(slot)) {
        drawState.boundSlot = slot;
        drawState.boundSecondSlot = -1;
        drawState.boundMip = false;
        return false;
    }
    bindSlotTextures(slot, -1, false);
    const SpriteSlotTable& s = spriteStore.slots;
    view.width = static_cast<float>(s.width[slot]);
    view.height = static_cast<float>(s.height[slot]);
    view.textureWidth = static_cast<float>(s.textureWidth[slot]);
    view.textureHeight = static_cast<float>(s.textureHeight[slot]);
    view.s = view.width / view.textureWidth;
    view.t = view.height / view.textureHeight;
    return true;
}

void drawStretched(int32_t slot, float x, float y, float width, float height) {
    SlotView v;
    if (!prepareSlot(slot, v)) return;
    x = std::ceil(x);
    y = std::ceil(y);
    width = std::ceil(width);
    height = std::ceil(height);
    // A mirrored quad turns its back to the viewer; it must not be culled.
    bool mirrored = (width < 0) != (height < 0);
    if (mirrored) {
        flushQuads();
        glFrontFace(GL_CW);
    }
    drawQuad({{x, y + height, 0, 0},
              {x + width, y + height, v.s, 0},
              {x + width, y, v.s, v.t},
              {x, y, 0, v.t}});
    if (mirrored) {
        flushQuads();
        glFrontFace(GL_CCW);
    }
}

}  // namespace

void clearScreen() {
    if (!drawingReady()) return;
    freeTileSet(0);
    flushQuads();
    glClear(GL_COLOR_BUFFER_BIT);
}

void setAlphaMode(double alpha) {
    if (!drawingReady()) return;
    float a = std::isnan(alpha) ? 0.0f : static_cast<float>(alpha);
    flushQuads();
    if (a == 0) {
        glDisable(GL_BLEND);
        a = 1;
    } else if (a < 0) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        a = -a;
    } else {
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE);
    }
    drawState.globalAlpha = a > 1 ? 1.0f : a;
    applyGlobalAlpha();
}

void drawSprite(double slotArgument, double x, double y) {
    SlotView v;
    if (!prepareSlot(truncatedArgument(slotArgument), v)) return;
    // Whole pixels, rounded up.
    float left = std::ceil(static_cast<float>(x));
    float top = std::ceil(static_cast<float>(y));
    drawQuad({{left + v.width, top, v.s, v.t},
              {left, top, 0, v.t},
              {left, top + v.height, 0, 0},
              {left + v.width, top + v.height, v.s, 0}});
}

void drawSpriteStretched(double slot, double x, double y, double width, double height) {
    drawStretched(truncatedArgument(slot), static_cast<float>(x), static_cast<float>(y),
                  static_cast<float>(width), static_cast<float>(height));
}

void drawSpriteZoomed(double slotArgument, double x, double y, double zoomX, double zoomY) {
    int32_t slot = truncatedArgument(slotArgument);
    if (!validSlot(slot)) {
        return warnBadNumber("sprite slot", slot, kSpriteSlotCount - 1, "nothing drawn");
    }
    if (!gameWindow) return warnRuntimeAbsent("drawSpriteZoomed");
    double width = spriteStore.slots.width[slot];
    double height = spriteStore.slots.height[slot];
    double w = zoomX * width;
    double h = zoomY * height;
    // The centre stays where an unzoomed draw would put it.
    drawStretched(slot, static_cast<float>(x - (w - width) / 2),
                  static_cast<float>(y - (h - height) / 2), static_cast<float>(w),
                  static_cast<float>(h));
}

void drawSpriteRotoZoom(double slotArgument, double x, double y, double angle, double zoom) {
    int32_t slot = truncatedArgument(slotArgument);
    SlotView v;
    if (!prepareSlot(slot, v)) return;
    float halfWidth = v.width * static_cast<float>(zoom) / 2;
    float halfHeight = v.height * static_cast<float>(zoom) / 2;
    // The left and bottom edges sit half a texel in.
    float ds = 0.5f / v.textureWidth;
    float dt = 0.5f / v.textureHeight;
    int32_t width = spriteStore.slots.width[slot];
    int32_t height = spriteStore.slots.height[slot];
    flushQuads();
    glPushMatrix();
    glTranslatef(static_cast<float>(x) + static_cast<float>(width / 2),
                 static_cast<float>(y) + static_cast<float>(height / 2), 0);
    // Around -z: positive angles turn counter-clockwise on the screen.
    glRotatef(static_cast<float>(angle), 0, 0, -1);
    drawQuad({{-halfWidth, halfHeight, ds, dt},
              {halfWidth, halfHeight, v.s, dt},
              {halfWidth, -halfHeight, v.s, v.t},
              {-halfWidth, -halfHeight, ds, v.t}},
             false);
    glPopMatrix();
}

void drawSpriteRotated(double slot, double x, double y, double angle) {
    drawSpriteRotoZoom(slot, x, y, angle, 1);
}

}  // namespace vorlan
