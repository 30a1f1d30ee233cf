// Writes pictures read back from OpenGL to 24-bit BMP or RGBA PNG files.
// Internal to the runtime.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vorlan {

// A block of B, G, R byte triples as OpenGL reads it back: bottom row
// first, rows `rowStride` bytes apart. The picture is the first `width`
// pixels of the first `height` rows.
struct BgrImage {
    const uint8_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    size_t rowStride = 0;
    int32_t rowCount = 0;
};

// True when the block holds the picture it describes and the picture fits
// the file formats' 32-bit sizes.
bool isWritableImage(const BgrImage& image);

// A PNG name: longer than 4 bytes and ending in ".png" in any case.
bool isPngFileName(const char* fileName);

// The file bytes. Pixels in the key colour (red + 256 x green + 65536 x
// blue) become 0x8000FF in a BMP and fully transparent in a PNG; keys
// outside 0..0xFFFFFF (such as -1, keying off) change nothing. Empty on
// failure.
std::vector<uint8_t> encodeBmp(const BgrImage& image, int32_t keyColour);
std::vector<uint8_t> encodePng(const BgrImage& image, int32_t keyColour);

// Writes the picture as PNG or BMP, chosen by the name. The old file is
// replaced only by a complete new one; false (nothing written) for a bad
// picture, a name over 1023 bytes, or any write failure.
bool writeImageFile(const char* fileName, const BgrImage& image, int32_t keyColour);

}  // namespace vorlan
