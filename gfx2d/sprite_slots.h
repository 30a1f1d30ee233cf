// The sprite store: 65536 numbered slots kept as parallel arrays, and the key
// colours pictures are loaded with. Fonts live in the top 32 slots.
#pragma once

#include <cstdint>
#include <memory>

namespace vorlan {

inline constexpr int32_t kSpriteSlotCount = 65536;
inline constexpr int32_t FONT_SLOT_BASE = 65504;

struct SpriteSlotTable {
    SpriteSlotTable();

    // Texture names (0 for none) and the power-of-two texture sizes (-1
    // for none). The picture fills columns 0..width-1 and rows
    // 0..height-1, texture row 0 holding the picture's bottom row.
    uint32_t texture[kSpriteSlotCount];
    uint32_t mipTexture[kSpriteSlotCount];
    int32_t textureWidth[kSpriteSlotCount];
    int32_t textureHeight[kSpriteSlotCount];
    int32_t width[kSpriteSlotCount];
    int32_t height[kSpriteSlotCount];
    // textureWidth x textureHeight alpha bytes, made by the first collision
    // test and dropped with the texture it was read from.
    std::unique_ptr<uint8_t[]> alphaMask[kSpriteSlotCount];

    // Resets one slot's fields to empty; touches no GL object.
    void reset(int32_t slot);
};

struct SpriteStore {
    SpriteSlotTable slots;
    // Key colours: red + 256 x green + 65536 x blue, -1 for none.
    int32_t spriteKeyColour = 0x8000FF;
    int32_t fontKeyColour = 0;
};

// The process-wide store. Its textures live in the game window's context:
// the window empties it when it goes.
extern SpriteStore spriteStore;

// True for a slot number that indexes the table.
inline bool validSlot(int32_t slot) {
    return slot >= 0 && slot < kSpriteSlotCount;
}

}  // namespace vorlan
