#include "gfx2d/tile_layout.h"

#include <algorithm>

namespace vorlan {

int32_t loadTileSize(int32_t maxTextureSize) {
    return std::min(maxTextureSize, kLargestLoadTile);
}

int32_t grabTileSize(int32_t screenWidth, int32_t screenHeight, int32_t maxTextureSize) {
    int32_t side = std::max(screenWidth, screenHeight);
    int32_t size = 1;
    while (size < side && size < maxTextureSize) size *= 2;
    return std::min(size, maxTextureSize);
}

TileGrid tilesCovering(int32_t width, int32_t height, int32_t tileSize) {
    if (width <= 0 || height <= 0 || tileSize <= 0) return {};
    auto count = [tileSize](int32_t length) {
        return static_cast<int32_t>((int64_t{length} + tileSize - 1) / tileSize);
    };
    return {count(width), count(height)};
}

bool fitsTileTable(const TileGrid& grid) {
    return grid.columns <= kMaxTilesPerSide && grid.rows <= kMaxTilesPerSide;
}

TileGrid croppedToTileTable(const TileGrid& grid) {
    return {std::min(grid.columns, kMaxTilesPerSide), std::min(grid.rows, kMaxTilesPerSide)};
}

int32_t tileContent(int32_t length, int32_t index, int32_t tileSize) {
    int64_t left = int64_t{length} - int64_t{index} * tileSize;
    return static_cast<int32_t>(std::clamp<int64_t>(left, 0, tileSize));
}

}  // namespace vorlan
