// The header of an HTTP response: where it ends and its Content-Length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vorlan {

// Finds the end of the header in a byte stream given in pieces. Line feeds
// are counted: a carriage return leaves the count, a line feed adds one,
// any other byte resets it; the header ends with the second line feed, so
// both CR LF CR LF and LF LF end it.
class HttpHeaderScanner {
  public:
    // A larger header is refused rather than kept growing.
    static constexpr size_t kMaxHeaderBytes = 64 * 1024;

    enum class State { InHeader, Complete, TooLong };

    // Takes the header's share of the bytes and says how many that was;
    // what follows in the same piece is body.
    size_t feed(const char* data, size_t size);
    State state() const { return state_; }
    const std::string& header() const { return header_; }

  private:
    std::string header_;
    int lineFeeds_ = 0;
    State state_ = State::InHeader;
};

struct ContentLength {
    enum class Kind { Absent, Present, Invalid };
    Kind kind = Kind::Absent;
    uint64_t value = 0;
};

// Reads the Content-Length field (name in any case). Digits that overflow,
// no digits, trailing junk or two fields that disagree make it Invalid.
ContentLength findContentLength(std::string_view header);

}  // namespace vorlan
