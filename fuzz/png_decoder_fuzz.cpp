// Feeds arbitrary bytes to the PNG decoder as a memory stream.
//
// libpng itself is not instrumented, so the fuzzer sees little of it; to
// get mutated headers and rows past libpng's checksums, half of the inputs
// have their chunk CRCs recomputed before decoding.
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "gfx2d/png_decoder.h"

namespace {

void fixChunkCrcs(std::vector<uint8_t>& bytes) {
    size_t at = 8;  // after the signature
    while (at + 12 <= bytes.size()) {
        uint32_t length = (uint32_t{bytes[at]} << 24) | (uint32_t{bytes[at + 1]} << 16) |
                          (uint32_t{bytes[at + 2]} << 8) | bytes[at + 3];
        if (length > bytes.size() - at - 12) break;
        uLong crc = crc32(0, bytes.data() + at + 4, static_cast<uInt>(length + 4));
        uint8_t* field = bytes.data() + at + 8 + length;
        for (int i = 0; i < 4; ++i) field[i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
        at += 12 + length;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    std::vector<uint8_t> bytes(data, data + size);
    if ((size & 2) != 0) fixChunkCrcs(bytes);
    std::FILE* stream = fmemopen(bytes.data(), bytes.size(), "rb");
    if (stream == nullptr) return 0;
    int32_t key = (size & 1) != 0 ? -1 : 0x8000FF;
    vorlan::PixelBuffer out;
    // The decoder takes the stream over and closes it.
    bool ok = vorlan::decodePngStream(out, stream, "fuzz.png", key);
    if (ok) {
        if (out.width() <= 0 || out.height() <= 0) std::abort();
        if (static_cast<int64_t>(out.byteSize()) > out.capacity()) std::abort();
        uint32_t sum = 0;
        for (size_t i = 0; i < out.byteSize(); ++i) sum += out.pixels()[i];
        if (sum == UINT32_MAX) std::abort();
    } else if (out.pixels() != nullptr) {
        std::abort();  // a failed decode leaves the buffer as it was: empty
    }
    return 0;
}
