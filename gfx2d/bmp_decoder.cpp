#include "gfx2d/bmp_decoder.h"

#include <sys/stat.h>

#include <bit>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "gfx2d/image_file.h"

namespace vorlan {

namespace {

// Pixels are moved as 32-bit words whose bytes are R, G, B, A in memory.
static_assert(std::endian::native == std::endian::little, "the pixel words assume little-endian");

struct FreeBlock {
    void operator()(uint8_t* block) const { std::free(block); }
};
using Block = std::unique_ptr<uint8_t, FreeBlock>;

// The fixed part read before the header block's remainder: the two magic
// bytes, the rest of the 14-byte file header and the 40-byte info header.
constexpr uint32_t kFixedHeaderSize = 54;
constexpr size_t kPaletteEntries = 256;

uint16_t le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t le32(const uint8_t* p) {
    return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

uint32_t colourOf(uint8_t r, uint8_t g, uint8_t b) {
    return uint32_t{r} | (uint32_t{g} << 8) | (uint32_t{b} << 16);
}

bool readExact(std::FILE* file, void* target, size_t count) {
    return count == 0 || std::fread(target, 1, count, file) == count;
}

// Reads and drops count bytes; fails when the stream holds fewer.
bool skipBytes(std::FILE* file, uint64_t count) {
    uint8_t scratch[4096];
    while (count > 0) {
        size_t take = count < sizeof scratch ? static_cast<size_t>(count) : sizeof scratch;
        if (!readExact(file, scratch, take)) return false;
        count -= take;
    }
    return true;
}

// Bytes between the stream's position and its end, or -1 when that cannot
// be known (a pipe).
int64_t bytesLeft(std::FILE* file) {
    off_t here = ftello(file);
    if (here < 0) return -1;
    int fd = fileno(file);
    struct stat info {};
    if (fd >= 0 && ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        return info.st_size > here ? info.st_size - here : 0;
    }
    if (fd >= 0) return -1;
    // A memory stream: measure by seeking.
    if (fseeko(file, 0, SEEK_END) != 0) return -1;
    off_t end = ftello(file);
    if (fseeko(file, here, SEEK_SET) != 0 || end < here) return -1;
    return end - here;
}

// Reads count bytes in one block. Never allocates beyond what the stream
// really holds: a length known in advance is checked first, and an unknown
// one is read in growing steps.
bool readBlock(std::FILE* file, uint64_t count, Block& block) {
    int64_t left = bytesLeft(file);
    if (left >= 0) {
        if (static_cast<uint64_t>(left) < count) return false;
        block.reset(static_cast<uint8_t*>(std::malloc(count > 0 ? count : 1)));
        return block && readExact(file, block.get(), count);
    }
    uint64_t have = 0;
    uint64_t room = 0;
    while (have < count) {
        uint64_t step = room < (uint64_t{1} << 16) ? (uint64_t{1} << 16) : room;
        uint64_t next = have + step < count ? have + step : count;
        auto* grown = static_cast<uint8_t*>(std::realloc(block.get(), next));
        if (grown == nullptr) return false;
        block.release();
        block.reset(grown);
        room = next;
        if (!readExact(file, block.get() + have, next - have)) return false;
        have = next;
    }
    if (count == 0) block.reset(static_cast<uint8_t*>(std::malloc(1)));
    return static_cast<bool>(block);
}

// One stored row of blue, green, red (and an ignored fourth byte) into R, G,
// B, A = 255; a keyed pixel becomes 0, 0, 0, 0. Each pixel is taken with one
// 4-byte load (a 24-bit row's last pixel byte by byte, as its fourth byte
// may lie past the data) and stored with one 4-byte store.
template <int kBytes, bool kKeyed>
void convertRow(const uint8_t* src, uint8_t* dst, int32_t width, uint32_t key) {
    int32_t wordPixels = kBytes == 4 ? width : width - 1;
    int32_t x = 0;
    for (; x < wordPixels; ++x, src += kBytes, dst += 4) {
        uint32_t stored;
        std::memcpy(&stored, src, 4);
        // Little-endian B, G, R, x: swapped and shifted it is R + 256 G + 65536 B.
        uint32_t colour = __builtin_bswap32(stored) >> 8;
        uint32_t pixel = colour | 0xFF000000u;
        if (kKeyed) pixel = colour == key ? 0 : pixel;
        std::memcpy(dst, &pixel, 4);
    }
    for (; x < width; ++x, src += kBytes, dst += 4) {
        uint32_t colour = colourOf(src[2], src[1], src[0]);
        uint32_t pixel = colour | 0xFF000000u;
        if (kKeyed) pixel = colour == key ? 0 : pixel;
        std::memcpy(dst, &pixel, 4);
    }
}

bool decodeInto(PixelBuffer& out, std::FILE* file, int32_t keyColour, const char*& why) {
    auto fail = [&why](const char* reason) {
        why = reason;
        return false;
    };
    if (file == nullptr) return fail("cannot be opened");
    uint8_t magic[2];
    if (!readExact(file, magic, 2) || magic[0] != 'B' || magic[1] != 'M')
        return fail("no BMP mark");
    // File size, two reserved fields, pixel data offset; then the ten fields
    // of the 40-byte info header. All read in order, none examined but the
    // offset, width, height and bits per pixel.
    uint8_t fileHeader[12];
    uint8_t info[40];
    if (!readExact(file, fileHeader, sizeof fileHeader) || !readExact(file, info, sizeof info)) {
        return fail("header cut short");
    }
    uint32_t dataOffset = le32(fileHeader + 8);
    int32_t width = static_cast<int32_t>(le32(info + 4));
    int32_t storedHeight = static_cast<int32_t>(le32(info + 8));
    uint16_t bitsPerPixel = le16(info + 14);

    // The header block (offset - 14 bytes) must hold the info header.
    if (dataOffset < kFixedHeaderSize) return fail("pixel data offset inside the header");
    if (bitsPerPixel != 8 && bitsPerPixel != 24 && bitsPerPixel != 32) {
        return fail("only 8, 24 and 32 bits per pixel are supported");
    }
    if (width < 0 || storedHeight == INT32_MIN) return fail("impossible picture size");
    int32_t height = storedHeight < 0 ? -storedHeight : storedHeight;

    // The rest of the header block; an 8-bit file's palette is at its start.
    uint64_t rest = dataOffset - kFixedHeaderSize;
    uint8_t palette[kPaletteEntries * 4];
    size_t paletteBytes = rest < sizeof palette ? static_cast<size_t>(rest) : sizeof palette;
    if (!readExact(file, palette, paletteBytes) || !skipBytes(file, rest - paletteBytes)) {
        return fail("header cut short");
    }

    uint64_t bytesPerPixel = bitsPerPixel / 8u;
    uint64_t stride = (static_cast<uint64_t>(width) * bytesPerPixel + 3) & ~uint64_t{3};
    // Both factors are below 2^31, so their product cannot overflow 64 bits.
    if (static_cast<uint64_t>(width) * static_cast<uint64_t>(height) >
        static_cast<uint64_t>(PixelBuffer::kMaxBytes) / 4) {
        return fail("picture too large");
    }
    Block rows;
    if (!readBlock(file, stride * static_cast<uint64_t>(height), rows)) {
        return fail("pixel data cut short");
    }

    if (!out.resize(width, height)) return fail("out of memory");
    if (out.byteSize() == 0) return true;  // no pixels: nothing to convert
    // R + 256 G + 65536 B is never negative nor above 0xFFFFFF: other keys,
    // -1 among them, match nothing.
    bool keyed = keyColour >= 0 && keyColour <= 0xFFFFFF;
    uint32_t key = static_cast<uint32_t>(keyColour);

    if (bitsPerPixel == 8) {
        // Indices beyond the palette the header block holds are black.
        uint8_t table[kPaletteEntries][4] = {};
        size_t entries = paletteBytes / 4;
        for (size_t i = 0; i < kPaletteEntries; ++i) {
            uint8_t r = 0, g = 0, b = 0;
            if (i < entries) {
                b = palette[i * 4];
                g = palette[i * 4 + 1];
                r = palette[i * 4 + 2];
            }
            if (keyed && colourOf(r, g, b) == key) continue;  // stays 0, 0, 0, 0
            table[i][0] = r;
            table[i][1] = g;
            table[i][2] = b;
            table[i][3] = 255;
        }
        for (int32_t y = 0; y < height; ++y) {
            const uint8_t* src = rows.get() + static_cast<uint64_t>(height - 1 - y) * stride;
            uint8_t* dst = out.row(y);
            for (int32_t x = 0; x < width; ++x, dst += 4) std::memcpy(dst, table[src[x]], 4);
        }
        return true;
    }

    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* src = rows.get() + static_cast<uint64_t>(height - 1 - y) * stride;
        uint8_t* dst = out.row(y);
        if (bitsPerPixel == 24) {
            keyed ? convertRow<3, true>(src, dst, width, key)
                  : convertRow<3, false>(src, dst, width, key);
        } else {
            keyed ? convertRow<4, true>(src, dst, width, key)
                  : convertRow<4, false>(src, dst, width, key);
        }
    }
    return true;
}

}  // namespace

bool decodeBmpStream(PixelBuffer& out, std::FILE* file, int32_t keyColour, const char** why) {
    const char* reason = nullptr;
    if (decodeInto(out, file, keyColour, reason)) return true;
    if (why) *why = reason;
    out.clear();
    return false;
}

bool decodeBmpFile(PixelBuffer& out, const char* fileName, int32_t keyColour, const char** why) {
    std::string path;
    std::FILE* file = nullptr;
    if (imageFilePath(fileName, path)) file = std::fopen(path.c_str(), "rbe");
    bool ok = decodeBmpStream(out, file, keyColour, why);
    if (file != nullptr) std::fclose(file);
    return ok;
}

}  // namespace vorlan
