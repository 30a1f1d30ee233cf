#include "gfx2d/image_file.h"

#include <cstring>

#include "platform/temp_dir.h"

namespace vorlan {

bool imageFilePath(const char* fileName, std::string& path) {
    if (fileName == nullptr) return false;
    if (std::strlen(fileName) > kMaxImageFileName) return false;
    path = platform::nativePath(fileName);
    return true;
}

bool decodeImageFile(PixelBuffer& out, const char* fileName, int32_t keyColour) {
    if (decodeBmpFile(out, fileName, keyColour)) return true;
    return decodePngFile(out, fileName, keyColour);
}

}  // namespace vorlan
