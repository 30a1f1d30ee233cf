// Builds packed media archives byte by byte, so that tests can reach layouts
// the packing tool never writes: end-relative offsets, bad magic, cut
// directories, entries pointing anywhere.
#pragma once

#include <lzo/lzo1x.h>

#include <cstdint>
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

// Lays out an archive: data blocks first (anywhere, in any order), then the
// directory, its end marker and the trailer.
class ArchiveBytes {
  public:
    // Appends raw bytes (a prefix such as an executable, or a data block) and
    // gives their position.
    uint32_t add(const std::string& bytes) {
        uint32_t at = static_cast<uint32_t>(bytes_.size());
        bytes_ += bytes;
        return at;
    }
    // Adds a compressed entry stored at its position from the file start.
    void addEntry(const std::string& name, const std::string& content) {
        std::string block = lzoBlock(content);
        uint32_t at = add(block);
        entries_.push_back({name, static_cast<int32_t>(at), static_cast<uint32_t>(block.size())});
    }
    void addDirectoryEntry(const DirectoryEntry& entry) { entries_.push_back(entry); }
    std::vector<DirectoryEntry>& entries() { return entries_; }

    // The directory and trailer. `directoryOffset` is written as given when
    // `explicitOffset` is set, otherwise the directory's position.
    std::string finish(bool endMarker = true, const char* magic = "viZ") const {
        return finishWith(endMarker, magic, false, 0);
    }
    std::string finishWithOffset(int32_t directoryOffset, const char* magic = "viZ") const {
        return finishWith(true, magic, true, directoryOffset);
    }

    // Rewrites every offset (entries and directory) to count back from the
    // end of the finished file.
    std::string finishEndRelative() const {
        std::string directory = directoryBytes(true);
        int64_t total = static_cast<int64_t>(bytes_.size() + directory.size() + 7);
        std::string out = bytes_;
        for (const DirectoryEntry& entry : entries_) {
            out += static_cast<char>(entry.name.size());
            out += entry.name;
            appendLe32(out, static_cast<uint32_t>(static_cast<int32_t>(entry.dataOffset - total)));
            appendLe32(out, entry.dataSize);
        }
        out += '\0';
        out += "viZ";
        appendLe32(out, static_cast<uint32_t>(static_cast<int32_t>(bytes_.size() - total)));
        return out;
    }

    size_t size() const { return bytes_.size(); }

  private:
    std::string directoryBytes(bool endMarker) const {
        std::string directory;
        for (const DirectoryEntry& entry : entries_) {
            directory += static_cast<char>(entry.name.size());
            directory += entry.name;
            appendLe32(directory, static_cast<uint32_t>(entry.dataOffset));
            appendLe32(directory, entry.dataSize);
        }
        if (endMarker) directory += '\0';
        return directory;
    }
    std::string finishWith(bool endMarker, const char* magic, bool explicitOffset,
                           int32_t offset) const {
        std::string out = bytes_;
        uint32_t directoryAt = static_cast<uint32_t>(out.size());
        out += directoryBytes(endMarker);
        out.append(magic, 3);
        appendLe32(out, explicitOffset ? static_cast<uint32_t>(offset) : directoryAt);
        return out;
    }

    std::string bytes_;
    std::vector<DirectoryEntry> entries_;
};

}  // namespace vorlan::test
