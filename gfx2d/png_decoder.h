// PNG files decoded with libpng. Internal to the runtime.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "gfx2d/pixel_buffer.h"

namespace vorlan {

// True when the file was decoded and `out` holds the image. On failure
// `out` is left as it was and `why`, when given, holds libpng's message or
// the unsupported form. Prints a message to standard output for an
// unsupported bit depth or colour type; libpng itself prints nothing.
bool decodePngFile(PixelBuffer& out, const char* fileName, int32_t keyColour,
                   std::string* why = nullptr);

// The same for a stream that the decoder takes over: it becomes the
// PngReadContext's file and is closed when the context is released.
// `displayName` stands for the file name in the printed messages.
bool decodePngStream(PixelBuffer& out, std::FILE* file, const char* displayName, int32_t keyColour,
                     std::string* why = nullptr);

// Releases the process-wide PngReadContext (read and info structures, the
// file, and any row blocks). Every decode does this itself; the runtime's
// shutdown may call it too.
void releasePngReadContext();

// Images with more pixels than this are refused before any allocation: a
// PNG's compressed data can declare a picture far larger than its file.
inline constexpr int64_t kMaxPngPixels = int64_t{1} << 26;

}  // namespace vorlan
