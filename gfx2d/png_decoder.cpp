#include "gfx2d/png_decoder.h"

#include <png.h>

#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <string>

#include "gfx2d/image_file.h"

namespace vorlan {

namespace {

// The single process-wide record of the PNG decode in progress. The row
// blocks live here too, so that a libpng error (a longjmp out of libpng)
// leaves nothing that release cannot free.
struct PngReadContext {
    std::FILE* file = nullptr;
    png_structp png = nullptr;
    png_infop info = nullptr;
    png_bytep image = nullptr;
    png_bytepp rows = nullptr;
    // Why the decode failed: libpng's own message or the runtime's.
    std::string why;
};

PngReadContext readContext;

uint32_t colourOf(uint8_t r, uint8_t g, uint8_t b) {
    return uint32_t{r} | (uint32_t{g} << 8) | (uint32_t{b} << 16);
}

void convertRows(PixelBuffer& out, int channels, int32_t keyColour) {
    bool keyed = keyColour >= 0 && keyColour <= 0xFFFFFF;
    uint32_t key = static_cast<uint32_t>(keyColour);
    int32_t width = out.width();
    for (int32_t y = 0; y < out.height(); ++y) {
        const uint8_t* src = readContext.rows[y];
        uint8_t* dst = out.row(y);
        if (channels == 4) {
            // Alpha as stored; the key colour plays no part.
            std::memcpy(dst, src, static_cast<size_t>(width) * 4);
        } else if (channels == 3) {
            for (int32_t x = 0; x < width; ++x, src += 3, dst += 4) {
                // A keyed pixel keeps the zeros the buffer was cleared to.
                if (keyed && colourOf(src[0], src[1], src[2]) == key) continue;
                dst[0] = src[0];
                dst[1] = src[1];
                dst[2] = src[2];
                dst[3] = 255;
            }
        } else {
            for (int32_t x = 0; x < width; ++x, dst += 4) {
                dst[0] = dst[1] = dst[2] = src[x];
                dst[3] = 255;
            }
        }
    }
}

// libpng's messages carry no file name: the error becomes the reason the
// caller reports with the name, and warnings are dropped.
[[noreturn]] void keepError(png_structp png, png_const_charp message) {
    readContext.why = std::string("libpng: ") + (message ? message : "");
    png_longjmp(png, 1);
}

void dropWarning(png_structp, png_const_charp) {}

bool refuse(const char* why) {
    releasePngReadContext();
    readContext.why = why;
    return false;
}

// Reads the header, the rows and converts them. Every libpng call that may fail lies
// inside the error return point set here, the row reading included, and no
// object with a destructor lives in this frame, so a longjmp skips nothing.
bool readImage(PixelBuffer& out, const char* displayName, int32_t keyColour) {
    png_structp png = readContext.png;
    png_infop info = readContext.info;
    if (setjmp(png_jmpbuf(png))) {
        releasePngReadContext();
        return false;
    }
    png_init_io(png, readContext.file);
    png_read_info(png, info);

    int colourType = png_get_color_type(png, info);
    int bitDepth = png_get_bit_depth(png, info);
    if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_expand(png);
    if (colourType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS) != 0) png_set_expand(png);
    if (bitDepth == 16) png_set_strip_16(png);
    if (bitDepth < 8) png_set_packing(png);
    // Needed too: without it png_read_image would hand an
    // interlaced image's passes over one another.
    png_set_interlace_handling(png);
    png_read_update_info(png, info);

    png_uint_32 width = png_get_image_width(png, info);
    png_uint_32 height = png_get_image_height(png, info);
    size_t rowBytes = png_get_rowbytes(png, info);
    int channels = png_get_channels(png, info);
    bitDepth = png_get_bit_depth(png, info);
    colourType = png_get_color_type(png, info);

    bool supported = false;
    const char* why = "picture too large";
    if (bitDepth != 8) {
        why = "only a bit depth of 8 is supported";
        std::printf("File %s has bit depth %d.\n", displayName, bitDepth);
        std::printf("Only bit depth of 8 is supported.\n");
    } else if (colourType == PNG_COLOR_TYPE_GRAY_ALPHA || channels == 2) {
        // Grey with alpha: refused without a message.
        why = "grey with alpha is not supported";
    } else if (colourType != PNG_COLOR_TYPE_GRAY && colourType != PNG_COLOR_TYPE_RGB &&
               colourType != PNG_COLOR_TYPE_RGB_ALPHA) {
        std::printf("File %s has unsupported color type.\n", displayName);
        std::printf("Types GRAY, RGB and RGB_ALPHA are supported.\n");
        why = "only grey, RGB and RGB with alpha are supported";
    } else {
        supported = (channels == 1 || channels == 3 || channels == 4) && height > 0 && width > 0 &&
                    rowBytes >= static_cast<size_t>(width) * channels &&
                    int64_t{width} * height <= kMaxPngPixels;
    }
    if (!supported) return refuse(why);

    readContext.rows = static_cast<png_bytepp>(std::malloc(sizeof(png_bytep) * height));
    readContext.image = static_cast<png_bytep>(std::malloc(rowBytes * height));
    if (readContext.rows == nullptr || readContext.image == nullptr) return refuse("out of memory");
    for (png_uint_32 y = 0; y < height; ++y) readContext.rows[y] = readContext.image + y * rowBytes;
    png_read_image(png, readContext.rows);

    if (!out.resize(static_cast<int32_t>(width), static_cast<int32_t>(height))) {
        return refuse("out of memory");
    }
    convertRows(out, channels, keyColour);
    releasePngReadContext();
    return true;
}

}  // namespace

void releasePngReadContext() {
    if (readContext.png != nullptr) {
        png_destroy_read_struct(&readContext.png,
                                readContext.info != nullptr ? &readContext.info : nullptr, nullptr);
    }
    std::free(readContext.rows);
    std::free(readContext.image);
    if (readContext.file != nullptr) std::fclose(readContext.file);
    std::string why = std::move(readContext.why);
    readContext = PngReadContext{};
    readContext.why = std::move(why);
}

bool decodePngStream(PixelBuffer& out, std::FILE* file, const char* displayName, int32_t keyColour,
                     std::string* why) {
    releasePngReadContext();
    readContext.why = "cannot be opened";
    bool ok = false;
    if (file != nullptr) {
        readContext.file = file;
        readContext.png =
            png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, keepError, dropWarning);
        if (readContext.png != nullptr) readContext.info = png_create_info_struct(readContext.png);
        if (readContext.png == nullptr || readContext.info == nullptr) {
            refuse("out of memory");
        } else {
            ok = readImage(out, displayName != nullptr ? displayName : "", keyColour);
        }
    }
    if (!ok && why) *why = readContext.why;
    readContext.why.clear();
    return ok;
}

bool decodePngFile(PixelBuffer& out, const char* fileName, int32_t keyColour, std::string* why) {
    releasePngReadContext();
    std::string path;
    std::FILE* file = imageFilePath(fileName, path) ? std::fopen(path.c_str(), "rbe") : nullptr;
    return decodePngStream(out, file, fileName, keyColour, why);
}

}  // namespace vorlan
