#include "net/http_response.h"

#include <cctype>
#include <limits>

namespace vorlan {

size_t HttpHeaderScanner::feed(const char* data, size_t size) {
    size_t used = 0;
    while (used < size && state_ == State::InHeader) {
        if (header_.size() >= kMaxHeaderBytes) {
            state_ = State::TooLong;
            break;
        }
        char byte = data[used++];
        header_.push_back(byte);
        if (byte == '\n') {
            if (++lineFeeds_ == 2) state_ = State::Complete;
        } else if (byte != '\r') {
            lineFeeds_ = 0;
        }
    }
    return used;
}

namespace {

bool startsWithName(std::string_view line, std::string_view name) {
    if (line.size() < name.size()) return false;
    for (size_t i = 0; i < name.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(line[i])) != name[i]) return false;
    }
    return true;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

// The value after "content-length:"; false when it is not a plain number.
bool parseLength(std::string_view value, uint64_t& result) {
    size_t i = 0;
    while (i < value.size() && isBlank(value[i])) ++i;
    size_t digits = 0;
    uint64_t number = 0;
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i, ++digits) {
        uint64_t digit = static_cast<uint64_t>(value[i] - '0');
        if (number > (std::numeric_limits<uint64_t>::max() - digit) / 10) return false;
        number = number * 10 + digit;
    }
    while (i < value.size() && isBlank(value[i])) ++i;
    if (digits == 0 || i != value.size()) return false;
    result = number;
    return true;
}

}  // namespace

ContentLength findContentLength(std::string_view header) {
    static constexpr std::string_view kName = "content-length:";
    ContentLength found;
    // The status line is skipped: the fields start after the first line.
    size_t start = header.find('\n');
    while (start != std::string_view::npos && start + 1 < header.size()) {
        ++start;
        size_t end = header.find('\n', start);
        std::string_view line = header.substr(
            start, end == std::string_view::npos ? header.size() - start : end - start);
        if (startsWithName(line, kName)) {
            uint64_t value = 0;
            if (!parseLength(line.substr(kName.size()), value) ||
                (found.kind == ContentLength::Kind::Present && found.value != value)) {
                return {ContentLength::Kind::Invalid, 0};
            }
            found = {ContentLength::Kind::Present, value};
        }
        start = end;
    }
    return found;
}

}  // namespace vorlan
