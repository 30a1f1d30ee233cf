// Little-endian bytes, as the files the tests build (pictures, sounds,
// archives) and SDL's disk audio driver hold them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vorlan::test {

// The low `bytes` bytes of `value`, lowest first.
inline void appendLe(std::string& out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// 16-bit samples from byte `from` on.
inline std::vector<int16_t> le16Samples(const std::string& bytes, size_t from = 0) {
    std::vector<int16_t> samples;
    for (size_t at = from; at + 1 < bytes.size(); at += 2) {
        samples.push_back(static_cast<int16_t>(uint8_t(bytes[at]) | uint8_t(bytes[at + 1]) << 8));
    }
    return samples;
}

}  // namespace vorlan::test
