// Image files built byte by byte, so that every test image is the test's own.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/bytes.h"
#include "support/picture.h"

namespace vorlan::test {

// A BMP: `rows` exactly as stored (bottom row first unless the height is
// negative), after `headerRest`, the bytes between the 54-byte header and
// the rows (an 8-bit file's palette, blue, green, red, 0 per entry).
inline std::string bmpFile(int32_t width, int32_t height, uint16_t bits, const std::string& rows,
                           const std::string& headerRest = "", uint32_t dataOffset = 0,
                           uint32_t infoSize = 40) {
    uint32_t rest = static_cast<uint32_t>(headerRest.size()), size = uint32_t(rows.size());
    // Size, reserved, data offset, info header size, width, height, planes
    // and bits, compression, image size, resolution, palette size, colours used.
    std::string out = "BM";
    for (uint32_t value :
         {54 + rest + size, 0u, dataOffset ? dataOffset : 54 + rest, infoSize, uint32_t(width),
          uint32_t(height), 1u | bits << 16, 0u, size, 2835u, 2835u, 0u, 0u}) {
        appendLe(out, value, 4);
    }
    return out + headerRest + rows;
}

// One stored row: the bytes, then `padding` filler bytes.
inline std::string bmpRow(const std::vector<uint8_t>& bytes, size_t padding) {
    return std::string(bytes.begin(), bytes.end()) + std::string(padding, '\x5A');
}

// A PNG of rows packed as stored (16-bit samples big-endian), top first;
// `palette` (r, g, b each) and `transparency` are the PLTE and tRNS bodies.
// Colour types: 0 grey, 2 RGB, 3 palette, 4 grey and alpha, 6 RGBA.
inline std::string pngFile(uint32_t width, int depth, int colourType,
                           const std::vector<std::vector<uint8_t>>& rows,
                           const std::string& palette = "", const std::string& transparency = "") {
    auto be32 = [](size_t v) {
        return std::string{char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    };
    auto chunk = [&](const std::string& tag, const std::string& data) {
        std::string body = tag + data;
        return be32(data.size()) + body +
               be32(crc32(0, reinterpret_cast<const Bytef*>(body.data()), uInt(body.size())));
    };
    std::string raw, packed(compressBound(uLong(rows.size() * (width * 8 + 1))), '\0');
    for (const auto& row : rows) raw += '\0' + std::string(row.begin(), row.end());
    uLongf length = packed.size();
    compress(reinterpret_cast<Bytef*>(packed.data()), &length,
             reinterpret_cast<const Bytef*>(raw.data()), raw.size());
    std::string header = be32(width) + be32(rows.size()) + char(depth) + char(colourType);
    return "\x89PNG\r\n\x1A\n" + chunk("IHDR", header + std::string(3, '\0')) +
           (palette.empty() ? "" : chunk("PLTE", palette)) +
           (transparency.empty() ? "" : chunk("tRNS", transparency)) +
           chunk("IDAT", packed.substr(0, length)) + chunk("IEND", "");
}

inline std::string rgbaPng(const Picture& p) {
    std::vector<std::vector<uint8_t>> rows;
    for (int32_t y = 0; y < p.height; ++y) rows.emplace_back(p.at(0, y), p.at(0, y) + p.width * 4);
    return pngFile(p.width, 8, 6, rows);
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
