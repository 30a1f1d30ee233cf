#include "gfx2d/tile_sets.h"

#include <GL/gl.h>

#include <array>
#include <utility>

#include "gfx2d/draw_state.h"
#include "gfx2d/game_window.h"
#include "gfx2d/gl_scopes.h"
#include "gfx2d/image_file.h"
#include "gfx2d/sprite_store.h"

namespace vorlan {

namespace {

std::array<TileSet, kTileSetCount> tileSets;

int32_t maxTextureSize() {
    GLint size = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
    return size;
}

void reshape(TileSet& set, const TileGrid& grid) {
    set.columns = grid.columns;
    set.rows = grid.rows;
    set.tiles.assign(static_cast<size_t>(grid.columns) * grid.rows, Tile{});
}

bool sameGrab(const TileSet& set, const TileGrid& grid, int32_t tileSize) {
    if (set.columns != grid.columns || set.rows != grid.rows) return false;
    for (const Tile& tile : set.tiles) {
        if (tile.texture == 0 || tile.textureWidth != tileSize || tile.textureHeight != tileSize) {
            return false;
        }
    }
    return true;
}

// A tile texture for grabs, with no alpha channel: the back buffer's alpha
// is whatever blending left there, and the tile must draw opaque.
GLuint newGrabTexture(int32_t tileSize) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, tileSize, tileSize, 0, GL_RGB, GL_UNSIGNED_BYTE,
                 nullptr);
    return texture;
}

}  // namespace

TileSet* tileSet(int32_t set) {
    if (set < 0 || set >= kTileSetCount) return nullptr;
    return &tileSets[set];
}

void freeTileSet(int32_t number) {
    TileSet* set = tileSet(number);
    if (!set) return;
    if (gameWindow && gameWindow->contextReady) {
        for (Tile& tile : set->tiles) {
            if (tile.texture != 0) glDeleteTextures(1, &tile.texture);
        }
        forgetTextureBinding();
    }
    *set = TileSet{};
}

void freeAllTileSets() {
    for (int32_t set = 0; set < kTileSetCount; ++set) freeTileSet(set);
}

bool loadTileSet(int32_t number, const char* fileName, std::string* why) {
    TileSet* set = tileSet(number);
    if (!set || !drawingReady()) return false;
    freeTileSet(number);
    PixelBuffer picture;
    if (!decodeImageFile(picture, fileName, -1, why)) return false;
    int32_t tileSize = loadTileSize(maxTextureSize());
    TileGrid grid = tilesCovering(picture.width(), picture.height(), tileSize);
    if (grid.empty() || !fitsTileTable(grid)) {
        if (why) *why = grid.empty() ? "the picture has no pixels" : "the picture is too large";
        return false;
    }
    reshape(*set, grid);
    for (int32_t j = 0; j < grid.rows; ++j) {
        for (int32_t i = 0; i < grid.columns; ++i) {
            Tile& tile = set->at(i, j);
            // A full tile even at the edges: the part beyond the picture
            // is transparent.
            UploadedTexture made;
            if (!uploadTexture(picture, i * tileSize, j * tileSize, tileSize, tileSize,
                               tile.texture, nullptr, false, false, &made)) {
                freeTileSet(number);
                return false;
            }
            tile.textureWidth = made.textureWidth;
            tile.textureHeight = made.textureHeight;
            tile.contentWidth = made.width;
            tile.contentHeight = made.height;
        }
    }
    return true;
}

void grabTileSet(int32_t number) {
    TileSet* set = tileSet(number);
    if (!set || !drawingReady()) return;
    flushQuads();
    int32_t width = gameWindow->screenWidth;
    int32_t height = gameWindow->screenHeight;
    int32_t tileSize = grabTileSize(width, height, maxTextureSize());
    TileGrid grid = croppedToTileTable(tilesCovering(width, height, tileSize));
    if (!sameGrab(*set, grid, tileSize)) {
        freeTileSet(number);
        reshape(*set, grid);
    }
    TextureBindingScope keepBinding;
    PixelStoreScope packed;
    glReadBuffer(gameWindow->surfaceReadBuffer());
    for (int32_t j = 0; j < grid.rows; ++j) {
        for (int32_t i = 0; i < grid.columns; ++i) {
            Tile& tile = set->at(i, j);
            if (tile.texture == 0) {
                tile.texture = newGrabTexture(tileSize);
                tile.textureWidth = tile.textureHeight = tileSize;
            } else {
                glBindTexture(GL_TEXTURE_2D, tile.texture);
            }
            tile.contentWidth = tileContent(width, i, tileSize);
            tile.contentHeight = tileContent(height, j, tileSize);
            glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, i * tileSize,
                                height - j * tileSize - tile.contentHeight, tile.contentWidth,
                                tile.contentHeight);
        }
    }
}

void drawTileSet(int32_t number) {
    TileSet* set = tileSet(number);
    if (!set || set->empty() || !drawingReady()) return;
    float x = 0;
    for (int32_t i = 0; i < set->columns; ++i) {
        float y = 0;
        for (int32_t j = 0; j < set->rows; ++j) {
            const Tile& tile = set->at(i, j);
            // The tile's name stands in for slot 0's texture.
            bindSlotTextures(0, -1, false, &tile.texture);
            float w = static_cast<float>(tile.contentWidth);
            float h = static_cast<float>(tile.contentHeight);
            float s = w / static_cast<float>(tile.textureWidth);
            float t = h / static_cast<float>(tile.textureHeight);
            drawQuad({QuadCorner{x, y + h, 0, 0}, QuadCorner{x + w, y + h, s, 0},
                      QuadCorner{x + w, y, s, t}, QuadCorner{x, y, 0, t}});
            y += static_cast<float>(tile.textureHeight);
        }
        x += static_cast<float>(set->at(i, 0).textureWidth);
    }
    bindSlotTextures(-1, -1, false);
}

void drawCrossFade(int32_t oldSet, int32_t newSet, double oldShare) {
    if (!drawingReady()) return;
    flushQuads();
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    // Alpha stays 1, so that the alpha test keeps every texel however small
    // its share.
    float f = static_cast<float>(oldShare);
    glColor4f(f, f, f, 1);
    drawTileSet(oldSet);
    flushQuads();
    glColor4f(1 - f, 1 - f, 1 - f, 1);
    drawTileSet(newSet);
    flushQuads();
}

void moveTileSet(int32_t from, int32_t to) {
    TileSet* source = tileSet(from);
    if (!source || !tileSet(to) || from == to) return;
    freeTileSet(to);
    *tileSet(to) = std::move(*source);
    *source = TileSet{};
}

size_t tileSetBytes(int32_t number) {
    const TileSet* set = tileSet(number);
    size_t bytes = 0;
    if (!set) return 0;
    for (const Tile& tile : set->tiles) {
        bytes += size_t{4} * static_cast<size_t>(tile.textureWidth) *
                 static_cast<size_t>(tile.textureHeight);
    }
    return bytes;
}

}  // namespace vorlan
