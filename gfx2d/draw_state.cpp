#include "gfx2d/draw_state.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <vector>

#include "app/gl_extensions.h"
#include "app/renderer.h"
#include "platform/window.h"
#include "value/number_conversion.h"

namespace vorlan {

namespace {

using ActiveTextureCall = void (*)(GLenum);

// No texture has this name: a unit whose binding is not known.
constexpr GLuint kUnknownTexture = 0xFFFFFFFF;

// What the binder last set, so that a bind repeating it can be skipped.
struct TextureBinding {
    bool known = false;
    bool unit0Enabled = false;
    GLuint unit0Texture = kUnknownTexture;
    bool unit1Enabled = false;
    GLuint unit1Texture = kUnknownTexture;
};

TextureBinding binding;
bool batching = true;

// Enough quads to keep a whole frame of sprites in one draw call while the
// state stays.
constexpr size_t kBatchVertices = 4 * 4096;
std::vector<QuadCorner> queued;

void setUnitTexture(bool enable, GLuint texture, bool& enabled, GLuint& bound) {
    bool force = !batching || !binding.known;
    if (enable) {
        if (force || bound != texture) glBindTexture(GL_TEXTURE_2D, texture);
        if (force || !enabled) glEnable(GL_TEXTURE_2D);
    } else if (force || enabled) {
        glDisable(GL_TEXTURE_2D);
    }
    enabled = enable;
    if (enable) bound = texture;
}

bool bindingChanges(bool unit0, GLuint texture0, bool unit1, GLuint texture1) {
    if (!batching || !binding.known) return true;
    if (unit0 != binding.unit0Enabled || unit1 != binding.unit1Enabled) return true;
    if (unit0 && texture0 != binding.unit0Texture) return true;
    return unit1 && texture1 != binding.unit1Texture;
}

GLuint slotTexture(int32_t slot, bool mip, const uint32_t* table) {
    if (!validSlot(slot)) return 0;
    if (table) return table[slot];
    return mip ? renderer->slots.mipTexture[slot] : renderer->slots.texture[slot];
}

}  // namespace

bool drawingReady() {
    return renderer && renderer->contextReady && renderer->windowOpen && platform::windowExists();
}

void bindSlotTextures(int32_t slot, int32_t secondSlot, bool mip, const uint32_t* table) {
    if (!drawingReady()) return;
    renderer->boundSlot = slot;
    renderer->boundSecondSlot = secondSlot;
    renderer->boundMip = mip;
    auto activeTexture = reinterpret_cast<ActiveTextureCall>(glExtensions.activeTexture);
    if (!activeTexture) {
        bool enable = slot >= 0;
        GLuint texture = slotTexture(slot, mip, table);
        if (!bindingChanges(enable, texture, false, 0)) return;
        flushQuads();
        if (!enable) glEnable(GL_COLOR_MATERIAL);
        setUnitTexture(enable, texture, binding.unit0Enabled, binding.unit0Texture);
        binding.known = true;
        return;
    }
    bool unit1 = slot >= 0 && secondSlot >= 0;
    GLuint texture1 = unit1 ? slotTexture(slot, mip, table) : 0;
    bool unit0 = slot >= 0;
    GLuint texture0 = unit0 ? slotTexture(secondSlot >= 0 ? secondSlot : slot, mip, table) : 0;
    if (!bindingChanges(unit0, texture0, unit1, texture1)) return;
    flushQuads();
    activeTexture(GL_TEXTURE1_ARB);
    setUnitTexture(unit1, texture1, binding.unit1Enabled, binding.unit1Texture);
    activeTexture(GL_TEXTURE0_ARB);
    setUnitTexture(unit0, texture0, binding.unit0Enabled, binding.unit0Texture);
    binding.known = true;
}

void drawQuad(const QuadCorner (&corners)[4]) {
    if (!drawingReady()) return;
    if (!batching) {
        glBegin(GL_QUADS);
        for (const QuadCorner& c : corners) {
            glTexCoord2f(c.s, c.t);
            glVertex2f(c.x, c.y);
        }
        glEnd();
        return;
    }
    if (queued.capacity() == 0) queued.reserve(kBatchVertices);
    queued.insert(queued.end(), corners, corners + 4);
    if (queued.size() >= kBatchVertices) flushQuads();
}

void flushQuads() {
    if (queued.empty()) return;
    if (!drawingReady()) {
        queued.clear();
        return;
    }
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(2, GL_FLOAT, sizeof(QuadCorner), &queued[0].x);
    glTexCoordPointer(2, GL_FLOAT, sizeof(QuadCorner), &queued[0].s);
    glDrawArrays(GL_QUADS, 0, static_cast<GLsizei>(queued.size()));
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    queued.clear();
}

void forgetTextureBinding() {
    binding = TextureBinding{};
}

void discardQuads() {
    queued.clear();
    forgetTextureBinding();
}

void setDrawBatching(bool on) {
    flushQuads();
    batching = on;
    forgetTextureBinding();
}

bool drawBatching() {
    return batching;
}

int32_t truncatedArgument(double value) {
    return truncateToInt32(value);
}

int32_t colourArgument(double value) {
    return static_cast<int32_t>(static_cast<uint32_t>(truncateToInt64OrZero(value)));
}

void applyGlobalAlpha() {
    float a = renderer ? renderer->globalAlpha : 1.0f;
    glColor4f(a, a, a, a);
}

}  // namespace vorlan
