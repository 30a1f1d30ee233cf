// How a picture larger than one texture is cut into tiles: the arithmetic
// of tile sets, apart from OpenGL. Internal to the runtime.
#pragma once

#include <cstdint>

namespace vorlan {

inline constexpr int32_t kTileSetCount = 16;
// Tiles across and down that one set holds at most.
inline constexpr int32_t kMaxTilesPerSide = 64;
inline constexpr int32_t kLargestLoadTile = 512;

// Tiles of pictures loaded from files: 512, or less when the driver's
// textures are smaller.
int32_t loadTileSize(int32_t maxTextureSize);

// Tiles of screen grabs: the smallest power of two that holds the larger
// screen side in one tile, at most the driver's maximum. A grab then costs
// one screen-sized texture, not one of the driver's largest.
int32_t grabTileSize(int32_t screenWidth, int32_t screenHeight, int32_t maxTextureSize);

struct TileGrid {
    int32_t columns = 0;
    int32_t rows = 0;

    bool empty() const { return columns == 0 || rows == 0; }
};

// Tiles needed to cover width x height with tiles of `tileSize`; empty for
// a zero or negative size.
TileGrid tilesCovering(int32_t width, int32_t height, int32_t tileSize);

// Whether a set can hold the grid.
bool fitsTileTable(const TileGrid& grid);

// The grid limited to what a set holds (a grab of a huge screen is cropped).
TileGrid croppedToTileTable(const TileGrid& grid);

// Pixels of picture in tile `index` along a side of `length` pixels.
int32_t tileContent(int32_t length, int32_t index, int32_t tileSize);

}  // namespace vorlan
