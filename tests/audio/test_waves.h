// WAV files built byte by byte, so that every test sound is made by the test
// itself.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/gfx2d/test_images.h"

namespace vorlan::test {

struct Chunk {
    std::string tag;
    std::string body;
};

struct WaveLayout {
    uint16_t tag = 1;
    uint16_t channels = 2;
    uint32_t rate = 22050;
    uint16_t bits = 16;
    uint32_t formatSize = 16;   // 16, 18 or 40: the rest is zero or the sub-format
    uint32_t subFormat = 1;     // of a 40-byte chunk: 1 PCM, 3 float
    std::vector<Chunk> before;  // chunks between "fmt " and "data"
    int64_t dataSize = -1;      // -1: the real size
    size_t cut = 0;             // bytes dropped from the end of the file
};

// Frames of one constant level per channel.
inline std::string pcm16(size_t frames, int channels, int16_t level) {
    std::string out;
    for (size_t i = 0; i < frames * static_cast<size_t>(channels); ++i)
        putLe16(out, static_cast<uint16_t>(level));
    return out;
}

inline std::string waveFile(const WaveLayout& w, const std::string& samples) {
    std::string fmt;
    putLe16(fmt, w.tag);
    putLe16(fmt, w.channels);
    putLe32(fmt, w.rate);
    uint16_t block = static_cast<uint16_t>(w.channels * w.bits / 8);
    putLe32(fmt, w.rate * block);
    putLe16(fmt, block);
    putLe16(fmt, w.bits);
    if (w.formatSize >= 18) putLe16(fmt, w.formatSize - 18);
    if (w.formatSize >= 40) {
        putLe16(fmt, w.bits);
        putLe32(fmt, w.channels == 1 ? 4 : 3);
        putLe32(fmt, w.subFormat);
        fmt += std::string("\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 12);
    }
    fmt.resize(w.formatSize, '\0');
    std::string body = "WAVE";
    auto put = [&](const std::string& tag, const std::string& bytes, uint32_t size) {
        body += tag;
        putLe32(body, size);
        body += bytes;
        if (tag != "data" && bytes.size() % 2) body += '\0';
    };
    put("fmt ", fmt, static_cast<uint32_t>(fmt.size()));
    for (const Chunk& c : w.before) put(c.tag, c.body, static_cast<uint32_t>(c.body.size()));
    put("data", samples,
        w.dataSize < 0 ? static_cast<uint32_t>(samples.size()) : static_cast<uint32_t>(w.dataSize));
    std::string out = "RIFF";
    putLe32(out, static_cast<uint32_t>(body.size()));
    out += body;
    out.resize(out.size() - w.cut);
    return out;
}

}  // namespace vorlan::test
