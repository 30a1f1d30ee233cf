// The game's commands on the sprite store.
#include <vorlan/sprites.h>

#include "files/media_archive.h"
#include "gfx2d/draw_state.h"
#include "gfx2d/game_window.h"
#include "gfx2d/sprite_slots.h"
#include "gfx2d/sprite_store.h"

namespace vorlan {

namespace {

constexpr int32_t kBumpMapKeyColour = 0x8000FF;

void loadInto(const RtString& fileName, double slotArgument, bool normalMap) {
    int32_t slot = truncatedArgument(slotArgument);
    if (!gameWindow || !validSlot(slot)) return;
    freeSprite(slot);
    // The resolved path goes into a text of our own: the caller's name
    // stays as it was given.
    RtString path;
    if (!resolveMediaName(fileName.cStr(), path)) return;
    int32_t key = normalMap ? kBumpMapKeyColour : spriteStore.spriteKeyColour;
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
    if (!gameWindow) return;
    spriteStore.spriteKeyColour = colourArgument(colour);
    spriteStore.fontKeyColour = spriteStore.spriteKeyColour;
}

void getSpriteSize(double slotArgument, double& width, double& height) {
    int32_t slot = truncatedArgument(slotArgument);
    width = 0;
    height = 0;
    if (!gameWindow || !validSlot(slot)) return;
    width = spriteStore.slots.width[slot];
    height = spriteStore.slots.height[slot];
}

}  // namespace vorlan
