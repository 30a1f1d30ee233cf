// Builds image files byte by byte (BMP) or through libpng's writer (PNG), so
// that every test image is made by the test itself.
#pragma once

#include <png.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace vorlan::test {

inline void putLe16(std::string& out, uint32_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}
inline void putLe32(std::string& out, uint32_t value) {
    putLe16(out, value & 0xFFFF);
    putLe16(out, value >> 16);
}

struct BmpLayout {
    int32_t width = 0;
    int32_t height = 0;  // as stored: negative for a top-down file
    uint16_t bitsPerPixel = 24;
    // Bytes between the 54-byte header and the pixel rows: the palette of
    // an 8-bit file (blue, green, red, reserved per entry), or anything.
    std::string headerRest;
    // The pixel rows exactly as stored, padding included.
    std::string rows;
    // 0: the pixel data offset is 54 + headerRest.size().
    uint32_t dataOffset = 0;
    uint32_t infoHeaderSize = 40;
};

inline BmpLayout bmpLayout(int32_t width, int32_t height, uint16_t bitsPerPixel) {
    BmpLayout layout;
    layout.width = width;
    layout.height = height;
    layout.bitsPerPixel = bitsPerPixel;
    return layout;
}

inline std::string bmpFile(const BmpLayout& layout) {
    uint32_t offset = layout.dataOffset != 0 ? layout.dataOffset
                                             : 54 + static_cast<uint32_t>(layout.headerRest.size());
    std::string out = "BM";
    putLe32(out, static_cast<uint32_t>(54 + layout.headerRest.size() + layout.rows.size()));
    putLe16(out, 0);
    putLe16(out, 0);
    putLe32(out, offset);
    putLe32(out, layout.infoHeaderSize);
    putLe32(out, static_cast<uint32_t>(layout.width));
    putLe32(out, static_cast<uint32_t>(layout.height));
    putLe16(out, 1);
    putLe16(out, layout.bitsPerPixel);
    putLe32(out, 0);  // compression
    putLe32(out, static_cast<uint32_t>(layout.rows.size()));
    putLe32(out, 2835);
    putLe32(out, 2835);
    putLe32(out, 0);
    putLe32(out, 0);
    out += layout.headerRest;
    out += layout.rows;
    return out;
}

// One stored row: the given bytes, then `padding` filler bytes.
inline std::string bmpRow(const std::vector<uint8_t>& bytes, size_t padding, char filler = '\x5A') {
    std::string row(bytes.begin(), bytes.end());
    row.append(padding, filler);
    return row;
}

// A palette entry as a BMP stores it.
inline std::string bmpPaletteEntry(uint8_t r, uint8_t g, uint8_t b) {
    return std::string{static_cast<char>(b), static_cast<char>(g), static_cast<char>(r), '\0'};
}

struct PngLayout {
    uint32_t width = 0;
    uint32_t height = 0;
    int colourType = PNG_COLOR_TYPE_RGB;
    int bitDepth = 8;
    // Rows packed as PNG stores them (16-bit samples big-endian), top first.
    std::vector<std::vector<uint8_t>> rows;
    // PLTE entries (r, g, b) for palette images.
    std::vector<png_color> palette;
    // tRNS: alpha per palette entry, or one colour for grey / RGB images.
    std::vector<uint8_t> paletteAlpha;
    bool hasTransparentColour = false;
    png_color_16 transparentColour{};
};

inline std::string pngFile(const PngLayout& layout) {
    std::string out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("libpng could not write the test image");
    }
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep data, png_size_t length) {
            static_cast<std::string*>(png_get_io_ptr(p))
                ->append(reinterpret_cast<char*>(data), length);
        },
        nullptr);
    png_set_IHDR(png, info, layout.width, layout.height, layout.bitDepth, layout.colourType,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!layout.palette.empty()) {
        png_set_PLTE(png, info, layout.palette.data(), static_cast<int>(layout.palette.size()));
    }
    if (!layout.paletteAlpha.empty()) {
        png_set_tRNS(png, info, layout.paletteAlpha.data(),
                     static_cast<int>(layout.paletteAlpha.size()), nullptr);
    } else if (layout.hasTransparentColour) {
        png_color_16 colour = layout.transparentColour;
        png_set_tRNS(png, info, nullptr, 0, &colour);
    }
    png_write_info(png, info);
    std::vector<png_bytep> rowPointers;
    for (const auto& row : layout.rows) rowPointers.push_back(const_cast<png_bytep>(row.data()));
    png_write_image(png, rowPointers.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

// An 8-bit RGBA PNG of the given pixels (r, g, b, a per pixel, top row first).
inline std::string rgbaPng(uint32_t width, uint32_t height, const std::vector<uint8_t>& pixels) {
    PngLayout layout;
    layout.width = width;
    layout.height = height;
    layout.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
    for (uint32_t y = 0; y < height; ++y) {
        auto begin = pixels.begin() + static_cast<std::ptrdiff_t>(y * width * 4);
        layout.rows.emplace_back(begin, begin + width * 4);
    }
    return pngFile(layout);
}

}  // namespace vorlan::test
