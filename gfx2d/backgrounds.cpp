// The game's commands on backgrounds, screen grabs and saved pictures.
#include <vorlan/app.h>
#include <vorlan/backgrounds.h>

#include <GL/gl.h>

#include <string>
#include <vector>

#include "core/event_pump.h"
#include "core/warnings.h"
#include "files/media_archive.h"
#include "gfx2d/draw_state.h"
#include "gfx2d/game_window.h"
#include "gfx2d/gl_scopes.h"
#include "gfx2d/image_writer.h"
#include "gfx2d/sprite_slots.h"
#include "gfx2d/tile_sets.h"

namespace vorlan {

namespace {

constexpr int32_t kBackground = 0;
constexpr int32_t kFadeTarget = 1;
constexpr int32_t kFadeSource = 2;
constexpr double kFadeMs = 1500;

// The blend function as a command found it.
struct BlendFunction {
    GLint source = GL_ONE;
    GLint destination = GL_ZERO;

    BlendFunction() {
        glGetIntegerv(GL_BLEND_SRC, &source);
        glGetIntegerv(GL_BLEND_DST, &destination);
    }
    void restore() const {
        glBlendFunc(static_cast<GLenum>(source), static_cast<GLenum>(destination));
    }
};

}  // namespace

void loadBackground(const RtString& fileName) {
    if (!gameWindow) return warnRuntimeAbsent("loadBackground");
    if (!drawingReady()) return;
    RtString path;
    std::string why;
    if (!resolveMediaName(fileName.cStr(), path)) {
        why = notFoundCause(fileName.cStr());
    } else if (loadTileSet(kBackground, path.cStr(), &why)) {
        drawTileSet(kBackground);
        return;
    }
    warnFailedFile("load background", fileName.cStr(), "", why);
    freeTileSet(kBackground);
    flushQuads();
    glClear(GL_COLOR_BUFFER_BIT);
}

void fadeToBackground(const RtString& fileName) {
    if (!gameWindow) return warnRuntimeAbsent("fadeToBackground");
    if (!drawingReady()) return;
    RtString path;
    if (!resolveMediaName(fileName.cStr(), path)) {
        return warnFailedFile("fade to background", fileName.cStr(), "",
                              notFoundCause(fileName.cStr()));
    }
    grabTileSet(kFadeSource);
    std::string why;
    if (!loadTileSet(kFadeTarget, path.cStr(), &why)) {
        warnFailedFile("fade to background", fileName.cStr(), "", why);
    }
    freeTileSet(kBackground);
    glClear(GL_COLOR_BUFFER_BIT);
    BlendFunction found;

    double start = clockMs();
    for (;;) {
        // The share of the old picture, from the clock before every frame.
        double f = (start + kFadeMs - clockMs()) / kFadeMs;
        if (!(f > 0 && f < 1)) break;
        drawCrossFade(kFadeSource, kFadeTarget, f);
        presentFrame();
    }
    freeTileSet(kFadeSource);
    moveTileSet(kFadeTarget, kBackground);

    // The last frame shows the new background alone, drawn as every frame
    // starts, and leaves the blend function as the fade found it.
    glDisable(GL_BLEND);
    found.restore();
    drawState.globalAlpha = 1;
    glColor4f(1, 1, 1, 1);
    drawTileSet(kBackground);
    presentFrame();
}

void grabBackground() {
    grabTileSet(kBackground);
}

void saveScreen(const RtString& fileName) {
    if (!gameWindow) return warnRuntimeAbsent("saveScreen");
    if (!drawingReady()) return;
    int32_t width = gameWindow->screenWidth;
    int32_t height = gameWindow->screenHeight;
    if (width <= 0 || height <= 0) return;
    flushQuads();
    PixelStoreScope packed;  // rows of exactly width x 3 bytes
    std::vector<uint8_t> block(static_cast<size_t>(width) * 3 * static_cast<size_t>(height));
    glReadBuffer(gameWindow->surfaceReadBuffer());
    glReadPixels(0, 0, width, height, GL_BGR, GL_UNSIGNED_BYTE, block.data());
    BgrImage image{block.data(), width, height, static_cast<size_t>(width) * 3, height};
    // The screen as it is: a screenshot has no key colour, so black stays
    // black after setTransparentColour(0).
    if (!writeImageFile(fileName.cStr(), image, -1)) {
        warnFailedFile("save the screen to", fileName.cStr(), "", "the file cannot be written");
    }
}

void saveSprite(double slotArgument, const RtString& fileName) {
    int32_t slot = truncatedArgument(slotArgument);
    if (!drawingReady()) return;
    if (!validSlot(slot)) {
        return warnBadNumber("sprite slot", slotArgument, kSpriteSlotCount - 1, "nothing saved");
    }
    const SpriteSlotTable& slots = spriteStore.slots;
    int32_t textureWidth = slots.textureWidth[slot];
    int32_t textureHeight = slots.textureHeight[slot];
    if (slots.texture[slot] == 0 || slots.width[slot] <= 0 || slots.height[slot] <= 0 ||
        textureWidth < slots.width[slot] || textureHeight < slots.height[slot]) {
        return;
    }
    flushQuads();
    // The texture's rows are wider than the picture's: read them whole,
    // tightly packed, and let the writer take the picture's part.
    std::vector<uint8_t> block(static_cast<size_t>(textureWidth) * 3 *
                               static_cast<size_t>(textureHeight));
    {
        PixelStoreScope packed;
        TextureBindingScope keepBinding;
        glBindTexture(GL_TEXTURE_2D, slots.texture[slot]);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_BGR, GL_UNSIGNED_BYTE, block.data());
    }
    BgrImage image{block.data(), slots.width[slot], slots.height[slot],
                   static_cast<size_t>(textureWidth) * 3, textureHeight};
    if (!writeImageFile(fileName.cStr(), image, spriteStore.spriteKeyColour)) {
        warnFailedFile("save sprite to", fileName.cStr(), "", "the file cannot be written");
    }
}

}  // namespace vorlan
