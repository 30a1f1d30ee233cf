#include "files/read_buffer.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/file_io.h"

namespace vorlan {

LineCut cutLine(const char* data, size_t available, bool atEnd) {
    LineCut cut;
    const void* feed = std::memchr(data, '\n', std::min(available, kLongestLine + 1));
    // A full-length line ends by its length, not by the end of the data,
    // so a carriage return as its last byte stays in the text.
    if (feed != nullptr || available < kLongestLine) {
        // The end of the data ends the last line, as a line feed would.
        cut.length = feed ? static_cast<size_t>(static_cast<const char*>(feed) - data) : available;
        cut.consumed = cut.length + (feed ? 1 : 0);
        if (cut.length > 0 && data[cut.length - 1] == '\r') --cut.length;
    } else {
        // A full line: a CR LF straight after it still belongs to it, or
        // it would come out as an extra empty line.
        cut.length = cut.consumed = kLongestLine;
        if (available > kLongestLine && data[kLongestLine] == '\r') {
            if (available > kLongestLine + 1 && data[kLongestLine + 1] == '\n') {
                cut.consumed += 2;
            } else if (available == kLongestLine + 1 && atEnd) {
                cut.consumed += 1;
            }
        }
    }
    const void* nul = std::memchr(data, '\0', cut.length);
    if (nul != nullptr) cut.length = static_cast<size_t>(static_cast<const char*>(nul) - data);
    return cut;
}

ReadBuffer::ReadBuffer(Source source, size_t blockSize)
    : source_(std::move(source)), buffer_(std::max(blockSize, 2 * kLongestLine)) {}

void ReadBuffer::fillTo(size_t wanted) {
    while (buffered() < wanted && !atEnd_) {
        if (buffer_.size() - begin_ < wanted) {
            std::memmove(buffer_.data(), buffer_.data() + begin_, buffered());
            end_ -= begin_;
            begin_ = 0;
        }
        int64_t n = source_(buffer_.data() + end_, buffer_.size() - end_);
        if (n <= 0) {
            atEnd_ = true;
            failed_ = n < 0;
        } else {
            end_ += static_cast<size_t>(n);
        }
    }
}

bool ReadBuffer::readExact(char* out, size_t count) {
    size_t fromBuffer = std::min(count, buffered());
    std::memcpy(out, buffer_.data() + begin_, fromBuffer);
    begin_ += fromBuffer;
    consumed_ += fromBuffer;
    size_t done = fromBuffer;
    // The rest of a large read goes straight into the caller's memory.
    while (done < count && !atEnd_) {
        if (count - done >= buffer_.size()) {
            int64_t n = source_(out + done, count - done);
            if (n <= 0) {
                atEnd_ = true;
                failed_ = n < 0;
                break;
            }
            done += static_cast<size_t>(n);
            consumed_ += static_cast<uint64_t>(n);
            continue;
        }
        fillTo(count - done);
        size_t part = std::min(count - done, buffered());
        std::memcpy(out + done, buffer_.data() + begin_, part);
        begin_ += part;
        consumed_ += part;
        done += part;
    }
    return done == count;
}

bool ReadBuffer::nextLine(const char*& text, size_t& length) {
    fillTo(kLongestLine + 2);
    if (buffered() == 0) return false;
    LineCut cut = cutLine(buffer_.data() + begin_, buffered(), atEnd_);
    text = buffer_.data() + begin_;
    length = cut.length;
    begin_ += cut.consumed;
    consumed_ += cut.consumed;
    return true;
}

bool ReadBuffer::readLine(std::string& line) {
    const char* text = nullptr;
    size_t length = 0;
    if (!nextLine(text, length)) return false;
    line.assign(text, length);
    return true;
}

ReadBuffer::Source memorySource(const std::string& bytes, size_t piece) {
    auto offset = std::make_shared<size_t>(0);
    return [&bytes, piece, offset](char* buffer, size_t count) -> int64_t {
        size_t n = std::min(count, bytes.size() - *offset);
        if (piece > 0) n = std::min(n, piece);
        std::memcpy(buffer, bytes.data() + *offset, n);
        *offset += n;
        return static_cast<int64_t>(n);
    };
}

ReadBuffer::Source fileSource(int fd) {
    return [fd](char* buffer, size_t count) { return platform::readFile(fd, buffer, count); };
}

}  // namespace vorlan
