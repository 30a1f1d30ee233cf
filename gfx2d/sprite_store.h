// The sprite store: filling and emptying slots, and turning pictures into
// power-of-two textures. Internal to the runtime.
#pragma once

#include <cstdint>
#include <string>

#include "gfx2d/pixel_buffer.h"
#include "gfx2d/sprite_slots.h"

namespace vorlan {

// What uploadTexture actually made: the texture and picture sizes after
// clamping to the driver's maximum.
struct UploadedTexture {
    int32_t textureWidth = -1;
    int32_t textureHeight = -1;
    int32_t width = 0;
    int32_t height = 0;
};

// Uploads the rectangle (x, y, width, height) of `source` (0 for width or
// height: up to the picture's edge) as an RGBA8 texture of power-of-two
// size (at least 2), rows flipped so texture row 0 holds the bottom row and
// the padding transparent black. Unless `nearest`, transparent texels take
// the mean colour of their opaque interior neighbours and the filters are
// linear. `texture` (and `*mipTexture` when given) is deleted and replaced;
// the mip texture carries the runtime's own mip chain down to 1 x 1.
// `normalMap` turns the block into a normal map first. On failure (nothing
// to upload, no memory, GL_OUT_OF_MEMORY) the names are 0 and false is
// returned. Leaves the texture binding as it found it.
bool uploadTexture(const PixelBuffer& source, int32_t x, int32_t y, int32_t width, int32_t height,
                   uint32_t& texture, uint32_t* mipTexture, bool normalMap, bool nearest,
                   UploadedTexture* made = nullptr);

// Replaces the W x H RGBA block by its normal map, the blue channel read as
// a height field with wrap-around; alpha stays. False (block unchanged)
// without memory for the copy.
bool makeNormalMap(uint8_t* block, int32_t width, int32_t height);

// Halves an RGBA block in place (each size halved, never below 1), each
// texel the mean of the texels it covers. Updates width and height.
void shrinkMipLevel(uint8_t* block, int32_t& width, int32_t& height);

// Fills the colour of transparent texels from their opaque neighbours
// inside the block's interior.
void fillTransparentColour(uint8_t* block, int32_t width, int32_t height);

// Puts a texture into the slot: old texture names that differ from the new
// ones are deleted, the collision mask is dropped and the sizes recorded.
// Every load, grab and font upload goes through here.
void replaceSlotTexture(int32_t slot, uint32_t texture, uint32_t mipTexture, int32_t textureWidth,
                        int32_t textureHeight, int32_t width, int32_t height);

// Decodes the file (its name already resolved) with the key colour and
// puts it into the slot; slots from FONT_SLOT_BASE up get nearest
// filtering and no mip texture. False leaves the slot empty and, when `why`
// is given, says why for a person.
bool loadSpriteFile(int32_t slot, const char* fileName, int32_t keyColour, bool normalMap,
                    std::string* why = nullptr);

// Empties the slot; its textures are deleted while the context is live.
void freeSprite(int32_t slot);
// Empties every slot and restores the default key colours (the window is
// going away).
void resetSpriteStore();

// The smallest power of two >= size, starting from `start` and doubling
// at least once.
int32_t powerOfTwoAbove(int32_t size, int32_t start);

}  // namespace vorlan
