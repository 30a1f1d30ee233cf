// Image file loading: BMP and PNG files into a PixelBuffer, with
// the key colour turned into transparency. Internal to the runtime.
//
// Key colours are red + 256 x green + 65536 x blue, or -1 for none. File
// names are byte strings of at most 1023 bytes, "/" or "\\" as separators;
// they are opened as given (callers resolve media names first).
//
// Not thread-safe: the PNG decoder keeps one process-wide PngReadContext.
#pragma once

#include <cstdint>
#include <string>

#include "gfx2d/bmp_decoder.h"
#include "gfx2d/pixel_buffer.h"
#include "gfx2d/png_decoder.h"

namespace vorlan {

// decodeBmpFile, and when that fails decodePngFile with the same arguments;
// true when either succeeded. The extension plays no part. On failure `why`,
// when given, tells a person the cause: "not found", "not a BMP or PNG
// picture (libpng: ...)", or the decoder's reason for a file of its kind.
bool decodeImageFile(PixelBuffer& out, const char* fileName, int32_t keyColour,
                     std::string* why = nullptr);

// The longest file name the decoders accept.
inline constexpr size_t kMaxImageFileName = 1023;

// The name as this platform opens it ("\\" becomes "/"); false for a null
// name or one longer than kMaxImageFileName bytes.
bool imageFilePath(const char* fileName, std::string& path);

}  // namespace vorlan
