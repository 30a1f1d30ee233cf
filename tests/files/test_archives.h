// Packed media archives byte by byte, in layouts the packing tool never
// writes: end-relative offsets, bad magic, cut directories, any entry offset.
#pragma once

#include <lzo/lzo1x.h>

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "support/bytes.h"

namespace vorlan::test {

// Bytes that LZO cannot shrink.
inline std::string noise(size_t size, uint32_t seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    return bytes;
}

// An entry's data block: the uncompressed size, then the LZO1X-1 stream.
inline std::string lzoBlock(const std::string& content) {
    std::vector<unsigned char> work(LZO1X_1_MEM_COMPRESS), packed(content.size() * 2 + 64);
    lzo_uint packedSize = packed.size();
    lzo_init();
    lzo1x_1_compress(reinterpret_cast<const unsigned char*>(content.data()), content.size(),
                     packed.data(), &packedSize, work.data());
    std::string block;
    appendLe(block, content.size(), 4);
    return block.append(reinterpret_cast<const char*>(packed.data()), packedSize);
}

struct DirectoryEntry {
    std::string name;
    int32_t dataOffset = 0;
    uint32_t dataSize = 0;
};

// Data blocks first (anywhere, in any order), then the directory, its end
// marker and the trailer.
class ArchiveBytes {
  public:
    // Appends raw bytes (a program, a data block) and gives their position.
    uint32_t add(const std::string& bytes) {
        bytes_ += bytes;
        return uint32_t(bytes_.size() - bytes.size());
    }
    void addEntry(const std::string& name, const std::string& content) {
        const std::string block = lzoBlock(content);
        entries.push_back({name, int32_t(add(block)), uint32_t(block.size())});
    }
    // The trailer may name `directoryOffset` instead of the directory;
    // `fromEnd` counts every offset back from the end of the file.
    std::string finish(bool endMarker = true, const char* magic = "viZ",
                       std::optional<int32_t> directoryOffset = {}, bool fromEnd = false) const {
        size_t total = bytes_.size() + (endMarker ? 1 : 0) + 7;
        for (const DirectoryEntry& entry : entries) total += 9 + entry.name.size();
        const int64_t shift = fromEnd ? -int64_t(total) : 0;
        std::string out = bytes_;
        for (const DirectoryEntry& entry : entries) {
            out += char(entry.name.size()) + entry.name;
            appendLe(out, uint32_t(entry.dataOffset + shift), 4);
            appendLe(out, entry.dataSize, 4);
        }
        out += std::string(endMarker ? 1 : 0, '\0') + std::string(magic, 3);
        appendLe(out, uint32_t(directoryOffset.value_or(int64_t(bytes_.size()) + shift)), 4);
        return out;
    }

    std::vector<DirectoryEntry> entries;

  private:
    std::string bytes_;
};

}  // namespace vorlan::test
