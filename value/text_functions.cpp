#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <vorlan/value.h>

#include "value/number_conversion.h"

namespace vorlan {

namespace {

std::string_view viewOf(const RtString& text) {
    return {text.cStr(), text.length()};
}
std::string_view viewOf(const char* text) {
    return text ? std::string_view(text) : "";
}

double find(std::string_view haystack, std::string_view needle) {
    size_t at = haystack.find(needle);
    return at == std::string_view::npos ? -1.0 : static_cast<double>(at);
}

double firstByteCode(std::string_view text) {
    return text.empty() ? 0.0 : static_cast<double>(static_cast<signed char>(text[0]));
}

// A copy with the plain ASCII letters first..last moved by shift; other
// bytes unchanged.
RtString shiftLetters(const RtString& text, char first, char last, int shift) {
    RtString result(text);
    for (uint32_t i = 0; i < result.length(); ++i) {
        char c = result.cStr()[i];
        if (c >= first && c <= last) result.setCharAt(i, static_cast<char>(c + shift));
    }
    return result;
}

}  // namespace

double textLength(const RtString& text) {
    return text.length();
}
double textLength(const char* text) {
    return static_cast<double>(viewOf(text).size());
}

double numberTextLength(double value) {
    return RtString(value).length();
}

double findText(const RtString& haystack, const RtString& needle) {
    return find(viewOf(haystack), viewOf(needle));
}
double findText(const RtString& haystack, const char* needle) {
    return find(viewOf(haystack), viewOf(needle));
}
double findText(const char* haystack, const RtString& needle) {
    return find(viewOf(haystack), viewOf(needle));
}
double findText(const char* haystack, const char* needle) {
    return find(viewOf(haystack), viewOf(needle));
}

RtString midText(const RtString& text, double start, double count) {
    double length = text.length();
    // Written so that NaN fails every test and infinities never reach a cast.
    if (!(count > 0)) return RtString();
    if (std::trunc(start + count) > length) count = length - start;
    if (!(count > 0) || !(start >= 0 && start <= length)) return RtString();
    uint32_t from = static_cast<uint32_t>(start);
    uint32_t available = text.length() - from;
    uint32_t take = count < available ? static_cast<uint32_t>(count) : available;
    RtString piece;
    if (take == 0) return piece;
    char* out = piece.writableBuffer(take);
    std::memcpy(out, text.cStr() + from, take);
    out[take] = '\0';
    piece.syncLength();
    return piece;
}

RtString replaceText(RtString text, const RtString& needle, const RtString& replacement) {
    std::string_view find = viewOf(needle);
    std::string_view put = viewOf(replacement);
    // An empty needle would be found at every position for ever.
    if (find.empty()) return text;
    std::string work(viewOf(text));
    size_t n = find.size();
    size_t r = put.size();
    size_t pos = 0;
    bool changed = false;
    for (;;) {
        size_t at = work.find(find, pos);
        if (at == std::string::npos) break;
        changed = true;
        work.replace(at, n, put);
        if (n == r) {
            pos = at + r;
        } else {
            // The search resumes inside or before the replacement when it is
            // shorter than the needle, so that replacements chain.
            pos = at + r + 1 >= n ? at + r + 1 - n : 0;
        }
    }
    if (changed) text = work.c_str();
    return text;
}

RtString toLowerText(const RtString& text) {
    return shiftLetters(text, 'A', 'Z', 'a' - 'A');
}

RtString toUpperText(const RtString& text) {
    return shiftLetters(text, 'a', 'z', 'A' - 'a');
}

double characterCode(const RtString& text) {
    return firstByteCode(viewOf(text));
}
double characterCode(const char* text) {
    return firstByteCode(viewOf(text));
}

RtString textFromCode(double code) {
    if (!std::isfinite(code)) return RtString();
    // The low byte of the truncated code, taken in two's complement.
    int low = static_cast<int>(std::fmod(std::trunc(code), 256.0)) & 0xFF;
    char text[2] = {static_cast<char>(low), '\0'};
    return RtString(text);
}

RtString bytesToHex(const void* bytes, size_t count) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    RtString result;
    if (count == 0) return result;
    // The longest text an RtString can hold is just under 4 GiB.
    if (count >= 0x7FFFFF00u) throw std::bad_alloc();
    uint32_t length = static_cast<uint32_t>(count) * 2u;
    char* out = result.writableBuffer(length);
    const unsigned char* in = static_cast<const unsigned char*>(bytes);
    for (size_t i = 0; i < count; ++i) {
        out[2 * i] = kDigits[in[i] >> 4];
        out[2 * i + 1] = kDigits[in[i] & 0x0F];
    }
    out[length] = '\0';
    result.syncLength();
    return result;
}

RtString formatNumber(double width, double decimals, double value) {
    // The result holds at most 511 bytes; a field or a fraction wider than
    // that is cut there, so holding the arguments at 512 changes nothing.
    constexpr uint32_t kLimit = 512;
    int fieldWidth = truncateToInt32(width);
    if (fieldWidth > static_cast<int>(kLimit)) fieldWidth = kLimit;
    if (fieldWidth < -static_cast<int>(kLimit)) fieldWidth = -static_cast<int>(kLimit);
    int places = truncateToInt32(decimals);
    if (places < 0) places = 0;
    if (places > static_cast<int>(kLimit)) places = kLimit;
    RtString result;
    char* out = result.writableBuffer(kLimit - 1);
    std::snprintf(out, kLimit, "%*.*f", fieldWidth, places, value);
    result.syncLength();
    return result;
}

double splitText(const RtString& text, const RtString& delimiters, RtStringArray& pieces) {
    bool isDelimiter[256] = {};
    for (unsigned char c : viewOf(delimiters)) isDelimiter[c] = true;
    // The pieces are collected first: text may be an element of `pieces`,
    // which dimensioning clears.
    std::string_view source = viewOf(text);
    std::vector<std::string> found;
    size_t i = 0;
    while (i < source.size()) {
        while (i < source.size() && isDelimiter[static_cast<unsigned char>(source[i])]) ++i;
        size_t start = i;
        while (i < source.size() && !isDelimiter[static_cast<unsigned char>(source[i])]) ++i;
        if (i > start) found.emplace_back(source.substr(start, i - start));
    }
    dimensionArray(pieces, static_cast<double>(found.size()));
    for (size_t k = 0; k < found.size(); ++k) {
        elementAt(pieces, static_cast<int32_t>(k)) = found[k].c_str();
    }
    return static_cast<double>(found.size());
}

double forwardSlashes(RtString& text) {
    for (uint32_t i = 0; i < text.length(); ++i) {
        if (text.cStr()[i] == '\\') text.setCharAt(i, '/');
    }
    return text.length();
}

}  // namespace vorlan
