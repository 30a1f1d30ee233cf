// Builds packed media archives byte by byte, so that tests reach layouts the
// packing tool never writes: end-relative offsets, bad magic, cut
// directories, entries pointing anywhere.
#pragma once

#include <lzo/lzo1x.h>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace vorlan::test {

inline void appendLe32(std::string& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// An entry's data block: the uncompressed size, then the LZO1X-1 stream.
inline std::string lzoBlock(const std::string& content) {
    if (lzo_init() != LZO_E_OK) throw std::runtime_error("lzo_init failed");
    std::vector<unsigned char> work(LZO1X_1_MEM_COMPRESS);
    std::vector<unsigned char> packed(content.size() + content.size() / 16 + 64 + 3);
    lzo_uint packedSize = packed.size();
    const auto* source = reinterpret_cast<const unsigned char*>(content.data());
    if (lzo1x_1_compress(source, content.size(), packed.data(), &packedSize, work.data()) !=
        LZO_E_OK) {
        throw std::runtime_error("lzo1x_1_compress failed");
    }
    std::string block;
    appendLe32(block, static_cast<uint32_t>(content.size()));
    block.append(reinterpret_cast<const char*>(packed.data()), packedSize);
    return block;
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
        uint32_t at = static_cast<uint32_t>(bytes_.size());
        bytes_ += bytes;
        return at;
    }
    void addEntry(const std::string& name, const std::string& content) {
        std::string block = lzoBlock(content);
        uint32_t at = add(block);
        entries_.push_back({name, static_cast<int32_t>(at), static_cast<uint32_t>(block.size())});
    }
    void addDirectoryEntry(const DirectoryEntry& entry) { entries_.push_back(entry); }
    const std::vector<DirectoryEntry>& entries() const { return entries_; }

    std::string finish(bool endMarker = true, const char* magic = "viZ") const {
        return layout(endMarker, magic, std::nullopt, false);
    }
    // The trailer names `directoryOffset` instead of the directory.
    std::string finishWithOffset(int32_t directoryOffset) const {
        return layout(true, "viZ", directoryOffset, false);
    }
    // Every offset counts back from the end of the file.
    std::string finishEndRelative() const { return layout(true, "viZ", std::nullopt, true); }

  private:
    std::string layout(bool endMarker, const char* magic, std::optional<int32_t> directoryOffset,
                       bool fromEnd) const {
        size_t total = bytes_.size() + (endMarker ? 1 : 0) + 7;
        for (const DirectoryEntry& entry : entries_) total += 9 + entry.name.size();
        const int64_t shift = fromEnd ? -static_cast<int64_t>(total) : 0;
        std::string out = bytes_;
        for (const DirectoryEntry& entry : entries_) {
            out += static_cast<char>(entry.name.size());
            out += entry.name;
            appendLe32(out, static_cast<uint32_t>(entry.dataOffset + shift));
            appendLe32(out, entry.dataSize);
        }
        if (endMarker) out += '\0';
        out.append(magic, 3);
        appendLe32(out, static_cast<uint32_t>(
                            directoryOffset.value_or(static_cast<int64_t>(bytes_.size()) + shift)));
        return out;
    }

    std::string bytes_;
    std::vector<DirectoryEntry> entries_;
};

}  // namespace vorlan::test
