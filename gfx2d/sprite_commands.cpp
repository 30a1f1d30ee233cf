// The game's commands on the sprite store.
#include <vorlan/sprites.h>

#include "app/renderer.h"
#include "files/media_archive.h"
#include "gfx2d/draw_state.h"
#include "gfx2d/sprite_store.h"

namespace vorlan {

namespace {

constexpr int32_t kBumpMapKeyColour = 0x8000FF;

void loadInto(const RtString& fileName, double slotArgument, bool normalMap) {
    int32_t slot = truncatedArgument(slotArgument);
    if (!renderer || !validSlot(slot)) return;
    freeSprite(slot);
    // The resolved path goes into a text of our own: the caller's name
    // stays as it was given.
    RtString path;
    if (!resolveMediaName(fileName.cStr(), path)) return;
    int32_t key = normalMap ? kBumpMapKeyColour : renderer->spriteKeyColour;
    loadSpriteFile(slot, path.cStr(), key, normalMap);
}

}  // namespace

void loadSprite(const RtString& fileName, double slot) {
    loadInto(fileName, slot, false);
}

void loadBumpMap(const RtString& fileName, double slot) {
    loadInto(fileName, slot, true);
}

void setTransparentColour(double colour) {
    if (!renderer) return;
    renderer->spriteKeyColour = colourArgument(colour);
    renderer->fontKeyColour = renderer->spriteKeyColour;
}

void getSpriteSize(double slotArgument, double& width, double& height) {
    int32_t slot = truncatedArgument(slotArgument);
    width = 0;
    height = 0;
    if (!renderer || !validSlot(slot)) return;
    width = renderer->slots.width[slot];
    height = renderer->slots.height[slot];
}

}  // namespace vorlan
