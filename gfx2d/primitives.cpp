// Points, lines and filled rectangles in one colour.
#include <GL/gl.h>
#include <vorlan/sprites.h>

#include "gfx2d/draw_state.h"
#include "gfx2d/game_window.h"
#include "gfx2d/gl_scopes.h"
#include "gfx2d/sprite_slots.h"

namespace vorlan {

namespace {

// Sets up the shared frame of the primitives: the colour (alpha 0 for the
// key colour), no texture, no alpha test and the pixel-centre offset.
// Returns false when nothing can be drawn.
bool beginPrimitive(double colourArgument_) {
    if (!drawingReady()) return false;
    flushQuads();
    int32_t colour = colourArgument(colourArgument_);
    float a = drawState.globalAlpha;
    auto channel = [&](int shift) {
        return static_cast<GLubyte>(static_cast<float>((colour >> shift) & 0xFF) * a);
    };
    GLubyte alpha = colour == spriteStore.spriteKeyColour ? 0 : static_cast<GLubyte>(a * 255);
    glDisable(GL_ALPHA_TEST);
    glColor4ub(channel(0), channel(8), channel(16), alpha);
    bindSlotTextures(-1, -1, false);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glTranslatef(0.375f, 0.375f, 0);
    glMatrixMode(GL_MODELVIEW);
    return true;
}

void endPrimitive() {
    flushQuads();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    applyGlobalAlpha();
    glEnable(GL_ALPHA_TEST);
}

}  // namespace

void plotPoint(double x, double y, double colour) {
    if (!beginPrimitive(colour)) return;
    glBegin(GL_POINTS);
    glVertex2f(static_cast<float>(x), static_cast<float>(y));
    glEnd();
    endPrimitive();
}

void drawLine(double x1, double y1, double x2, double y2, double colour) {
    if (!beginPrimitive(colour)) return;
    glBegin(GL_LINES);
    glVertex2f(static_cast<float>(x1), static_cast<float>(y1));
    glVertex2f(static_cast<float>(x2), static_cast<float>(y2));
    glEnd();
    // Lines leave out their last pixel.
    glBegin(GL_POINTS);
    glVertex2f(static_cast<float>(x2), static_cast<float>(y2));
    glEnd();
    endPrimitive();
}

void fillRect(double xArgument, double yArgument, double width, double height, double colour) {
    if (!beginPrimitive(colour)) return;
    float x = static_cast<float>(xArgument);
    float y = static_cast<float>(yArgument);
    float w = static_cast<float>(width);
    float h = static_cast<float>(height);
    // A negative size covers the pixels up to and including x (or y).
    if (w < 0) {
        w = -w;
        x = x - w + 1;
    }
    if (h < 0) {
        h = -h;
        y = y - h + 1;
    }
    drawQuad({{x, y + h, 0, 0}, {x + w, y + h, 0, 0}, {x + w, y, 0, 0}, {x, y, 0, 0}});
    endPrimitive();
}

double getPixel(double xArgument, double yArgument) {
    if (!drawingReady()) return -1;
    int32_t x = truncatedArgument(xArgument);
    int32_t y = truncatedArgument(yArgument);
    if (x < 0 || y < 0 || x >= gameWindow->screenWidth || y >= gameWindow->screenHeight) return -1;
    flushQuads();
    PixelStoreScope tightRows;
    GLint readBuffer = GL_BACK;
    glGetIntegerv(GL_READ_BUFFER, &readBuffer);
    glReadBuffer(gameWindow->surfaceReadBuffer());
    GLubyte rgb[3] = {0, 0, 0};
    glReadPixels(x, gameWindow->screenHeight - 1 - y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    glReadBuffer(static_cast<GLenum>(readBuffer));
    return rgb[0] + 256.0 * rgb[1] + 65536.0 * rgb[2];
}

void setViewport(double x, double y, double width, double height) {
    if (!drawingReady()) return;
    gameWindow->setup2D(truncatedArgument(x), truncatedArgument(y), truncatedArgument(width),
                        truncatedArgument(height));
    // setup2D resets the colour; the alpha mode still holds.
    applyGlobalAlpha();
}

}  // namespace vorlan
