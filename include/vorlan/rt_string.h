// RtString: the runtime's one text type. A NUL-terminated byte string that
// owns its buffer exclusively and grows in 512-byte steps. Text is plain
// 8-bit bytes (printing reads UTF-8, see fonts.h); a text never holds a NUL.
//
// It meets the standard library half way: it is made from and assigned
// std::string and std::string_view, views its bytes as std::string_view,
// compares with ==, != and < against any text and prints with <<. A char is
// one character; an int, float or double is written as its number text.
#pragma once

// Every Vorlan header includes this one, so the check below guards them all.
#if __cplusplus < 202002L
#error "Vorlan needs C++20: compile with -std=c++20 (pkg-config --cflags vorlan gives it)"
// Stops the compiler here: the rest would bury the line above in errors.
#include <vorlan-needs-cxx20>
#endif

#include <compare>
#include <concepts>
#include <cstdint>
#include <cstring>
#include <iosfwd>
#include <string>
#include <string_view>
#include <type_traits>

namespace vorlan {

class RtString {
  public:
    RtString() = default;
    // Text converts freely; the bytes are copied up to the first NUL (a
    // null pointer is the empty text). Texts of 4 GiB or more throw
    // std::bad_alloc.
    RtString(const char* text);         // NOLINT: implicit
    RtString(std::string_view text);    // NOLINT: implicit
    RtString(const std::string& text);  // NOLINT: implicit
    RtString(const RtString& other);
    RtString(RtString&& other) noexcept;
    // One character; '\0' gives the empty text.
    explicit RtString(char character);
    // The number's text, as numberToText writes it (an int without a point).
    explicit RtString(int32_t value);
    explicit RtString(float value);
    explicit RtString(double value);
    ~RtString();

    // Assignment and appending take the same operands as construction: a
    // char is one character, a number its text ('B' gives "B", 66 "66").
    RtString& operator=(const char* text);
    RtString& operator=(std::string_view text);
    RtString& operator=(const std::string& text);
    RtString& operator=(const RtString& other);
    RtString& operator=(RtString&& other) noexcept;
    RtString& operator=(char character);
    RtString& operator=(int32_t value);
    RtString& operator=(float value);
    RtString& operator=(double value);

    RtString& operator+=(const char* text);
    RtString& operator+=(std::string_view text);
    RtString& operator+=(const std::string& text);
    RtString& operator+=(const RtString& other);
    RtString& operator+=(char character);
    RtString& operator+=(int32_t value);
    RtString& operator+=(float value);
    RtString& operator+=(double value);

    // The bytes, without the NUL; valid until the text next changes.
    std::string_view view() const { return {cStr(), length_}; }
    operator std::string_view() const { return view(); }  // NOLINT: implicit

    // Grows so that capacity > n; never shrinks.
    void reserve(uint32_t n);
    // Bytes before the NUL.
    uint32_t length() const { return length_; }
    // The buffer's size: 0 for the shared empty text, else a multiple of 512.
    uint32_t capacity() const { return capacity_; }
    // The NUL-terminated bytes; never null.
    const char* cStr() const { return length_ > 0 ? data_ : ""; }
    // Room for n bytes plus the NUL, for callers that write into the buffer
    // directly; call syncLength() afterwards.
    char* writableBuffer(uint32_t n);
    void syncLength();
    // Unchecked access: the caller keeps index within the text.
    int charAt(uint32_t index) const;
    void setCharAt(uint32_t index, char byte) { data_[index] = byte; }
    void truncateAt(uint32_t index);

  private:
    void assignBytes(const char* bytes, uint32_t count);
    void appendBytes(const char* bytes, uint32_t count);
    // The length of a text from outside: up to its first NUL, below 4 GiB.
    static uint32_t textLength(std::string_view text);
    void writeNumber(double value);
    void writeInteger(int32_t value);

    char* data_ = const_cast<char*>(kSharedEmptyText);
    uint32_t capacity_ = 0;
    uint32_t length_ = 0;

    static constexpr const char* kSharedEmptyText = "";
};

// The one rule for numbers shown as text: 10 significant digits, fixed
// notation for exponents -1..9, else d.ddddddddde+XXX; trailing fraction
// zeros dropped. Writes into `target` (replacing its text).
void numberToText(double value, RtString& target);
RtString numberToText(double value);
// atof-style reading: leading blanks, sign, digits, point, exponent; stops
// at the first byte that does not fit; no number gives 0.
double textToNumber(const char* text);
inline double textToNumber(const RtString& text) {
    return textToNumber(text.cStr());
}

// Operand kinds for concatenation and comparison.
template <typename T>
concept TextOperand =
    std::same_as<std::remove_cvref_t<T>, RtString> || std::is_convertible_v<T, const char*>;
template <typename T>
concept NumberOperand =
    std::same_as<std::remove_cvref_t<T>, int32_t> || std::same_as < std::remove_cvref_t<T>,
float > || std::same_as<std::remove_cvref_t<T>, double>;
template <typename T>
concept StringOperand = TextOperand<T> || NumberOperand<T>;

namespace detail {
inline const char* textOf(const RtString& s) {
    return s.cStr();
}
inline const char* textOf(const char* s) {
    return s ? s : "";
}
inline double numberOf(double v) {
    return v;
}
inline double numberOf(float v) {
    return static_cast<double>(v);
}
inline double numberOf(int32_t v) {
    return static_cast<double>(v);
}
// strcmp over unsigned bytes; two RtStrings of different lengths are unequal
// without looking at the bytes.
int compareTexts(const char* a, const char* b);
}  // namespace detail

// Concatenation: every pair of operand kinds in which at least one is text.
template <StringOperand L, StringOperand R>
requires(TextOperand<L> || TextOperand<R>) RtString concat(const L& left, const R& right) {
    RtString result(left);
    result += right;
    return result;
}
// concat written as +, where one operand is an RtString: "VOL: " + text.
template <StringOperand L, StringOperand R>
requires(std::same_as<std::remove_cvref_t<L>, RtString> ||
         std::same_as<std::remove_cvref_t<R>, RtString>) RtString
operator+(const L& left, const R& right) {
    return concat(left, right);
}

// Three-way comparison of an RtString with raw text: the strcmp result.
inline int compareText(const RtString& a, const char* b) {
    return detail::compareTexts(a.cStr(), detail::textOf(b));
}

// The C++ relations of text with text, as bool: bytes compare as unsigned
// values and a prefix sorts first (as isEqual and isLess do). A null pointer
// is the empty text.
inline bool operator==(const RtString& a, const RtString& b) noexcept {
    return a.view() == b.view();
}
inline bool operator==(const RtString& a, std::string_view b) noexcept {
    return a.view() == b;
}
inline bool operator==(const RtString& a, const std::string& b) noexcept {
    return a.view() == std::string_view(b);
}
inline bool operator==(const RtString& a, const char* b) noexcept {
    return a.view() == std::string_view(detail::textOf(b));
}
inline std::strong_ordering operator<=>(const RtString& a, std::string_view b) noexcept {
    return a.view().compare(b) <=> 0;
}
inline std::strong_ordering operator<=>(const RtString& a, const RtString& b) noexcept {
    return a <=> b.view();
}
inline std::strong_ordering operator<=>(const RtString& a, const std::string& b) noexcept {
    return a <=> std::string_view(b);
}
inline std::strong_ordering operator<=>(const RtString& a, const char* b) noexcept {
    return a <=> std::string_view(detail::textOf(b));
}
// Text against a number has no operator: `text == 0` would not say whether
// the bytes or the number count. isEqual, isLess and the others read the
// text as a number.
template <NumberOperand N>
bool operator==(const RtString&, N) = delete;
template <NumberOperand N>
std::strong_ordering operator<=>(const RtString&, N) = delete;

// Writes the text's bytes.
std::ostream& operator<<(std::ostream& out, const RtString& text);

// Comparisons give the runtime's truth values, 1.0 and 0.0. Text against
// text compares bytes; text against a number reads the text as a number.
enum class Relation { Equal, NotEqual, Less, Greater, LessOrEqual, GreaterOrEqual };

// 1.0 when a three-way result (negative, 0, positive) stands in the
// relation to 0, else 0.0.
template <typename T>
double relate(Relation relation, const T& order) {
    bool result = false;
    switch (relation) {
        case Relation::Equal:
            result = order == 0;
            break;
        case Relation::NotEqual:
            result = order != 0;
            break;
        case Relation::Less:
            result = order < 0;
            break;
        case Relation::Greater:
            result = order > 0;
            break;
        case Relation::LessOrEqual:
            result = order <= 0;
            break;
        case Relation::GreaterOrEqual:
            result = order >= 0;
            break;
    }
    return result ? 1.0 : 0.0;
}

// The relation between two operands as 1.0 or 0.0: bytes for two texts, the
// numbers for a text and a number.
template <TextOperand L, TextOperand R>
double compare(Relation relation, const L& left, const R& right) {
    if constexpr (std::same_as<std::remove_cvref_t<L>, RtString> &&
                  std::same_as<std::remove_cvref_t<R>, RtString>) {
        if (relation == Relation::Equal && left.length() != right.length()) return 0.0;
        if (relation == Relation::NotEqual && left.length() != right.length()) return 1.0;
    }
    return relate(relation, detail::compareTexts(detail::textOf(left), detail::textOf(right)));
}

// Two numbers by the relation; NaN compares unequal to everything.
inline double compareNumbers(Relation relation, double a, double b) {
    if (a != a || b != b) return relation == Relation::NotEqual ? 1.0 : 0.0;
    return relate(relation, a < b ? -1 : (a > b ? 1 : 0));
}

template <TextOperand L, NumberOperand R>
double compare(Relation relation, const L& left, R right) {
    return compareNumbers(relation, textToNumber(detail::textOf(left)), detail::numberOf(right));
}

template <NumberOperand L, TextOperand R>
double compare(Relation relation, L left, const R& right) {
    return compareNumbers(relation, detail::numberOf(left), textToNumber(detail::textOf(right)));
}

// 1.0 when l == r, else 0.0 (as compare says).
template <StringOperand L, StringOperand R>
requires(TextOperand<L> || TextOperand<R>) double isEqual(const L& l, const R& r) {
    return compare(Relation::Equal, l, r);
}
// 1.0 when l != r, else 0.0 (as compare says).
template <StringOperand L, StringOperand R>
requires(TextOperand<L> || TextOperand<R>) double isNotEqual(const L& l, const R& r) {
    return compare(Relation::NotEqual, l, r);
}
// 1.0 when l < r, else 0.0 (as compare says).
template <StringOperand L, StringOperand R>
requires(TextOperand<L> || TextOperand<R>) double isLess(const L& l, const R& r) {
    return compare(Relation::Less, l, r);
}
// 1.0 when l > r, else 0.0 (as compare says).
template <StringOperand L, StringOperand R>
requires(TextOperand<L> || TextOperand<R>) double isGreater(const L& l, const R& r) {
    return compare(Relation::Greater, l, r);
}
// 1.0 when l <= r, else 0.0 (as compare says).
template <StringOperand L, StringOperand R>
requires(TextOperand<L> || TextOperand<R>) double isLessOrEqual(const L& l, const R& r) {
    return compare(Relation::LessOrEqual, l, r);
}
// 1.0 when l >= r, else 0.0 (as compare says).
template <StringOperand L, StringOperand R>
requires(TextOperand<L> || TextOperand<R>) double isGreaterOrEqual(const L& l, const R& r) {
    return compare(Relation::GreaterOrEqual, l, r);
}

}  // namespace vorlan
