// Feeds arbitrary bytes to the BMP decoder as a memory stream.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "gfx2d/bmp_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    std::FILE* stream = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (stream == nullptr) return 0;
    // The key colour changes which pixels are written; take it from the size
    // so that both paths are reached.
    int32_t key = (size & 1) != 0 ? -1 : 0x8000FF;
    vorlan::PixelBuffer out;
    bool ok = vorlan::decodeBmpStream(out, stream, key);
    std::fclose(stream);
    if (ok) {
        // Every pixel must lie inside the block.
        if (static_cast<int64_t>(out.byteSize()) > out.capacity()) std::abort();
        uint32_t sum = 0;
        for (size_t i = 0; i < out.byteSize(); ++i) sum += out.pixels()[i];
        if (out.byteSize() > 0 && sum == UINT32_MAX) std::abort();
    } else if (out.pixels() != nullptr || out.capacity() != 0) {
        std::abort();  // a failed decode empties the buffer
    }
    return 0;
}
