#include "gfx2d/image_writer.h"

#include <png.h>

#include <cstring>
#include <string>

#include "gfx2d/image_file.h"
#include "platform/file_replace.h"

namespace vorlan {

namespace {

constexpr size_t kBmpHeaderSize = 54;

// The key as B, G, R bytes, or nothing when keying is off.
struct KeyMatch {
    bool keyed = false;
    uint8_t b = 0, g = 0, r = 0;

    explicit KeyMatch(int32_t key) : keyed(key >= 0 && key <= 0xFFFFFF) {
        r = static_cast<uint8_t>(key & 0xFF);
        g = static_cast<uint8_t>((key >> 8) & 0xFF);
        b = static_cast<uint8_t>((key >> 16) & 0xFF);
    }
    bool matches(const uint8_t* bgr) const {
        return keyed && bgr[0] == b && bgr[1] == g && bgr[2] == r;
    }
};

void putLe(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

size_t bmpStride(int32_t width) {
    return (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
}

const uint8_t* blockRow(const BgrImage& image, int32_t rowFromBottom) {
    return image.pixels + static_cast<size_t>(rowFromBottom) * image.rowStride;
}

}  // namespace

bool isWritableImage(const BgrImage& image) {
    if (image.pixels == nullptr || image.width <= 0 || image.height <= 0) return false;
    if (image.rowCount < image.height) return false;
    if (image.rowStride < static_cast<size_t>(image.width) * 3) return false;
    // The BMP's file size and the PNG's RGBA block must stay within 32 bits.
    uint64_t rgbaBytes =
        uint64_t{4} * static_cast<uint64_t>(image.width) * static_cast<uint64_t>(image.height);
    return rgbaBytes + kBmpHeaderSize <= UINT32_MAX;
}

bool isPngFileName(const char* fileName) {
    size_t length = fileName ? std::strlen(fileName) : 0;
    if (length <= 4) return false;
    const char* ext = fileName + length - 4;
    return ext[0] == '.' && (ext[1] | 0x20) == 'p' && (ext[2] | 0x20) == 'n' &&
           (ext[3] | 0x20) == 'g';
}

std::vector<uint8_t> encodeBmp(const BgrImage& image, int32_t keyColour) {
    std::vector<uint8_t> out;
    if (!isWritableImage(image)) return out;
    size_t stride = bmpStride(image.width);
    size_t dataSize = stride * static_cast<size_t>(image.height);
    out.reserve(kBmpHeaderSize + dataSize);
    out.push_back('B');
    out.push_back('M');
    putLe(out, static_cast<uint32_t>(dataSize + kBmpHeaderSize), 4);
    putLe(out, 0, 4);  // two reserved words
    putLe(out, kBmpHeaderSize, 4);
    putLe(out, 40, 4);
    putLe(out, static_cast<uint32_t>(image.width), 4);
    putLe(out, static_cast<uint32_t>(image.height), 4);  // positive: bottom row first
    putLe(out, 1, 2);
    putLe(out, 24, 2);
    putLe(out, 0, 4);  // no compression
    putLe(out, 0, 4);  // image size may be 0 when uncompressed
    putLe(out, 10000, 4);
    putLe(out, 10000, 4);
    putLe(out, 0, 4);
    putLe(out, 0, 4);

    // Padding bytes are zeros, never leftovers of another buffer.
    out.resize(kBmpHeaderSize + dataSize, 0);
    KeyMatch key(keyColour);
    for (int32_t y = 0; y < image.height; ++y) {
        const uint8_t* src = blockRow(image, y);
        uint8_t* dst = out.data() + kBmpHeaderSize + static_cast<size_t>(y) * stride;
        for (int32_t x = 0; x < image.width; ++x, src += 3, dst += 3) {
            if (key.matches(src)) {
                dst[0] = 128;
                dst[1] = 0;
                dst[2] = 255;
            } else {
                std::memcpy(dst, src, 3);
            }
        }
    }
    return out;
}

std::vector<uint8_t> encodePng(const BgrImage& image, int32_t keyColour) {
    std::vector<uint8_t> out;
    if (!isWritableImage(image)) return out;
    // RGBA, top row first, as PNG stores it.
    size_t width = static_cast<size_t>(image.width);
    std::vector<uint8_t> rgba(width * 4 * static_cast<size_t>(image.height));
    KeyMatch key(keyColour);
    for (int32_t y = 0; y < image.height; ++y) {
        const uint8_t* src = blockRow(image, image.height - 1 - y);
        uint8_t* dst = rgba.data() + static_cast<size_t>(y) * width * 4;
        for (size_t x = 0; x < width; ++x, src += 3, dst += 4) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
            dst[3] = key.matches(src) ? 0 : 255;
        }
    }

    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_RGBA;
    png_alloc_size_t size = PNG_IMAGE_PNG_SIZE_MAX(png);
    out.resize(size);
    if (!png_image_write_to_memory(&png, out.data(), &size, 0, rgba.data(), 0, nullptr)) {
        png_image_free(&png);
        out.clear();
        return out;
    }
    out.resize(size);
    return out;
}

bool writeImageFile(const char* fileName, const BgrImage& image, int32_t keyColour) {
    std::string path;
    if (!imageFilePath(fileName, path) || path.empty()) return false;
    std::vector<uint8_t> bytes =
        isPngFileName(fileName) ? encodePng(image, keyColour) : encodeBmp(image, keyColour);
    if (bytes.empty()) return false;
    platform::FileReplacement file;
    return file.begin(path) &&
           file.write(reinterpret_cast<const char*>(bytes.data()), bytes.size()) && file.commit();
}

}  // namespace vorlan
