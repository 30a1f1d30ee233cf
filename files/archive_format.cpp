#include "files/archive_format.h"

#include <fcntl.h>
#include <lzo/lzo1x.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

namespace vorlan::archive {

namespace {

bool lzoReady() {
    static const bool ready = lzo_init() == LZO_E_OK;
    return ready;
}

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool resolveOffset(int32_t offset, uint64_t fileSize, uint64_t& position) {
    if (offset >= 0) {
        position = static_cast<uint64_t>(offset);
    } else {
        uint64_t back = static_cast<uint64_t>(-static_cast<int64_t>(offset));
        if (back > fileSize) return false;
        position = fileSize - back;
    }
    return position <= fileSize;
}

bool isSafeEntryName(const std::string& name) {
    if (name.empty() || name.size() > kMaxNameLength) return false;
    if (name.find_first_of(std::string("/\\\0", 3)) != std::string::npos) return false;
    return name.find("..") == std::string::npos;
}

bool namesEqualIgnoringCase(const char* a, size_t aLength, const char* b, size_t bLength) {
    if (aLength != bLength) return false;
    for (size_t i = 0; i < aLength; ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    }
    return true;
}

const char* finalNameComponent(const char* name) {
    const char* last = name;
    for (const char* p = name; *p != '\0'; ++p) {
        if (*p == '/' || *p == '\\') last = p + 1;
    }
    return last;
}

ArchiveReader::~ArchiveReader() {
    close();
}

void ArchiveReader::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    fileSize_ = 0;
    bufferStart_ = bufferEnd_ = 0;
}

ArchiveReader::OpenResult ArchiveReader::open(const char* path) {
    close();
    // O_NONBLOCK: a FIFO under the archive's name must not hang the lookup;
    // it is refused below like a directory.
    fd_ = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0) return OpenResult::CannotOpen;
    struct stat info {};
    if (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) {
        close();
        return OpenResult::CannotOpen;
    }
    fileSize_ = static_cast<uint64_t>(info.st_size);
    if (fileSize_ < kTrailerSize) return OpenResult::NotArchive;

    // One read of the file's tail brings the trailer and, as the directory
    // usually sits right before it, often the whole directory too.
    uint64_t tail = fileSize_ < sizeof buffer_ ? fileSize_ : sizeof buffer_;
    cursor_ = fileSize_ - tail;
    bufferStart_ = bufferEnd_ = 0;
    size_t got = 0;
    while (got < tail) {
        ssize_t n = ::pread(fd_, buffer_ + got, tail - got, static_cast<off_t>(cursor_ + got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return OpenResult::NotArchive;
        got += static_cast<size_t>(n);
    }
    const uint8_t* trailer = buffer_ + tail - kTrailerSize;
    if (std::memcmp(trailer, kMagic, sizeof kMagic) != 0) return OpenResult::NotArchive;
    int32_t offset = static_cast<int32_t>(readLe32(trailer + 3));
    if (!resolveOffset(offset, fileSize_, directoryPosition_)) return OpenResult::NotArchive;

    if (directoryPosition_ >= cursor_) {
        bufferStart_ = static_cast<size_t>(directoryPosition_ - cursor_);
        bufferEnd_ = static_cast<size_t>(tail);
    } else {
        cursor_ = directoryPosition_;
    }
    return OpenResult::Ok;
}

bool ArchiveReader::readBytes(void* target, size_t count) {
    auto* out = static_cast<uint8_t*>(target);
    while (count > 0) {
        if (bufferStart_ == bufferEnd_) {
            cursor_ += bufferEnd_;
            bufferStart_ = bufferEnd_ = 0;
            if (cursor_ >= fileSize_) return false;
            ssize_t got;
            do {
                got = ::pread(fd_, buffer_, sizeof buffer_, static_cast<off_t>(cursor_));
            } while (got < 0 && errno == EINTR);
            if (got <= 0) return false;
            bufferEnd_ = static_cast<size_t>(got);
        }
        size_t take = bufferEnd_ - bufferStart_;
        if (take > count) take = count;
        std::memcpy(out, buffer_ + bufferStart_, take);
        bufferStart_ += take;
        out += take;
        count -= take;
    }
    return true;
}

ArchiveReader::Walk ArchiveReader::readRawEntry(RawEntry& raw) {
    if (fd_ < 0) return Walk::Broken;
    size_t buffered = bufferEnd_ - bufferStart_;
    if (buffered > 0 && buffered >= size_t{1} + buffer_[bufferStart_] + 8) {
        // The whole entry is in the buffer: parse it in place.
        raw.length = buffer_[bufferStart_];
        raw.name = buffer_ + bufferStart_ + 1;
        bufferStart_ += raw.length == 0 ? 1 : size_t{1} + raw.length + 8;
    } else {
        if (!readBytes(&raw.length, 1)) return Walk::Broken;
        if (raw.length != 0 && !readBytes(scratch_, size_t{raw.length} + 8)) return Walk::Broken;
        raw.name = scratch_;
    }
    return raw.length != 0 ? Walk::Entry : Walk::End;
}

void ArchiveReader::fillEntry(const RawEntry& raw, Entry& entry) const {
    const uint8_t* fields = raw.name + raw.length;
    entry.name.assign(reinterpret_cast<const char*>(raw.name), raw.length);
    entry.dataOffset = static_cast<int32_t>(readLe32(fields));
    entry.dataSize = readLe32(fields + 4);
    entry.inBounds = resolveOffset(entry.dataOffset, fileSize_, entry.position) &&
                     entry.dataSize <= fileSize_ - entry.position;
}

ArchiveReader::Walk ArchiveReader::nextEntry(Entry& entry) {
    RawEntry raw;
    Walk walk = readRawEntry(raw);
    if (walk == Walk::Entry) fillEntry(raw, entry);
    return walk;
}

ArchiveReader::Walk ArchiveReader::findEntry(const char* name, size_t length, Entry& entry) {
    if (length == 0 || length > kMaxNameLength) return Walk::End;  // no entry can match
    uint8_t wanted[kMaxNameLength];
    for (size_t i = 0; i < length; ++i) wanted[i] = static_cast<uint8_t>(asciiLower(name[i]));
    RawEntry raw;
    Walk walk;
    while ((walk = readRawEntry(raw)) == Walk::Entry) {
        if (raw.length != length) continue;
        size_t i = 0;
        while (i < length &&
               asciiLower(static_cast<char>(raw.name[i])) == static_cast<char>(wanted[i])) {
            ++i;
        }
        if (i == length) {
            fillEntry(raw, entry);
            return Walk::Entry;
        }
    }
    return walk;
}

bool ArchiveReader::readEntryData(const Entry& entry, std::vector<uint8_t>& data) {
    if (fd_ < 0 || !entry.inBounds) return false;
    // Bounded by the real file size through inBounds.
    data.resize(entry.dataSize);
    size_t done = 0;
    while (done < data.size()) {
        ssize_t got;
        do {
            got = ::pread(fd_, data.data() + done, data.size() - done,
                          static_cast<off_t>(entry.position + done));
        } while (got < 0 && errno == EINTR);
        if (got <= 0) return false;
        done += static_cast<size_t>(got);
    }
    return true;
}

bool decodeEntryData(const uint8_t* data, size_t size, DecodedData& output) {
    output.bytes.reset();
    output.size = 0;
    if (size < 4) return false;
    uint64_t declared = readLe32(data);
    uint64_t stream = size - 4;
    if (declared > kMaxUncompressedSize) return false;
    if (declared > stream * kMaxExpansion + kExpansionSlack) return false;
    if (declared == 0) return true;
    if (!lzoReady()) return false;

    std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[declared]);
    if (!buffer) return false;
    lzo_uint produced = static_cast<lzo_uint>(declared);
    int result = lzo1x_decompress_safe(data + 4, static_cast<lzo_uint>(stream), buffer.get(),
                                       &produced, nullptr);
    if (result != LZO_E_OK || produced != declared) return false;
    output.bytes = std::move(buffer);
    output.size = static_cast<size_t>(declared);
    return true;
}

bool encodeEntryData(const uint8_t* data, size_t size, bool best, std::vector<uint8_t>& block) {
    block.clear();
    if (!lzoReady() || size > kMaxUncompressedSize) return false;
    // The LZO1X worst case: input + input / 16 + 64 + 3.
    size_t bound = size + size / 16 + 64 + 3;
    block.resize(4 + bound);
    block[0] = static_cast<uint8_t>(size);
    block[1] = static_cast<uint8_t>(size >> 8);
    block[2] = static_cast<uint8_t>(size >> 16);
    block[3] = static_cast<uint8_t>(size >> 24);
    std::vector<uint8_t> work(best ? LZO1X_999_MEM_COMPRESS : LZO1X_1_MEM_COMPRESS);
    lzo_uint written = static_cast<lzo_uint>(bound);
    // LZO takes a non-const source pointer but does not write through it.
    auto* source = const_cast<uint8_t*>(size > 0 ? data : block.data());
    int result = best ? lzo1x_999_compress(source, static_cast<lzo_uint>(size), block.data() + 4,
                                           &written, work.data())
                      : lzo1x_1_compress(source, static_cast<lzo_uint>(size), block.data() + 4,
                                         &written, work.data());
    if (result != LZO_E_OK) {
        block.clear();
        return false;
    }
    block.resize(4 + written);
    return true;
}

}  // namespace vorlan::archive
