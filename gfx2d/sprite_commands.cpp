// The game's commands on the sprite store.
#include <vorlan/sprites.h>

#include <string>

#include "core/warnings.h"
#include "files/media_archive.h"
#include "gfx2d/draw_state.h"
#include "gfx2d/game_window.h"
#include "gfx2d/sprite_slots.h"
#include "gfx2d/sprite_store.h"

namespace vorlan {

namespace {

constexpr int32_t kBumpMapKeyColour = 0x8000FF;

void loadInto(const RtString& fileName, double slotArgument, bool normalMap) {
    if (!gameWindow) return warnRuntimeAbsent(normalMap ? "loadBumpMap" : "loadSprite");
    int32_t slot = truncatedArgument(slotArgument);
    const char* action = normalMap ? "load normal map" : "load picture";
    std::string target = " into sprite " + numberText(slotArgument);
    if (!validSlot(slot)) {
        return warnFailedFile(action, fileName.cStr(), target,
                              "slot number " + outOfRange(kSpriteSlotCount - 1));
    }
    freeSprite(slot);
    // The resolved path goes into a text of our own: the caller's name
    // stays as it was given.
    RtString path;
    if (!resolveMediaName(fileName.cStr(), path)) {
        return warnFailedFile(action, fileName.cStr(), target, notFoundCause(fileName.cStr()));
    }
    int32_t key = normalMap ? kBumpMapKeyColour : spriteStore.spriteKeyColour;
    std::string why;
    if (!loadSpriteFile(slot, path.cStr(), key, normalMap, &why)) {
        warnFailedFile(action, fileName.cStr(), target, why);
    }
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
    if (!gameWindow) return warnRuntimeAbsent("getSpriteSize");
    if (!validSlot(slot)) {
        return warnBadNumber("sprite slot", slotArgument, kSpriteSlotCount - 1, "size 0 x 0");
    }
    width = spriteStore.slots.width[slot];
    height = spriteStore.slots.height[slot];
}

}  // namespace vorlan
