#include "files/file_channels.h"

#include <vorlan/app.h>
#include <vorlan/files.h>

#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "core/errors.h"
#include "files/data_file.h"
#include "files/file_names.h"
#include "files/ini_document.h"
#include "files/read_buffer.h"
#include "platform/file_io.h"
#include "value/number_conversion.h"

namespace vorlan {

namespace {

constexpr int kChannelCount = 8;

struct FileChannel {
    int fd = -1;
    bool writing = false;
    // Taken when the file was opened for reading; 0 for writing.
    uint64_t size = 0;
    std::unique_ptr<ReadBuffer> reader;
    platform::FileIdentity identity;
};

std::array<FileChannel, kChannelCount> channels;

// The operation named is the public one the game called.
[[noreturn]] void fail(RuntimeError error, const char* operation) {
    fatalRuntimeError(error, operation);
}

// The range is tested on the double itself: a truncated NaN or a huge
// number would otherwise land on a valid channel.
FileChannel& channelAt(double number, const char* operation = __builtin_FUNCTION()) {
    if (!(number > -1.0 && number < kChannelCount)) fail(RuntimeError::OutOfRange, operation);
    return channels[static_cast<size_t>(static_cast<int>(number))];
}

void closeRecord(FileChannel& channel) {
    platform::closeFile(channel.fd);
    channel = FileChannel();
}

FileChannel& readingChannel(double number, const char* operation = __builtin_FUNCTION()) {
    FileChannel& channel = channelAt(number, operation);
    if (channel.fd < 0 || channel.writing) fail(RuntimeError::FileFailed, operation);
    return channel;
}

FileChannel& writingChannel(double number, const char* operation = __builtin_FUNCTION()) {
    FileChannel& channel = channelAt(number, operation);
    if (channel.fd < 0 || !channel.writing) fail(RuntimeError::FileFailed, operation);
    return channel;
}

void readInto(double number, void* out, size_t count,
              const char* operation = __builtin_FUNCTION()) {
    FileChannel& channel = readingChannel(number, operation);
    if (!channel.reader->readExact(static_cast<char*>(out), count)) {
        fail(RuntimeError::FileFailed, operation);
    }
}

uint64_t readLittleEndian(double number, size_t width,
                          const char* operation = __builtin_FUNCTION()) {
    unsigned char bytes[8] = {};
    readInto(number, bytes, width, operation);
    uint64_t value = 0;
    for (size_t i = width; i-- > 0;) value = value << 8 | bytes[i];
    return value;
}

void writeBytes(double number, const char* bytes, size_t count,
                const char* operation = __builtin_FUNCTION()) {
    FileChannel& channel = writingChannel(number, operation);
    if (!platform::writeFile(channel.fd, bytes, count)) fail(RuntimeError::FileFailed, operation);
}

// Out-of-range numbers wrap through 64 bits, so a value read with readLong
// writes back as the same four bytes.
void writeLittleEndian(double number, double value, size_t width,
                       const char* operation = __builtin_FUNCTION()) {
    uint64_t bits = static_cast<uint64_t>(truncateToInt64OrZero(value));
    char bytes[8];
    for (size_t i = 0; i < width; ++i) bytes[i] = static_cast<char>(bits >> (8 * i));
    writeBytes(number, bytes, width, operation);
}

// Two channels may read one file at once, but none may touch a file that
// another channel writes: on this platform nothing else would stop a
// rewrite from emptying the file under a reader.
bool clashesWithOtherChannels(const FileChannel& self, const platform::FileIdentity& identity,
                              bool writing) {
    for (const FileChannel& other : channels) {
        if (&other == &self || other.fd < 0 || !(other.identity == identity)) continue;
        if (writing || other.writing) return true;
    }
    return false;
}

}  // namespace

double openChannel(double number, const RtString& name, double mode) {
    FileChannel& channel = channelAt(number);
    closeRecord(channel);
    std::string path;
    if (!nativeFileName(name, path)) return 0.0;
    bool writing = mode == 0;
    int fd = writing ? platform::openFileForWriting(path) : platform::openFileForReading(path);
    if (fd < 0) return 0.0;
    platform::FileIdentity identity;
    if (!platform::identityOf(fd, identity) ||
        clashesWithOtherChannels(channel, identity, writing) ||
        (writing && !platform::truncateFile(fd))) {
        platform::closeFile(fd);
        return 0.0;
    }
    channel.fd = fd;
    channel.writing = writing;
    channel.identity = identity;
    if (!writing) {
        int64_t size = platform::fileSizeOf(fd);
        channel.size = size > 0 ? static_cast<uint64_t>(size) : 0;
        channel.reader = std::make_unique<ReadBuffer>(fileSource(fd));
    }
    return 1.0;
}

void closeChannel(double number) {
    closeRecord(channelAt(number));
}

double endOfChannel(double number) {
    FileChannel& channel = channelAt(number);
    uint64_t position = channel.reader ? channel.reader->consumed() : 0;
    return position >= channel.size ? 1.0 : 0.0;
}

double readByte(double channel) {
    return static_cast<double>(readLittleEndian(channel, 1));
}

double readWord(double channel) {
    return static_cast<double>(readLittleEndian(channel, 2));
}

double readLong(double channel) {
    return static_cast<double>(readLittleEndian(channel, 4));
}

double readDouble(double channel) {
    uint64_t bits = readLittleEndian(channel, 8);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

RtString readBytesAsText(double number, double count) {
    channelAt(number);
    int64_t wanted = truncateToInt64OrZero(count);
    RtString text;
    if (wanted <= 0) return text;
    FileChannel& channel = readingChannel(number);
    // A count beyond what the file still holds is a short read: known now,
    // before any memory is taken for it.
    int64_t size = platform::fileSizeOf(channel.fd);
    int64_t offset = platform::fileOffsetOf(channel.fd);
    int64_t left = static_cast<int64_t>(channel.reader->buffered()) +
                   (size > offset && offset >= 0 ? size - offset : 0);
    if (wanted > left || wanted >= INT32_MAX) fail(RuntimeError::FileFailed, "readBytesAsText");
    char* buffer = text.writableBuffer(static_cast<uint32_t>(wanted));
    if (!channel.reader->readExact(buffer, static_cast<size_t>(wanted)))
        fail(RuntimeError::FileFailed, "readBytesAsText");
    buffer[wanted] = '\0';
    text.syncLength();
    return text;
}

RtString readLine(double number) {
    FileChannel& channel = readingChannel(number);
    const char* bytes = nullptr;
    size_t length = 0;
    if (!channel.reader->nextLine(bytes, length) || channel.reader->failed()) {
        fail(RuntimeError::FileFailed, "readLine");
    }
    RtString line;
    if (length == 0) return line;
    char* buffer = line.writableBuffer(static_cast<uint32_t>(length));
    std::memcpy(buffer, bytes, length);
    buffer[length] = '\0';
    line.syncLength();
    return line;
}

double readNumberLine(double channel) {
    return textToNumber(readLine(channel));
}

void writeByte(double channel, double value) {
    writeLittleEndian(channel, value, 1);
}

void writeWord(double channel, double value) {
    writeLittleEndian(channel, value, 2);
}

void writeLong(double channel, double value) {
    writeLittleEndian(channel, value, 4);
}

void writeDouble(double channel, double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    char bytes[8];
    for (size_t i = 0; i < 8; ++i) bytes[i] = static_cast<char>(bits >> (8 * i));
    writeBytes(channel, bytes, 8);
}

void writeText(double channel, const RtString& text) {
    writeBytes(channel, text.cStr(), text.length());
}

void writeLine(double channel, const RtString& text) {
    std::string line(text.cStr(), text.length());
    line += "\r\n";
    writeBytes(channel, line.data(), line.size());
}

void writeNumberLine(double channel, double value) {
    writeLine(channel, numberToText(value));
}

void shutdownFiles() {
    closeDataFile();
    saveIniDocument();
    for (FileChannel& channel : channels) closeRecord(channel);
}

}  // namespace vorlan
