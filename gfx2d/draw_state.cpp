#include "gfx2d/draw_state.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstddef>
#include <vector>

#include "core/warnings.h"
#include "gfx2d/game_window.h"
#include "gfx2d/gl_extensions.h"
#include "gfx2d/sprite_program.h"
#include "gfx2d/sprite_slots.h"
#include "platform/window.h"
#include "value/number_conversion.h"

namespace vorlan {

DrawState drawState;

namespace {

using ActiveTextureCall = void (*)(GLenum);

// No texture has this name: a unit whose binding is not known.
constexpr GLuint kUnknownTexture = 0xFFFFFFFF;

// The binding the drawing commands asked for. A change of unit 0's texture
// alone is not made at once while quads are queued: the queue remembers
// which texture each run of quads needs and binds it when it draws.
struct TextureBinding {
    bool known = false;
    bool unit0Enabled = false;
    GLuint unit0Texture = kUnknownTexture;
    bool unit1Enabled = false;
    GLuint unit1Texture = kUnknownTexture;
    // What GL really has bound on unit 0.
    GLuint unit0Bound = kUnknownTexture;
};

TextureBinding binding;
bool batching = true;

// Quads of one texture, in drawing order.
struct QuadRun {
    GLuint texture;
    GLint first;
    GLsizei count;
};

// Enough quads to keep a whole frame of sprites in one flush.
constexpr size_t kBatchVertices = 6 * 4096;
// A single quad costs less as an immediate primitive than as arrays set up
// and torn down; both give the same pixels.
constexpr size_t kImmediateVertices = 6;
std::vector<QuadCorner> queued;
std::vector<QuadRun> runs;

void bindUnit0(GLuint texture) {
    if (binding.unit0Bound == texture) return;
    glBindTexture(GL_TEXTURE_2D, texture);
    binding.unit0Bound = texture;
}

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
    return mip ? spriteStore.slots.mipTexture[slot] : spriteStore.slots.texture[slot];
}

GLuint vertexBuffer = 0;
PFNGLBINDBUFFERARBPROC bindArrayBuffer = nullptr;

// Puts the queue into the vertex buffer, made on first use; false when the
// driver has no buffer objects.
bool uploadQueue() {
    auto gen = reinterpret_cast<PFNGLGENBUFFERSARBPROC>(glExtensions.genBuffers);
    auto data = reinterpret_cast<PFNGLBUFFERDATAARBPROC>(glExtensions.bufferData);
    bindArrayBuffer = reinterpret_cast<PFNGLBINDBUFFERARBPROC>(glExtensions.bindBuffer);
    if (!gen || !data || !bindArrayBuffer) return false;
    if (vertexBuffer == 0) gen(1, &vertexBuffer);
    bindArrayBuffer(GL_ARRAY_BUFFER_ARB, vertexBuffer);
    data(GL_ARRAY_BUFFER_ARB, static_cast<GLsizeiptrARB>(queued.size() * sizeof(QuadCorner)),
         queued.data(), GL_STREAM_DRAW_ARB);
    return true;
}

// Only unit 0's texture changes, texturing stays on: the queue can take it.
bool deferrable(bool unit0, bool unit1, GLuint texture1) {
    if (!batching || !binding.known || queued.empty()) return false;
    if (!unit0 || !binding.unit0Enabled || unit1 != binding.unit1Enabled) return false;
    return !unit1 || texture1 == binding.unit1Texture;
}

}  // namespace

bool drawingReady() {
    if (!gameWindow) {
        warnRuntimeAbsent("a drawing operation");
        return false;
    }
    return gameWindow->contextReady && gameWindow->windowOpen && platform::windowExists();
}

void bindSlotTextures(int32_t slot, int32_t secondSlot, bool mip, const uint32_t* table) {
    if (!drawingReady()) return;
    drawState.boundSlot = slot;
    drawState.boundSecondSlot = secondSlot;
    drawState.boundMip = mip;
    auto activeTexture = reinterpret_cast<ActiveTextureCall>(glExtensions.activeTexture);
    bool unit1 = activeTexture && slot >= 0 && secondSlot >= 0;
    GLuint texture1 = unit1 ? slotTexture(slot, mip, table) : 0;
    bool unit0 = slot >= 0;
    GLuint texture0 = 0;
    if (unit0) texture0 = slotTexture(unit1 ? secondSlot : slot, mip, table);
    if (!bindingChanges(unit0, texture0, unit1, texture1)) return;
    if (deferrable(unit0, unit1, texture1)) {
        binding.unit0Texture = texture0;
        return;
    }
    flushQuads();
    if (!activeTexture) {
        if (!unit0) glEnable(GL_COLOR_MATERIAL);
    } else {
        // Unit 1 is only visited when its state changes: sprites leave it off.
        bool unit1Changes = !batching || !binding.known || unit1 != binding.unit1Enabled ||
                            (unit1 && texture1 != binding.unit1Texture);
        if (unit1Changes) {
            activeTexture(GL_TEXTURE1_ARB);
            setUnitTexture(unit1, texture1, binding.unit1Enabled, binding.unit1Texture);
            activeTexture(GL_TEXTURE0_ARB);
        }
    }
    setUnitTexture(unit0, texture0, binding.unit0Enabled, binding.unit0Bound);
    binding.unit0Texture = binding.unit0Bound;
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
    GLuint texture = binding.unit0Texture;
    if (runs.empty() || runs.back().texture != texture) {
        runs.push_back({texture, static_cast<GLint>(queued.size()), 0});
    }
    // Two triangles, split as the driver splits a quad, so the pixels match
    // a GL_QUADS primitive; triangles need no conversion in the driver.
    for (int i : {0, 1, 2, 0, 2, 3}) queued.push_back(corners[i]);
    runs.back().count += 6;
    if (queued.size() >= kBatchVertices) flushQuads();
}

void flushQuads() {
    if (queued.empty()) return;
    if (!drawingReady()) {
        queued.clear();
        runs.clear();
        return;
    }
    // Runs only differ in texture while texturing is on; with it off the
    // texture names play no part.
    bool texturing = binding.unit0Enabled;
    if (queued.size() <= kImmediateVertices) {
        if (texturing) bindUnit0(runs.front().texture);
        glBegin(GL_QUADS);
        for (int i : {0, 1, 2, 5}) {
            glTexCoord2f(queued[i].s, queued[i].t);
            glVertex2f(queued[i].x, queued[i].y);
        }
        glEnd();
    } else {
        bool program = texturing && !binding.unit1Enabled && useSpriteProgram();
        // One upload for the whole queue: client arrays would be copied
        // again for every run.
        bool buffered = uploadQueue();
        // From a bound buffer the pointers are byte offsets into it.
        const void* positions = buffered ? nullptr : &queued[0].x;
        const void* coordinates =
            buffered ? reinterpret_cast<const void*>(offsetof(QuadCorner, s)) : &queued[0].s;
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glVertexPointer(2, GL_FLOAT, sizeof(QuadCorner), positions);
        glTexCoordPointer(2, GL_FLOAT, sizeof(QuadCorner), coordinates);
        for (const QuadRun& run : runs) {
            if (texturing) bindUnit0(run.texture);
            glDrawArrays(GL_TRIANGLES, run.first, run.count);
        }
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        glDisableClientState(GL_VERTEX_ARRAY);
        if (program) stopSpriteProgram();
        if (buffered) bindArrayBuffer(GL_ARRAY_BUFFER_ARB, 0);
    }
    // GL's binding is the asked one again, for code that binds on its own.
    if (texturing) bindUnit0(binding.unit0Texture);
    queued.clear();
    runs.clear();
}

void forgetTextureBinding() {
    binding = TextureBinding{};
}

void discardQuads() {
    drawState = DrawState{};
    queued.clear();
    runs.clear();
    forgetTextureBinding();
    releaseSpriteProgram();
    auto remove = reinterpret_cast<PFNGLDELETEBUFFERSARBPROC>(glExtensions.deleteBuffers);
    if (vertexBuffer != 0 && remove) remove(1, &vertexBuffer);
    vertexBuffer = 0;
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
    float a = gameWindow ? drawState.globalAlpha : 1.0f;
    glColor4f(a, a, a, a);
}

}  // namespace vorlan
