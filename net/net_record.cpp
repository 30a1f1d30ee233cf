#include "net/net_record.h"

#include <cstring>

namespace vorlan {

namespace {

constexpr char kTag[4] = {'V', 'R', 'L', 'N'};

void putInt32(std::string& out, int32_t value) {
    auto bits = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((bits >> (8 * i)) & 0xFF));
}

int32_t getInt32(const char* bytes) {
    uint32_t bits = 0;
    for (int i = 0; i < 4; ++i)
        bits |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[i])) << (8 * i);
    return static_cast<int32_t>(bits);
}

}  // namespace

std::string encodeRecord(const NetRecord& record) {
    std::string bytes(kTag, sizeof kTag);
    bytes.reserve(kRecordHeaderBytes + record.text.size());
    bytes.push_back(static_cast<char>(record.type));
    putInt32(bytes, static_cast<int32_t>(record.text.size()));
    putInt32(bytes, record.receiver);
    putInt32(bytes, record.sender);
    bytes += record.text;
    return bytes;
}

NetRecord makeRecord(RecordType type, int32_t receiver, int32_t sender, std::string text) {
    return {static_cast<uint8_t>(type), receiver, sender, std::move(text)};
}

std::string int32Text(int32_t value) {
    std::string text;
    putInt32(text, value);
    return text;
}

int32_t readInt32(const std::string& text, size_t offset) {
    return text.size() >= offset + 4 ? getInt32(text.data() + offset) : 0;
}

void RecordAssembler::feed(const char* data, size_t size) {
    // Consumed bytes go before the buffer grows, so it stays about one
    // record long however long the connection lives.
    if (start_ > 0 && start_ >= buffer_.size() / 2) {
        buffer_.erase(0, start_);
        start_ = 0;
    }
    buffer_.append(data, size);
}

void RecordAssembler::skip(size_t count) {
    start_ += count;
    skipped_ += count;
}

bool RecordAssembler::next(NetRecord& record) {
    for (;;) {
        size_t available = buffer_.size() - start_;
        const char* at = buffer_.data() + start_;
        if (available < sizeof kTag) {
            // Keep only a tail that could still begin a tag.
            size_t keep = available;
            while (keep > 0 && std::memcmp(at + available - keep, kTag, keep) != 0) --keep;
            skip(available - keep);
            return false;
        }
        if (std::memcmp(at, kTag, sizeof kTag) != 0) {
            size_t found = buffer_.find(std::string_view(kTag, sizeof kTag), start_ + 1);
            // Without another tag everything goes but the last three bytes,
            // which may be the start of one.
            skip(found == std::string::npos ? available - (sizeof kTag - 1) : found - start_);
            continue;
        }
        if (available < kRecordHeaderBytes) return false;
        int32_t length = getInt32(at + 5);
        if (length < 0 || static_cast<size_t>(length) > kMaxRecordText) {
            skip(1);
            continue;
        }
        size_t total = kRecordHeaderBytes + static_cast<size_t>(length);
        if (available < total) return false;
        record.type = static_cast<uint8_t>(at[4]);
        record.receiver = getInt32(at + 9);
        record.sender = getInt32(at + 13);
        record.text.assign(at + kRecordHeaderBytes, static_cast<size_t>(length));
        start_ += total;
        return true;
    }
}

std::string encodePlayerBlock(const PlayerBlock& block) {
    std::string bytes(kPlayerBlockBytes, '\0');
    bytes.replace(0, 4, int32Text(block.socket));
    // Not registered yet: the host hands the id out.
    bytes.replace(4, 4, int32Text(-1));
    bytes[8] = block.hidden ? 1 : 0;
    bytes[9] = block.hostFlag ? 1 : 0;
    std::string name = block.name.substr(0, kMaxNameBytes);
    bytes.replace(10, name.size(), name);
    return bytes;
}

bool decodePlayerBlock(const std::string& text, PlayerBlock& block) {
    if (text.size() < kPlayerBlockBytes) return false;
    block.socket = readInt32(text);
    block.hidden = text[8] != 0;
    block.hostFlag = text[9] != 0;
    const char* name = text.data() + 10;
    block.name.assign(name, strnlen(name, kMaxNameBytes));
    return true;
}

}  // namespace vorlan
