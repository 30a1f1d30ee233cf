// Uncompressed Windows BMP files of 8, 24 and 32 bits, parsed by
// the runtime itself. Internal to the runtime.
#pragma once

#include <cstdint>
#include <cstdio>

#include "gfx2d/pixel_buffer.h"

namespace vorlan {

// True when the file was read and `out` holds the image; on any failure
// `out` is emptied and `why`, when given, says what was wrong. Keeps no
// state between calls.
bool decodeBmpFile(PixelBuffer& out, const char* fileName, int32_t keyColour,
                   const char** why = nullptr);

// The same for a stream, read from its current position (the caller keeps
// and closes it). decodeBmpFile opens the file and calls this.
bool decodeBmpStream(PixelBuffer& out, std::FILE* file, int32_t keyColour,
                     const char** why = nullptr);

}  // namespace vorlan
