// The core every 2D drawing path goes through: the texture binder, the quad
// emitter with its batch, and the rules shared by the drawing commands.
//
// Quads are batched: drawQuad only queues its corners while the GL state
// stays the same, and flushQuads draws the queue. So any code that changes
// GL state (colour, blending, matrices, bound textures, front face,
// viewport) or reads pixels back outside these calls must call flushQuads
// first; after binding a texture directly, call forgetTextureBinding.
#pragma once

#include <cstdint>

namespace vorlan {

// What every draw is coloured with and which slots are bound: all back to
// their defaults when the window goes.
struct DrawState {
    // Every draw is coloured with it; presentFrame sets it back to 1.
    float globalAlpha = 1;
    // The last slots given to bindSlotTextures (-1 for none).
    int32_t boundSlot = -1;
    int32_t boundSecondSlot = -1;
    bool boundMip = false;
};

extern DrawState drawState;

struct QuadCorner {
    float x;
    float y;
    float s;
    float t;
};

// True while there is a game window with a live window and GL context; every
// command does nothing otherwise.
bool drawingReady();

// Binds the texture of `slot` (mip texture when `mip`; `table[slot]` when a
// table is given) on unit 0, or no texture for slot < 0, and records the
// slots as the bound ones. `secondSlot` >= 0 binds the first slot on unit 1
// and the second on unit 0. Binds that change nothing are skipped.
void bindSlotTextures(int32_t slot, int32_t secondSlot, bool mip, const uint32_t* table = nullptr);
// One GL_QUADS primitive with the four corners in the given order. The
// corners are in the view's pixels (the 2D transform of setup2D) unless
// `inPixels` is false: then the quad is drawn alone, never skipped.
// While batching, a quad wholly outside the view is skipped, and quads that
// share no pixel may be drawn in another order (the bytes are the same).
void drawQuad(const QuadCorner (&corners)[4], bool inPixels = true);
// Draws the queued quads; call before any GL state change or read-back.
void flushQuads();
// Drops the binder's idea of what is bound (after glBindTexture, texture
// deletion or a glEnable/glDisable of texturing done elsewhere).
void forgetTextureBinding();
// Drops the queue unseen and forgets the binding: the context is going.
void discardQuads();

// Off: every quad is drawn at once, every bind is made and empty slots are
// drawn as empty quads. Drawing gives the same pixels either way.
void setDrawBatching(bool on);
bool drawBatching();

// A slot or coordinate argument, truncated toward zero.
int32_t truncatedArgument(double value);
// A colour argument: truncated to 64 bits, the low 32 kept (-1 stays -1).
int32_t colourArgument(double value);

// The current colour as the global alpha makes it: (a, a, a, a).
void applyGlobalAlpha();

}  // namespace vorlan
