// Buffered reading for file channels and the documents: the source is read
// in large blocks, and lines are cut from the buffer. A line ends at LF or
// CR LF (or at the end of the data) and holds at most 1024 bytes; a longer
// line goes on as the next one. Lines come out the same whatever sizes the
// source's reads happen to have.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vorlan {

inline constexpr size_t kLongestLine = 1024;

// Where a line ends in a buffer: its text length (before any NUL, CR or
// LF) and the bytes it uses up, terminator included.
struct LineCut {
    size_t length = 0;
    size_t consumed = 0;
};

// Cuts the first line from `available` bytes. Unless `atEnd`, the caller
// must offer at least kLongestLine + 2 bytes, so a CR LF just after a full
// line is seen and taken with it.
LineCut cutLine(const char* data, size_t available, bool atEnd);

class ReadBuffer {
  public:
    // Reads up to `count` bytes: the number read, 0 at the end, -1 on
    // failure.
    using Source = std::function<int64_t(char* buffer, size_t count)>;

    explicit ReadBuffer(Source source, size_t blockSize = 64 * 1024);

    // Exactly `count` bytes into `out`; false on a short read or failure.
    bool readExact(char* out, size_t count);
    // The next line into `line` (any previous text replaced); false when no
    // byte is left or the source failed.
    bool readLine(std::string& line);
    // The next line as a pointer into the buffer, valid until the next
    // call; false as for readLine.
    bool nextLine(const char*& text, size_t& length);
    // Bytes held in the buffer, not yet consumed.
    size_t buffered() const { return end_ - begin_; }
    // Bytes handed out since the start.
    uint64_t consumed() const { return consumed_; }
    bool failed() const { return failed_; }

  private:
    // Tries to hold at least `wanted` bytes; stops early at the end.
    void fillTo(size_t wanted);

    Source source_;
    std::vector<char> buffer_;
    size_t begin_ = 0;
    size_t end_ = 0;
    uint64_t consumed_ = 0;
    bool atEnd_ = false;
    bool failed_ = false;
};

// A source over bytes in memory, handing them out `piece` bytes at a time
// (0: all at once).
ReadBuffer::Source memorySource(const std::string& bytes, size_t piece = 0);
// A source over an open file descriptor.
ReadBuffer::Source fileSource(int fd);

}  // namespace vorlan
