// The packed media archive's file layout, shared by the runtime's
// lookup and by the vorlan-pack tool. Internal to the runtime.
//
// Layout, all integers little-endian:
//   file end - 7: "viZ"; file end - 4: directory offset (signed 32-bit).
//   directory: entries of name length (1 byte, 0 ends the directory), name,
//              data offset (signed 32-bit), data size (32-bit).
//   entry data: uncompressed size (32-bit) + LZO1X stream.
// A signed offset counts from the start of the file when >= 0, and that many
// bytes back from the end of the file when negative.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vorlan::archive {

inline constexpr char kMagic[3] = {'v', 'i', 'Z'};
inline constexpr uint64_t kTrailerSize = 7;
inline constexpr size_t kMaxNameLength = 255;
// An entry's declared uncompressed size is refused above this many bytes...
inline constexpr uint64_t kMaxUncompressedSize = uint64_t{1} << 30;
// ...and above this many times its compressed stream (LZO1X cannot expand a
// stream by more than about 255 times), plus a little slack for tiny entries.
inline constexpr uint64_t kMaxExpansion = 256;
inline constexpr uint64_t kExpansionSlack = 4096;

// One directory entry as stored, plus where its data lies in the file.
struct Entry {
    std::string name;
    int32_t dataOffset = 0;  // as stored
    uint32_t dataSize = 0;   // as stored: 4-byte size header + LZO1X stream
    uint64_t position = 0;   // dataOffset resolved from the start of the file
    bool inBounds = false;   // position and dataSize lie inside the file
};

// Resolves a signed offset of the layout against a file of fileSize bytes.
// Gives false when the result lies before the start or beyond the end.
bool resolveOffset(int32_t offset, uint64_t fileSize, uint64_t& position);

// True when the name can safely become part of a temporary file's name: not
// empty, no "/", "\\", NUL or "..", at most kMaxNameLength bytes.
bool isSafeEntryName(const std::string& name);

// ASCII case-insensitive equality (the system code page's letters A-Z).
bool namesEqualIgnoringCase(const char* a, size_t aLength, const char* b, size_t bLength);

// The part of a name after its last "/" or "\\".
const char* finalNameComponent(const char* name);

// Reads an archive from an open file descriptor with pread and a small
// buffer; never allocates by a size taken from the file beyond the file's
// real size. Not thread-safe; one reader per walk.
class ArchiveReader {
  public:
    enum class OpenResult {
        Ok,          // trailer found; the directory can be walked
        CannotOpen,  // missing, unreadable, or not a regular file
        NotArchive,  // the file does not end in a valid trailer
    };

    ArchiveReader() = default;
    ~ArchiveReader();
    ArchiveReader(const ArchiveReader&) = delete;
    ArchiveReader& operator=(const ArchiveReader&) = delete;

    OpenResult open(const char* path);
    void close();

    uint64_t fileSize() const { return fileSize_; }
    // Where the directory starts (valid after open gave Ok).
    uint64_t directoryPosition() const { return directoryPosition_; }

    // What a walk of the directory met.
    enum class Walk {
        Entry,   // an entry, filled in
        End,     // the directory's end marker
        Broken,  // a read fell short: the directory is cut
    };

    // Reads the next directory entry.
    Walk nextEntry(Entry& entry);

    // Walks on to the first entry whose name equals `name` without regard to
    // case; End when there is none.
    Walk findEntry(const char* name, size_t length, Entry& entry);

    // Reads the entry's data (data size bytes). False when the entry lies
    // outside the file or a read falls short.
    bool readEntryData(const Entry& entry, std::vector<uint8_t>& data);

  private:
    // An entry as stored: its name and the 8 bytes of fields right after it,
    // in the read buffer or in scratch_, valid until the next read.
    struct RawEntry {
        uint8_t length = 0;
        const uint8_t* name = nullptr;
    };
    Walk readRawEntry(RawEntry& raw);
    void fillEntry(const RawEntry& raw, Entry& entry) const;
    bool readBytes(void* target, size_t count);

    int fd_ = -1;
    uint64_t fileSize_ = 0;
    uint64_t directoryPosition_ = 0;
    uint64_t cursor_ = 0;  // file position of buffer_[0]
    size_t bufferStart_ = 0;
    size_t bufferEnd_ = 0;
    uint8_t buffer_[16384];
    uint8_t scratch_[kMaxNameLength + 8];
};

// Decodes an entry's data block: the 4-byte uncompressed size and the LZO1X
// stream, with the safe decompressor. Gives false when the size header is
// missing, the declared size is implausible (see the limits above) or the
// stream does not decode to exactly the declared size.
struct DecodedData {
    std::unique_ptr<uint8_t[]> bytes;
    size_t size = 0;
};
bool decodeEntryData(const uint8_t* data, size_t size, DecodedData& output);

// Compresses bytes into an entry data block (size header + LZO1X stream).
// `best` selects LZO1X-999 instead of LZO1X-1. False on failure.
bool encodeEntryData(const uint8_t* data, size_t size, bool best, std::vector<uint8_t>& block);

// Little-endian helpers.
inline uint32_t readLe32(const uint8_t* p) {
    return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}
inline void appendLe32(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
    out.push_back(static_cast<uint8_t>(value >> 16));
    out.push_back(static_cast<uint8_t>(value >> 24));
}

}  // namespace vorlan::archive
