// Reads picture files with ImageMagick, not with the runtime's decoders, so
// that a writer's fault cannot hide behind the same fault in a reader.
#pragma once

#include <filesystem>
#include <string>

#include "support/subprocess.h"
#include "support/temp_folder.h"

namespace vorlan::test {

// R, G, B, A per pixel, top row first.
inline std::string independentRgba(const std::filesystem::path& file) {
    std::filesystem::path raw = file;
    raw += ".rgba";
    runCommand("convert '" + file.string() + "' -depth 8 'rgba:" + raw.string() + "'");
    std::string pixels = readWholeFile(raw);
    std::filesystem::remove(raw);
    return pixels;
}

}  // namespace vorlan::test
