// Image files built byte by byte (BMP) or through libpng's writer (PNG), and
// the test font, so that every test image is made by the test itself.
#pragma once

#include <png.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/bytes.h"
#include "tests/support/picture.h"

namespace vorlan::test {

struct BmpLayout {
    int32_t width = 0;
    int32_t height = 0;  // as stored: negative for a top-down file
    uint16_t bitsPerPixel = 24;
    // The pixel rows exactly as stored, padding included.
    std::string rows{};
    // Bytes between the 54-byte header and the pixel rows: the palette of
    // an 8-bit file (blue, green, red, reserved per entry), or anything.
    std::string headerRest{};
    // 0: the pixel data offset is 54 + headerRest.size().
    uint32_t dataOffset = 0;
    uint32_t infoHeaderSize = 40;
};

inline BmpLayout bmpLayout(int32_t width, int32_t height, uint16_t bitsPerPixel) {
    return {.width = width, .height = height, .bitsPerPixel = bitsPerPixel};
}

inline std::string bmpFile(const BmpLayout& b) {
    uint32_t rest = static_cast<uint32_t>(b.headerRest.size());
    uint32_t rows = static_cast<uint32_t>(b.rows.size());
    uint32_t offset = b.dataOffset ? b.dataOffset : 54 + rest;
    // Size, reserved, data offset, info header size, width, height, planes
    // and bits, compression, image size, resolution, palette size, colours used.
    std::string out = "BM";
    for (uint32_t value :
         {54 + rest + rows, 0u, offset, b.infoHeaderSize, uint32_t(b.width), uint32_t(b.height),
          1u | b.bitsPerPixel << 16, 0u, rows, 2835u, 2835u, 0u, 0u}) {
        appendLe(out, value, 4);
    }
    return out + b.headerRest + b.rows;
}

// One stored row: the given bytes, then `padding` filler bytes.
inline std::string bmpRow(const std::vector<uint8_t>& bytes, size_t padding, char filler = '\x5A') {
    return std::string(bytes.begin(), bytes.end()) + std::string(padding, filler);
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
    std::vector<std::vector<uint8_t>> rows{};
    // PLTE entries (r, g, b) for palette images.
    std::vector<png_color> palette{};
    // tRNS: alpha per palette entry, or one colour for grey / RGB images.
    std::vector<uint8_t> paletteAlpha{};
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
    PngLayout layout{.width = width, .height = height, .colourType = PNG_COLOR_TYPE_RGB_ALPHA};
    for (uint32_t y = 0; y < height; ++y) {
        auto begin = pixels.begin() + static_cast<std::ptrdiff_t>(y * width * 4);
        layout.rows.emplace_back(begin, begin + width * 4);
    }
    return pngFile(layout);
}
inline std::string rgbaPng(const Picture& p) {
    return rgbaPng(p.width, p.height, p.pixels);
}

// Cell `code` of the test fonts: a colour of its own (0xRRGGBB), never
// black, the font key colour.
inline uint32_t cellColour(int32_t code) {
    return uint32_t(code) << 16 | uint32_t(255 - code) << 8 | uint32_t((code * 37) & 0xFF);
}

// A font picture of 16 cells a row, 16 rows when taller than wide, else 8;
// every cell all in its own colour.
inline Picture cellFont(int32_t width, int32_t height) {
    int32_t rows = width < height ? 16 : 8;
    Picture p = picture(width, height, 0xFF);
    for (int32_t i = 0; i < width * height; ++i) {
        int32_t x = i % width, y = i / width;
        uint32_t c = cellColour(y * rows / height * 16 + x * 16 / width);
        for (int k = 0; k < 3; ++k) p.at(x, y)[k] = static_cast<uint8_t>(c >> (16 - 8 * k));
    }
    return p;
}

}  // namespace vorlan::test
