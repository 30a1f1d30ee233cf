// WAV files built byte by byte, so that every test sound is made by the test
// itself.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/bytes.h"

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
    for (size_t i = 0; i < frames * static_cast<size_t>(channels); ++i) appendLe(out, level, 2);
    return out;
}

inline std::string waveFile(const WaveLayout& w, const std::string& samples) {
    std::string fmt;
    uint16_t block = static_cast<uint16_t>(w.channels * w.bits / 8);
    const std::pair<uint32_t, int> fields[] = {{w.tag, 2},          {w.channels, 2}, {w.rate, 4},
                                               {w.rate * block, 4}, {block, 2},      {w.bits, 2}};
    for (auto [value, bytes] : fields) appendLe(fmt, value, bytes);
    if (w.formatSize >= 18) appendLe(fmt, w.formatSize - 18, 2);
    if (w.formatSize >= 40) {
        appendLe(fmt, w.bits, 2);
        appendLe(fmt, w.channels == 1 ? 4 : 3, 4);
        appendLe(fmt, w.subFormat, 4);
        fmt += std::string("\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 12);
    }
    fmt.resize(w.formatSize, '\0');
    std::string body = "WAVE";
    auto put = [&](const std::string& tag, const std::string& bytes, uint32_t size) {
        body += tag;
        appendLe(body, size, 4);
        body += bytes;
        if (tag != "data" && bytes.size() % 2) body += '\0';
    };
    put("fmt ", fmt, static_cast<uint32_t>(fmt.size()));
    for (const Chunk& c : w.before) put(c.tag, c.body, static_cast<uint32_t>(c.body.size()));
    put("data", samples,
        w.dataSize < 0 ? static_cast<uint32_t>(samples.size()) : static_cast<uint32_t>(w.dataSize));
    std::string out = "RIFF";
    appendLe(out, body.size(), 4);
    out += body;
    out.resize(out.size() - w.cut);
    return out;
}

}  // namespace vorlan::test
