#include "gfx2d/image_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/warnings.h"
#include "platform/temp_dir.h"

namespace vorlan {

bool imageFilePath(const char* fileName, std::string& path) {
    if (fileName == nullptr) return false;
    if (std::strlen(fileName) > kMaxImageFileName) return false;
    path = platform::nativePath(fileName);
    return true;
}

namespace {

// Which decoder's reason fits: the file's first bytes say what it claims
// to be.
std::string failureCause(const char* fileName, const char* bmpWhy, const std::string& pngWhy) {
    std::string path;
    if (!imageFilePath(fileName, path)) return "file name too long";
    std::FILE* file = std::fopen(path.c_str(), "rbe");
    if (file == nullptr) return fileErrorCause(errno);
    unsigned char head[8] = {};
    size_t got = std::fread(head, 1, sizeof head, file);
    int error = std::ferror(file) ? errno : 0;
    std::fclose(file);
    if (error != 0) return fileErrorCause(error);
    static const unsigned char kPngMark[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (got >= 2 && head[0] == 'B' && head[1] == 'M') {
        return std::string("a BMP picture of a kind not supported (") + (bmpWhy ? bmpWhy : "") +
               ")";
    }
    if (got == sizeof head && std::memcmp(head, kPngMark, sizeof head) == 0) {
        return "a PNG picture of a kind not supported (" + pngWhy + ")";
    }
    return pngWhy.empty() ? "not a BMP or PNG picture"
                          : "not a BMP or PNG picture (" + pngWhy + ")";
}

}  // namespace

bool decodeImageFile(PixelBuffer& out, const char* fileName, int32_t keyColour, std::string* why) {
    const char* bmpWhy = nullptr;
    if (decodeBmpFile(out, fileName, keyColour, &bmpWhy)) return true;
    std::string pngWhy;
    if (decodePngFile(out, fileName, keyColour, &pngWhy)) return true;
    if (why) *why = failureCause(fileName, bmpWhy, pngWhy);
    return false;
}

}  // namespace vorlan
