// Writes a whole file so that it either appears complete or not at all.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vorlan::platform {

// Writes the bytes to a temporary file in the target's folder and renames it
// over the target. Every write and the close are checked; on any failure the
// temporary file is removed, an existing target stays as it was, and the
// result is false.
bool replaceFileContents(const std::string& path, const uint8_t* bytes, size_t size);

}  // namespace vorlan::platform
