#include <vorlan/rt_string.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <ostream>
#include <string>
#include <utility>

namespace vorlan {

namespace {

uint32_t byteLength(const char* text) {
    return text ? static_cast<uint32_t>(std::strlen(text)) : 0;
}

}  // namespace

RtString::RtString(const char* text) {
    assignBytes(text, byteLength(text));
}

RtString::RtString(std::string_view text) {
    assignBytes(text.data(), textLength(text));
}

RtString::RtString(const std::string& text) : RtString(std::string_view(text)) {}

RtString::RtString(const RtString& other) {
    assignBytes(other.data_, other.length_);
}

RtString::RtString(char character) {
    *this = character;
}

RtString::RtString(RtString&& other) noexcept
    : data_(std::exchange(other.data_, const_cast<char*>(kSharedEmptyText))),
      capacity_(std::exchange(other.capacity_, 0)),
      length_(std::exchange(other.length_, 0)) {}

RtString::RtString(int32_t value) {
    writeInteger(value);
}
RtString::RtString(float value) {
    writeNumber(static_cast<double>(value));
}
RtString::RtString(double value) {
    writeNumber(value);
}

RtString::~RtString() {
    if (capacity_ != 0) delete[] data_;
    data_ = nullptr;
    capacity_ = 0;
    length_ = 0;
}

RtString& RtString::operator=(const char* text) {
    // The source may live inside our own buffer; assignBytes copies with
    // memmove and reserve keeps the old bytes, so that is safe.
    assignBytes(text, byteLength(text));
    return *this;
}

RtString& RtString::operator=(std::string_view text) {
    assignBytes(text.data(), textLength(text));
    return *this;
}

RtString& RtString::operator=(const std::string& text) {
    return *this = std::string_view(text);
}

RtString& RtString::operator=(const RtString& other) {
    if (this != &other) assignBytes(other.data_, other.length_);
    return *this;
}

RtString& RtString::operator=(RtString&& other) noexcept {
    if (this != &other) {
        if (capacity_ != 0) delete[] data_;
        data_ = std::exchange(other.data_, const_cast<char*>(kSharedEmptyText));
        capacity_ = std::exchange(other.capacity_, 0);
        length_ = std::exchange(other.length_, 0);
    }
    return *this;
}

RtString& RtString::operator=(char character) {
    assignBytes(&character, character != '\0' ? 1 : 0);
    return *this;
}

RtString& RtString::operator=(int32_t value) {
    writeInteger(value);
    return *this;
}
RtString& RtString::operator=(float value) {
    writeNumber(static_cast<double>(value));
    return *this;
}
RtString& RtString::operator=(double value) {
    writeNumber(value);
    return *this;
}

RtString& RtString::operator+=(const char* text) {
    appendBytes(text, byteLength(text));
    return *this;
}
RtString& RtString::operator+=(std::string_view text) {
    appendBytes(text.data(), textLength(text));
    return *this;
}
RtString& RtString::operator+=(const std::string& text) {
    return *this += std::string_view(text);
}
RtString& RtString::operator+=(const RtString& other) {
    appendBytes(other.data_, other.length_);
    return *this;
}
RtString& RtString::operator+=(char character) {
    appendBytes(&character, character != '\0' ? 1 : 0);
    return *this;
}
RtString& RtString::operator+=(int32_t value) {
    return *this += RtString(value);
}
RtString& RtString::operator+=(float value) {
    return *this += RtString(value);
}
RtString& RtString::operator+=(double value) {
    return *this += RtString(value);
}

void RtString::reserve(uint32_t n) {
    if (capacity_ > n) return;
    if (n >= 0xFFFFFE00u) throw std::bad_alloc();
    uint32_t newCapacity = (n & ~511u) + 512u;
    char* buffer = new char[newCapacity];
    if (capacity_ == 0) {
        buffer[0] = '\0';
    } else {
        std::memcpy(buffer, data_, length_ + 1u);
        delete[] data_;
    }
    data_ = buffer;
    capacity_ = newCapacity;
}

char* RtString::writableBuffer(uint32_t n) {
    reserve(n);
    return data_;
}

void RtString::syncLength() {
    if (capacity_ == 0) {
        length_ = 0;
        return;
    }
    const void* end = std::memchr(data_, '\0', capacity_);
    length_ = end ? static_cast<uint32_t>(static_cast<const char*>(end) - data_) : capacity_ - 1;
    data_[length_] = '\0';
}

int RtString::charAt(uint32_t index) const {
    if (length_ == 0) return 0;
    return static_cast<int>(static_cast<signed char>(data_[index]));
}

void RtString::truncateAt(uint32_t index) {
    if (capacity_ == 0) return;
    data_[index] = '\0';
    syncLength();
}

uint32_t RtString::textLength(std::string_view text) {
    size_t end = text.find('\0');
    size_t length = end == std::string_view::npos ? text.size() : end;
    // Beyond the largest buffer reserve() can give.
    if (length >= 0xFFFFFE00u) throw std::bad_alloc();
    return static_cast<uint32_t>(length);
}

void RtString::assignBytes(const char* bytes, uint32_t count) {
    // reserve() keeps the old text, so a source inside our own buffer
    // survives the growth only if we copy it from the new location.
    bool inside = capacity_ != 0 && bytes >= data_ && bytes < data_ + capacity_;
    size_t offset = inside ? static_cast<size_t>(bytes - data_) : 0;
    reserve(count);
    if (inside) bytes = data_ + offset;
    if (count > 0) std::memmove(data_, bytes, count);
    data_[count] = '\0';
    length_ = count;
}

void RtString::appendBytes(const char* bytes, uint32_t count) {
    if (count > 0xFFFFFE00u - length_) throw std::bad_alloc();
    bool inside = capacity_ != 0 && bytes >= data_ && bytes < data_ + capacity_;
    size_t offset = inside ? static_cast<size_t>(bytes - data_) : 0;
    uint32_t newLength = length_ + count;
    reserve(newLength);
    if (inside) bytes = data_ + offset;
    if (count > 0) std::memmove(data_ + length_, bytes, count);
    length_ = newLength;
    data_[length_] = '\0';
}

void RtString::writeInteger(int32_t value) {
    reserve(64);
    int written = std::snprintf(data_, capacity_, "%d", value);
    length_ = static_cast<uint32_t>(written);
}

namespace {

// True when the value lies exactly halfway between two ten-digit decimals:
// its exact decimal expansion ends at the eleventh significant digit, a 5.
bool isTenDigitTie(double value) {
    char eleven[32];
    std::snprintf(eleven, sizeof eleven, "%.10e", std::fabs(value));
    if (eleven[11] != '5') return false;
    // A double's exact expansion has at most 767 significant digits.
    char exact[800];
    std::snprintf(exact, sizeof exact, "%.780e", std::fabs(value));
    for (const char* p = exact + 12; *p != 'e'; ++p) {
        if (*p != '0') return false;
    }
    return true;
}

// Writes the ten-digit form of a finite, non-zero value into out (at least
// 24 bytes) and returns its length.
uint32_t writeTenDigits(double value, char* out) {
    // "%.9e" gives the ten correctly rounded significant digits and the
    // exponent of the leading one after rounding: [-]d.ddddddddde[+-]xx.
    // It rounds an exact tie to even; games expect it away from zero, which
    // the next double away from zero gives (ties are far coarser than a
    // double's spacing).
    if (isTenDigitTie(value)) value = std::nextafter(value, std::copysign(HUGE_VAL, value));
    char scientific[32];
    std::snprintf(scientific, sizeof scientific, "%.9e", value);
    const char* p = scientific;
    char* o = out;
    if (*p == '-') *o++ = *p++;
    char digits[10];
    digits[0] = p[0];
    std::memcpy(digits + 1, p + 2, 9);
    int exponent = std::atoi(p + 12);

    bool fixed = exponent >= -1 && exponent <= 9;
    int wholeDigits = fixed ? exponent + 1 : 1;
    if (wholeDigits == 0) *o++ = '0';
    for (int i = 0; i < wholeDigits; ++i) *o++ = digits[i];
    *o++ = '.';
    int fractionEnd = 10;
    while (fractionEnd > wholeDigits && digits[fractionEnd - 1] == '0') --fractionEnd;
    for (int i = wholeDigits; i < fractionEnd; ++i) *o++ = digits[i];
    if (fixed) {
        if (o[-1] == '.') --o;  // only a final point goes
    } else {
        o += std::snprintf(o, 8, "e%c%03d", exponent < 0 ? '-' : '+',
                           exponent < 0 ? -exponent : exponent);
    }
    *o = '\0';
    return static_cast<uint32_t>(o - out);
}

}  // namespace

void RtString::writeNumber(double value) {
    // Formatted straight into the buffer: no allocation beyond reserve(64).
    reserve(64);
    const char* word = nullptr;
    if (std::isnan(value)) {
        word = "nan";
    } else if (std::isinf(value)) {
        word = value < 0 ? "-inf" : "inf";
    } else if (value == 0.0) {
        word = "0";
    }
    if (word) {
        length_ = static_cast<uint32_t>(std::strlen(word));
        std::memcpy(data_, word, length_ + 1);
    } else {
        length_ = writeTenDigits(value, data_);
    }
}

void numberToText(double value, RtString& target) {
    target = value;
}

RtString numberToText(double value) {
    return RtString(value);
}

double textToNumber(const char* text) {
    if (text == nullptr) return 0.0;
    // Only the decimal form is read: no hexadecimal, no "inf" or "nan", as
    // the classic atof.
    const char* p = text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
    const char* start = p;
    if (*p == '+' || *p == '-') ++p;
    const char* digitsStart = p;
    while (std::isdigit(static_cast<unsigned char>(*p))) ++p;
    bool any = p > digitsStart;
    if (*p == '.') {
        ++p;
        const char* fraction = p;
        while (std::isdigit(static_cast<unsigned char>(*p))) ++p;
        any = any || p > fraction;
    }
    if (!any) return 0.0;
    if (*p == 'e' || *p == 'E') {
        const char* e = p + 1;
        if (*e == '+' || *e == '-') ++e;
        if (std::isdigit(static_cast<unsigned char>(*e))) {
            while (std::isdigit(static_cast<unsigned char>(*e))) ++e;
            p = e;
        }
    }
    std::string number(start, p);
    return std::strtod(number.c_str(), nullptr);
}

std::ostream& operator<<(std::ostream& out, const RtString& text) {
    return out << text.view();
}

namespace detail {

int compareTexts(const char* a, const char* b) {
    return std::strcmp(a, b);
}

}  // namespace detail

}  // namespace vorlan
