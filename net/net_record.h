// The one record that travels between game instances, and the assembly of
// records out of a TCP byte stream, on which one read is not one record.
//
// Layout, little-endian, no alignment: "VRLN", type (1 byte), text length
// (int32, 0..1024), receiver id (int32), sender id (int32), text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vorlan {

enum class RecordType : uint8_t {
    Register = 1,
    Assigned = 2,
    Message = 3,
    Leave = 4,
    CountPlayers = 101,
    PlayerIdAt = 102,
    PlayerName = 103,
    JoinCheck = 104,
};

constexpr size_t kRecordHeaderBytes = 17;
constexpr size_t kMaxRecordText = 1024;
// Receiver ids with a meaning of their own.
constexpr int32_t kEverybody = -1;
constexpr int32_t kRelay = 0;

struct NetRecord {
    uint8_t type = 0;
    int32_t receiver = 0;
    int32_t sender = 0;
    std::string text;

    RecordType kind() const { return static_cast<RecordType>(type); }
};

// The wire bytes; the text must not exceed kMaxRecordText.
std::string encodeRecord(const NetRecord& record);
NetRecord makeRecord(RecordType type, int32_t receiver, int32_t sender, std::string text = {});

// Little-endian int32 as a record text, and back (0 when too short).
std::string int32Text(int32_t value);
int32_t readInt32(const std::string& text, size_t offset = 0);

// Cuts complete records out of the bytes of one connection. A header is
// valid with the tag and a length of 0..1024; anything else is skipped up
// to the next tag, so one bad record does not end the connection.
class RecordAssembler {
  public:
    void feed(const char* data, size_t size);
    // Takes the next complete record; false when more bytes are needed.
    bool next(NetRecord& record);
    uint64_t skippedBytes() const { return skipped_; }

  private:
    void skip(size_t count);

    std::string buffer_;
    size_t start_ = 0;
    uint64_t skipped_ = 0;
};

// The registration block that a type-1 record carries: 152 bytes, the
// creator's socket field at 0 and the entry's id at 4 (both -1 while the
// block travels), the hidden flag at 8, the host flag at 9 and the
// NUL-terminated name at 10.
constexpr size_t kPlayerBlockBytes = 152;
constexpr size_t kMaxNameBytes = 127;

struct PlayerBlock {
    int32_t socket = -1;
    bool hidden = false;
    bool hostFlag = false;
    std::string name;
};

std::string encodePlayerBlock(const PlayerBlock& block);
// False when the text is shorter than the block; the name ends at its
// first NUL or after 127 bytes.
bool decodePlayerBlock(const std::string& text, PlayerBlock& block);

}  // namespace vorlan
