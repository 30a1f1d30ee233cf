// The file formats the game reads: RGBA PNG, 24-bit BMP and 16-bit PCM WAV.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "canvas.h"

namespace media {

// False when the file cannot be written.
bool writePng(const std::string& path, const Canvas& canvas);
// Bottom-up rows, no alpha: transparent pixels are written black.
bool writeBmp24(const std::string& path, const Canvas& canvas);
// Mono samples: a 16-byte format chunk and the data chunk right after it.
bool writeWav(const std::string& path, const std::vector<int16_t>& samples, int sampleRate);

}  // namespace media
