// Tile sets: pictures larger than one texture kept as grids of textures.
// Set 0 is the background every frame starts with; sets 1 and 2 serve the
// cross-fade. Internal to the runtime.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "gfx2d/tile_layout.h"

namespace vorlan {

struct Tile {
    uint32_t texture = 0;
    int32_t textureWidth = 0;
    int32_t textureHeight = 0;
    // The part of the texture that holds picture, from its bottom-left
    // texel (texture row 0 is the tile's bottom row).
    int32_t contentWidth = 0;
    int32_t contentHeight = 0;
};

struct TileSet {
    int32_t columns = 0;
    int32_t rows = 0;
    // Column-major: tile (i, j) covers the picture from (i, j) x tile size,
    // counted from the top-left.
    std::vector<Tile> tiles;

    Tile& at(int32_t column, int32_t row) { return tiles[column * rows + row]; }
    const Tile& at(int32_t column, int32_t row) const { return tiles[column * rows + row]; }
    bool empty() const { return tiles.empty(); }
};

// The set, or nullptr for a number outside 0..15.
TileSet* tileSet(int32_t set);

// Deletes every texture of the set (while the context lives) and empties it.
void freeTileSet(int32_t set);
void freeAllTileSets();

// Decodes the picture file (name already resolved) into tiles of at most
// 512. False leaves the set empty: a file that does not decode, a picture
// needing more than 64 x 64 tiles, or a failed upload.
bool loadTileSet(int32_t set, const char* fileName, std::string* why = nullptr);

// Copies the back buffer into the set: one tile that holds the whole
// screen where the driver allows it. A screen needing more than 64 x 64
// tiles is cropped. Textures of an earlier grab of the same size are reused.
void grabTileSet(int32_t set);

// Draws the set's tiles from the top-left of the viewport with the current
// colour and blending, which it leaves as they were.
void drawTileSet(int32_t set);

// Adds both sets to the frame, each scaled by its share: old x oldShare +
// new x (1 - oldShare) on a cleared frame. Leaves blending on and additive;
// the caller puts the blend state back.
void drawCrossFade(int32_t oldSet, int32_t newSet, double oldShare);

// Hands the tiles of `from` over to `to` (freed first); `from` is then empty.
void moveTileSet(int32_t from, int32_t to);

// Bytes the set's textures take (4 per texel).
size_t tileSetBytes(int32_t set);

}  // namespace vorlan
