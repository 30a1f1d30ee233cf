#include <vorlan/rt_string.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <new>
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

RtString::RtString(const RtString& other) {
    assignBytes(other.data_, other.length_);
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
RtString& RtString::operator+=(const RtString& other) {
    appendBytes(other.data_, other.length_);
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

void RtString::writeNumber(double value) {
    reserve(64);
    std::string text;
    if (std::isnan(value)) {
        text = "nan";
    } else if (std::isinf(value)) {
        text = value < 0 ? "-inf" : "inf";
    } else if (value == 0.0) {
        text = "0";
    } else {
        // "%.9e" gives the ten correctly rounded significant digits and the
        // exponent of the leading one after rounding.
        char scientific[64];
        std::snprintf(scientific, sizeof scientific, "%.9e", value);
        const char* p = scientific;
        if (*p == '-') {
            text += '-';
            ++p;
        }
        std::string digits;
        digits += p[0];
        digits.append(p + 2, 9);
        int exponent = std::atoi(p + 12);
        std::string body;
        if (exponent >= -1 && exponent <= 9) {
            if (exponent == -1) {
                body = "0." + digits;
            } else {
                body = digits.substr(0, exponent + 1) + "." + digits.substr(exponent + 1);
            }
        } else {
            body = digits.substr(0, 1) + "." + digits.substr(1);
        }
        while (body.back() == '0') body.pop_back();
        if (exponent < -1 || exponent > 9) {
            char tail[16];
            std::snprintf(tail, sizeof tail, "e%c%03d", exponent < 0 ? '-' : '+',
                          exponent < 0 ? -exponent : exponent);
            body += tail;
        } else if (body.back() == '.') {
            body.pop_back();
        }
        text += body;
    }
    std::memcpy(data_, text.c_str(), text.size() + 1);
    length_ = static_cast<uint32_t>(text.size());
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

namespace detail {

int compareTexts(const char* a, const char* b) {
    return std::strcmp(a, b);
}

}  // namespace detail

}  // namespace vorlan
