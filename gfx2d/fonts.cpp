#include "gfx2d/fonts.h"

#include <vorlan/fonts.h>

#include <algorithm>
#include <cmath>

#include <string>

#include "core/warnings.h"
#include "files/media_archive.h"
#include "gfx2d/builtin_font.h"
#include "gfx2d/draw_state.h"
#include "gfx2d/game_window.h"
#include "gfx2d/sprite_slots.h"
#include "gfx2d/sprite_store.h"

namespace vorlan {

namespace {

int32_t current = 0;

}  // namespace

int32_t currentFont() {
    return current;
}

void makeBuiltinFont(int32_t font) {
    int32_t slot = fontSlot(font);
    // Freed first, so nothing of an earlier font (its collision mask) stays.
    freeSprite(slot);
    PixelBuffer picture;
    if (!makeBuiltinFontPicture(picture)) return;
    uint32_t texture = 0;
    UploadedTexture made;
    if (!uploadTexture(picture, 0, 0, 0, 0, texture, nullptr, false, true, &made)) return;
    replaceSlotTexture(slot, texture, 0, made.textureWidth, made.textureHeight, made.width,
                       made.height);
}

FontGrid fontGridOf(int32_t font) {
    if (!gameWindow) return {};
    const SpriteSlotTable& slots = spriteStore.slots;
    int32_t slot = fontSlot(font);
    return fontGrid(slots.width[slot], slots.height[slot], slots.textureWidth[slot],
                    slots.textureHeight[slot]);
}

void printString(int32_t font, const char* text, size_t length, double x, double y) {
    if (length == 0 || !drawingReady()) return;
    FontGrid grid = fontGridOf(font);
    if (grid.cellWidth == 0 || grid.cellHeight == 0) return;
    bindSlotTextures(fontSlot(font), -1, false);
    const auto* bytes = reinterpret_cast<const uint8_t*>(text);
    double left = std::ceil(x);
    double top = std::ceil(y);
    // Fixed blocks, however long the text.
    static GlyphQuad batch[kTextBatch];
    static uint8_t codes[kTextBatch];
    size_t at = 0, printed = 0;
    while (at < length) {
        size_t count = 0;
        while (count < kTextBatch && at < length) {
            at += nextCharacter(bytes + at, length - at, codes[count++]);
        }
        layoutGlyphs(grid, codes, count, left + static_cast<double>(printed) * grid.cellWidth, top,
                     batch);
        for (size_t i = 0; i < count; ++i) drawQuad(batch[i]);
        printed += count;
    }
}

namespace {

// A number outside 0..31 names no font: taking the nearest one would
// replace a font the game loaded.
bool knownFont(double number) {
    return number > -1 && number < kFontCount;
}

// The file, or the built-in font when it cannot be loaded; `report` says
// whether a person hears about the failure.
void loadFontFile(const RtString& fileName, int32_t font, bool report) {
    current = font;
    if (!drawingReady()) return;
    RtString path;
    std::string why;
    if (!resolveMediaName(fileName.cStr(), path)) {
        why = notFoundCause(fileName.cStr());
    } else if (loadSpriteFile(fontSlot(font), path.cStr(), spriteStore.fontKeyColour, false,
                              &why)) {
        return;
    }
    // An empty name asks for the built-in font.
    if (report && fileName.length() > 0) {
        warnFailedFile("load font", fileName.cStr(), " into font " + std::to_string(font),
                       why + "; the built-in font stands in");
    }
    makeBuiltinFont(font);
}

}  // namespace

void loadStartupFont() {
    loadFontFile("", 0, false);
    loadFontFile("smalfont.bmp", 0, false);
}

void loadFont(const RtString& fileName, double number) {
    if (!gameWindow) return warnRuntimeAbsent("loadFont");
    if (!knownFont(number)) {
        return warnFailedFile("load font", fileName.cStr(), " into font " + numberText(number),
                              "font number " + outOfRange(kFontCount - 1));
    }
    loadFontFile(fileName, fontNumber(number), true);
}

void setFont(double number) {
    if (!knownFont(number)) {
        return warnBadNumber("font", number, kFontCount - 1, "the font stays as it was");
    }
    current = fontNumber(number);
}

void printText(const RtString& text, double x, double y) {
    printString(current, text.cStr(), text.length(), x, y);
}

void printNumber(double number, double x, double y) {
    RtString text = numberToText(number);
    printString(current, text.cStr(), text.length(), x, y);
}

double textWidth(const RtString& text) {
    return static_cast<double>(printedLength(text.cStr(), text.length())) *
           fontGridOf(current).cellWidth;
}

void getFontSize(double& width, double& height) {
    FontGrid grid = fontGridOf(current);
    width = grid.cellWidth;
    height = grid.cellHeight;
}

}  // namespace vorlan
