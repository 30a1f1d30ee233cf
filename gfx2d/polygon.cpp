// Textured or coloured triangle fans with a colour per vertex.
#include <GL/gl.h>
#include <vorlan/sprites.h>

#include <algorithm>
#include <cstdlib>

#include "core/errors.h"
#include "gfx2d/draw_state.h"
#include "gfx2d/game_window.h"
#include "gfx2d/sprite_slots.h"

namespace vorlan {

namespace {

struct PolygonVertex {
    float x, y, s, t, red, green, blue, alpha;
};

// Kept for the whole process; the vertices stay until the next
// startPolygon.
PolygonVertex* vertices = nullptr;
size_t vertexCount = 0;
size_t vertexRoom = 0;

struct ReleaseAtExit {
    ~ReleaseAtExit() { std::free(vertices); }
} releaseAtExit;

constexpr size_t kInitialRoom = 512;
// glDrawArrays counts in GLsizei.
constexpr size_t kMostVertices = INT32_MAX;

// Room for `count` vertices, growing geometrically; no memory is a runtime
// error.
void ensureRoom(size_t count, const char* operation = __builtin_FUNCTION()) {
    if (vertexRoom >= count) return;
    size_t room = std::max(kInitialRoom, vertexRoom);
    while (room < count && room <= kMostVertices / 2) room *= 2;
    void* grown = room >= count ? std::realloc(vertices, room * sizeof(PolygonVertex)) : nullptr;
    if (!grown) fatalRuntimeError(RuntimeError::OutOfRange, operation);
    vertices = static_cast<PolygonVertex*>(grown);
    vertexRoom = room;
}

}  // namespace

void startPolygon(double slotArgument) {
    if (!drawingReady()) return;
    int32_t slot = truncatedArgument(slotArgument);
    // A slot outside the table draws the polygon untextured.
    bindSlotTextures(validSlot(slot) ? slot : -1, -1, false);
    ensureRoom(9);
    vertexCount = 0;
}

void addPolygonVertex(double x, double y, double textureX, double textureY, double colour) {
    if (!drawingReady()) return;
    int32_t slot = drawState.boundSlot;
    float s = 0, t = 0;
    if (validSlot(slot)) {
        const SpriteSlotTable& table = spriteStore.slots;
        s = static_cast<float>(textureX) / static_cast<float>(table.textureWidth[slot]);
        t = static_cast<float>(table.height[slot] - textureY) /
            static_cast<float>(table.textureHeight[slot]);
    }
    int32_t c = colourArgument(colour);
    float a = drawState.globalAlpha;
    auto channel = [&](int shift) { return static_cast<float>((c >> shift) & 0xFF) / 255 * a; };
    ensureRoom(vertexCount + 1);
    vertices[vertexCount++] = {static_cast<float>(truncatedArgument(x)),
                               static_cast<float>(truncatedArgument(y)),
                               s,
                               t,
                               channel(0),
                               channel(8),
                               channel(16),
                               c == spriteStore.spriteKeyColour ? 0.0f : 1.0f};
}

void endPolygon() {
    if (!drawingReady() || vertexCount == 0) return;
    flushQuads();
    bool textured = drawState.boundSlot >= 0;
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_DITHER);
    glShadeModel(GL_SMOOTH);
    const PolygonVertex* first = vertices;
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(2, GL_FLOAT, sizeof(PolygonVertex), &first->x);
    if (textured) {
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(2, GL_FLOAT, sizeof(PolygonVertex), &first->s);
    }
    glEnableClientState(GL_COLOR_ARRAY);
    glColorPointer(4, GL_FLOAT, sizeof(PolygonVertex), &first->red);
    glDrawArrays(GL_TRIANGLE_FAN, 0, static_cast<GLsizei>(vertexCount));
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glShadeModel(GL_FLAT);
    glEnable(GL_TEXTURE_2D);
    forgetTextureBinding();
    applyGlobalAlpha();
    glDisable(GL_DITHER);
    glDisable(GL_COLOR_MATERIAL);
}

}  // namespace vorlan
