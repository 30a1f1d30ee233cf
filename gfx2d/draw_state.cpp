#include "gfx2d/draw_state.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstddef>
#include <unordered_map>
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

// Quads of one texture. A quad joins the last run of its texture when no
// later run has drawn near it: quads that share no pixel give the same
// bytes in any order, and every texture change costs the driver a copy of
// its whole fragment state.
struct QuadRun {
    GLuint texture;
    GLint first;  // set when the queue is drawn
    GLsizei count;
};

// Enough quads to keep a whole frame of sprites in one flush.
constexpr size_t kBatchVertices = 6 * 16384;
// A single quad costs less as an immediate primitive than as arrays set up
// and torn down; both give the same pixels.
constexpr size_t kImmediateVertices = 6;
std::vector<QuadCorner> queued;  // six corners a quad, in drawing order
std::vector<int32_t> quadRuns;   // the run of each queued quad
std::vector<QuadRun> runs;
std::vector<QuadCorner> sorted;  // the queue run by run, for the upload
std::unordered_map<GLuint, int32_t> lastRunOf;

// Screen cells of kCell pixels; each holds the latest run that drew over it.
constexpr int32_t kCell = 16;
std::vector<int32_t> cellRuns;
int32_t cellColumns = 0;
int32_t cellRows = 0;

void startQueue() {
    cellColumns = gameWindow->viewport.width / kCell + 1;
    cellRows = gameWindow->viewport.height / kCell + 1;
    cellRuns.assign(static_cast<size_t>(cellColumns) * static_cast<size_t>(cellRows), -1);
}

int32_t cellOf(float v, int32_t count) {
    if (!(v > 0)) return 0;  // NaN too
    return v >= static_cast<float>(count * kCell) ? count - 1 : static_cast<int32_t>(v) / kCell;
}

// The run the quad joins, given its box in pixels (a pixel of margin
// covers the rasterizer's rounding).
int32_t placeQuad(GLuint texture, float left, float top, float right, float bottom) {
    int32_t x0 = cellOf(left - 1, cellColumns), x1 = cellOf(right + 1, cellColumns);
    int32_t y0 = cellOf(top - 1, cellRows), y1 = cellOf(bottom + 1, cellRows);
    int32_t latest = -1;
    for (int32_t y = y0; y <= y1; ++y) {
        for (int32_t x = x0; x <= x1; ++x) latest = std::max(latest, cellRuns[y * cellColumns + x]);
    }
    auto [found, fresh] = lastRunOf.try_emplace(texture, -1);
    if (fresh || found->second < latest) {
        found->second = static_cast<int32_t>(runs.size());
        runs.push_back({texture, 0, 0});
    }
    int32_t run = found->second;
    for (int32_t y = y0; y <= y1; ++y) {
        for (int32_t x = x0; x <= x1; ++x) cellRuns[y * cellColumns + x] = run;
    }
    return run;
}

// The queue in run order; each run's first vertex set.
void sortQueue() {
    GLint first = 0;
    for (QuadRun& run : runs) {
        run.first = first;
        first += run.count;
    }
    sorted.resize(queued.size());
    std::vector<GLint> next(runs.size());
    for (size_t r = 0; r < runs.size(); ++r) next[r] = runs[r].first;
    for (size_t q = 0; q < quadRuns.size(); ++q) {
        GLint& at = next[static_cast<size_t>(quadRuns[q])];
        std::copy_n(&queued[q * 6], 6, &sorted[static_cast<size_t>(at)]);
        at += 6;
    }
}

void clearQueue() {
    queued.clear();
    quadRuns.clear();
    runs.clear();
    lastRunOf.clear();
}

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

void drawQuad(const QuadCorner (&corners)[4], bool inPixels) {
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
    float left = corners[0].x, right = left, top = corners[0].y, bottom = top;
    for (const QuadCorner& c : corners) {
        left = std::min(left, c.x);
        right = std::max(right, c.x);
        top = std::min(top, c.y);
        bottom = std::max(bottom, c.y);
    }
    // Wholly outside the view it would draw no pixel, and may still cost a
    // texture change.
    float width = static_cast<float>(gameWindow->viewport.width);
    float height = static_cast<float>(gameWindow->viewport.height);
    if (inPixels && (right < -1 || bottom < -1 || left > width + 1 || top > height + 1)) return;
    // Other corners are drawn alone.
    if (!inPixels) flushQuads();
    if (queued.empty()) startQueue();
    if (queued.capacity() == 0) queued.reserve(kBatchVertices);
    int32_t run = placeQuad(binding.unit0Texture, left, top, right, bottom);
    // Two triangles, split as the driver splits a quad, so the pixels match
    // a GL_QUADS primitive; triangles need no conversion in the driver.
    for (int i : {0, 1, 2, 0, 2, 3}) queued.push_back(corners[i]);
    quadRuns.push_back(run);
    runs[static_cast<size_t>(run)].count += 6;
    if (queued.size() >= kBatchVertices || !inPixels) flushQuads();
}

void flushQuads() {
    if (queued.empty()) return;
    if (!drawingReady()) {
        clearQueue();
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
        sortQueue();
        bool program = texturing && !binding.unit1Enabled && useSpriteProgram();
        // Client arrays: the driver copies each run's vertices once, as it
        // draws them, and keeps no buffer of ours from frame to frame.
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glVertexPointer(2, GL_FLOAT, sizeof(QuadCorner), &sorted[0].x);
        glTexCoordPointer(2, GL_FLOAT, sizeof(QuadCorner), &sorted[0].s);
        for (const QuadRun& run : runs) {
            if (texturing) bindUnit0(run.texture);
            glDrawArrays(GL_TRIANGLES, run.first, run.count);
        }
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        glDisableClientState(GL_VERTEX_ARRAY);
        if (program) stopSpriteProgram();
    }
    // GL's binding is the asked one again, for code that binds on its own.
    if (texturing) bindUnit0(binding.unit0Texture);
    clearQueue();
}

void forgetTextureBinding() {
    binding = TextureBinding{};
}

void discardQuads() {
    drawState = DrawState{};
    clearQueue();
    forgetTextureBinding();
    releaseSpriteProgram();
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
