// The text functions and the math: every argument a game may pass, NaN,
// infinities and huge values included, stays in bounds.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include <vorlan/vorlan.h>

namespace vorlan {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kWrap = 4294967297.0;  // 2^32 + 1, which 32 bits would wrap to 1

std::string str(const RtString& text) {
    return std::string(text.cStr(), text.length());
}

std::string repeat(const std::string& piece, int times) {
    std::string out;
    while (times-- > 0) out += piece;
    return out;
}

// Lengths count bytes; findText takes either kind of text on both sides.
TEST(TextFunctions, FindAndLengths) {
    const std::tuple<const char*, const char*, double> finds[] = {
        {"banana", "nan", 2},          {"banana", "", 0},     {"", "x", -1},
        {"banana", "A", -1},           {"ab", "abc", -1},     {"aab", "ab", 1},
        {"ab\xe9\xff", "\xe9\xff", 2}, {"ab\xe9", "\x69", -1}};
    for (const auto& [hay, needle, want] : finds) {
        EXPECT_EQ(findText(RtString(hay), RtString(needle)), want) << hay << " / " << needle;
        EXPECT_EQ(findText(RtString(hay), needle), want);
        EXPECT_EQ(findText(hay, RtString(needle)), want);
        EXPECT_EQ(findText(hay, needle), want);
    }
    EXPECT_EQ(textLength(RtString("\xe9t\xe9")), 3);
    EXPECT_EQ(textLength(static_cast<const char*>(nullptr)), 0);
    EXPECT_EQ(numberTextLength(12345678901.0), 15);  // 1.23456789e+010
}

// A negative count must not wrap into "the rest"; 2.7 + 3.9 ends at 6.6,
// truncated to 6, so nothing is clipped; from 4.5 the count 1.5 is cut at
// 1; -0.5 is negative though it truncates to 0.
TEST(TextFunctions, MidTextStaysInBoundsForEveryArgument) {
    const std::tuple<double, double, const char*> cases[] = {
        {1, 3, "bcd"},     {4, 10, "ef"},       {6, 1, ""},     {-1, 3, ""},       {2, -1, ""},
        {2.7, 3.9, "cde"}, {4.5, 10, "e"},      {-0.5, 2, ""},  {0, -kInf, ""},    {kNaN, 3, ""},
        {1, kNaN, ""},     {1, 1e300, "bcdef"}, {1e300, 1, ""}, {3, kWrap, "def"}, {kWrap, 2, ""}};
    for (const auto& [start, count, want] : cases) {
        EXPECT_EQ(str(midText("abcdef", start, count)), want) << start << ", " << count;
    }
    EXPECT_EQ(str(midText(RtString(), 0, 5)), "");
}

// Shorter replacements chain and look back across the cut, an equal length
// resumes behind it, a longer one moves on past it, and an empty needle
// (which would never end) changes nothing.
TEST(TextFunctions, ReplaceTextChainsAndAlwaysEnds) {
    const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
        {"axbx", "x", "yy", "ayybyy"},      {"a.b.c", ".", "", "abc"}, {"aaaa", "aa", "a", "a"},
        {"a     b  c", "  ", " ", "a b c"}, {"aabb", "ab", "", ""},    {"aabcc", "abc", "b", "b"},
        {"aab", "ab", "ba", "aba"},         {"aa", "a", "aa", "aaaa"}, {"abc", "", "x", "abc"}};
    for (const auto& [text, needle, replacement, want] : cases) {
        EXPECT_EQ(str(replaceText(text, needle, replacement)), want) << text;
    }
    EXPECT_EQ(str(replaceText(std::string(1000, 'x').c_str(), "x", "yz")), repeat("yz", 1000));
}

// Case changes copy and leave bytes above 127 alone; textFromCode takes the
// low byte of a code in range; hex follows memory order.
TEST(TextFunctions, CodesCaseAndHex) {
    const RtString mixed("MiXeD \xc9\xe9 1@[`{");
    EXPECT_EQ(str(toUpperText(mixed)), "MIXED \xc9\xe9 1@[`{");
    EXPECT_EQ(str(toLowerText(mixed)), "mixed \xc9\xe9 1@[`{");
    EXPECT_EQ(str(mixed), "MiXeD \xc9\xe9 1@[`{");
    for (auto [code, want] : {std::pair{321.9, "A"}, {-23, "\xe9"}, {256, ""}, {kNaN, ""}}) {
        EXPECT_EQ(str(textFromCode(code)), want) << code;
    }
    EXPECT_EQ(str(textFromCode(1e300)), "");
    for (int code = -128; code < 128; code += code == -1 ? 2 : 1) {  // all but NUL
        EXPECT_EQ(characterCode(textFromCode(code)), code);
    }
    EXPECT_EQ(characterCode(""), 0);
    const uint32_t word = 0x12345678;
    const unsigned char bytes[] = {0x00, 0xAB, 0xFF, 0x80};
    EXPECT_EQ(str(bytesToHex(bytes, sizeof bytes)), "00ABFF80");
    EXPECT_EQ(str(bytesToHex(&word, 4)), "78563412");
    EXPECT_EQ(str(bytesToHex(std::string(300, 'Z').data(), 300)), repeat("5A", 300));
}

// Never an exponent; negative or NaN decimals are 0; the text is cut at
// 511 bytes of its 512-byte buffer.
TEST(TextFunctions, FormatNumberHoldsItsArgumentsAndItsBuffer) {
    const std::tuple<double, double, double, std::string> cases[] = {
        {8.9, 2.9, 3.14159, "    3.14"},
        {-8, 2, 3.14159, "3.14    "},
        {0, 2, 1e20, "100000000000000000000.00"},
        {5, 1, 0.25, "  0.2"},
        {0, -2, 3.75, "4"},
        {kNaN, kNaN, 3.75, "4"},
        {1000, 0, 1, std::string(511, ' ')},
        {-1000, 0, 1, "1" + std::string(510, ' ')},
        {0, 1e9, 1, "1." + std::string(509, '0')},
        {510, 0, 1, std::string(509, ' ') + "1"}};
    for (const auto& [width, decimals, value, want] : cases) {
        EXPECT_EQ(str(formatNumber(width, decimals, value)), want) << width << ", " << decimals;
    }
    EXPECT_EQ(str(formatNumber(kInf, kInf, -1e308)).substr(0, 3), "-10");
    EXPECT_EQ(formatNumber(kInf, kInf, -1e308).length(), 511u);
}

TEST(TextFunctions, SplitTextAndSlashes) {
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {",a,,b c,", {"a", "b", "c"}}, {",,,", {}}, {"a\xff\xe9\xff", {"a", "\xe9"}}};
    RtStringArray pieces;
    for (const auto& [text, want] : cases) {
        ASSERT_EQ(splitText(text, ", \xff", pieces), double(want.size())) << text;
        EXPECT_EQ(pieces.dim1(), int(want.size()));
        for (size_t i = 0; i < want.size(); ++i) EXPECT_EQ(str(elementAt(pieces, i)), want[i]);
    }
    EXPECT_EQ(splitText("a b", "", pieces), 1);
    EXPECT_EQ(str(elementAt(pieces, 0)), "a b");
    EXPECT_EQ(splitText("", "", pieces), 0);
    // The text may be an element of the array it is split into.
    dimensionArray(pieces, 1);
    elementAt(pieces, 0) = "left,right";
    EXPECT_EQ(splitText(elementAt(pieces, 0), ",", pieces), 2);
    EXPECT_EQ(str(elementAt(pieces, 1)), "right");
    RtString path("C:\\games\\bush.png");
    EXPECT_EQ(forwardSlashes(path), 17);
    EXPECT_EQ(str(path), "C:/games/bush.png");
}

// Degrees go through the division by degrees per radian: sinDeg(30) is
// 30 / (180 / pi), not 30 * (pi / 180).
TEST(Math, DegreesGoThroughTheDivisionByDegreesPerRadian) {
    EXPECT_EQ(sinDeg(30), 0.49999999999999994);
    for (double x : {33.3, -271.0, 1e6}) {
        EXPECT_EQ(cosDeg(x), std::cos(x / kDegreesPerRadian)) << x;
        EXPECT_EQ(tanDeg(x), std::tan(x / kDegreesPerRadian)) << x;
    }
    const double cases[][2] = {{atan2Deg(0, -1), 180}, {atan2Deg(-1, 0), -90}, {asinDeg(1.5), 90},
                               {asinDeg(-kInf), -90},  {acosDeg(-2), 180},     {acosDeg(kInf), 0}};
    for (const auto& c : cases) EXPECT_EQ(c[0], c[1]);
    EXPECT_TRUE(std::signbit(absolute(-0.0)));
}

// Truncating, never trapping (-2^31 / -1 overflows), infinities held at
// the 32-bit ends.
TEST(Math, IntegerModuloTruncatesAndNeverTraps) {
    const double cases[][3] = {
        {-7, 3, -1},  {7, -3, 1},    {-7.9, 2.9, -1}, {5, 0.5, 0},  {kNaN, 3, 0},
        {7, kNaN, 0}, {1e12, 10, 7}, {-kInf, 10, -8}, {5, kInf, 5}, {-2147483648.0, -1, 0}};
    for (const auto& c : cases) EXPECT_EQ(integerModulo(c[0], c[1]), c[2]) << c[0] << " % " << c[1];
}

TEST(Math, BoxesOverlapWithTouchingEdgesAndBackwardSizes) {
    const double cases[][9] = {
        {0, 0, 10, 10, 10, 0, 10, 10, 1},   {0, 0, 10, 10, 10.5, 0, 10, 10, 0},
        {0, 0, 10, 10, 0, 10.5, 10, 10, 0}, {2, 2, 3, 3, 0, 0, 10, 10, 1},
        {10, 0, -10, 10, 10, 0, 5, 5, 1},   {10, 0, -10, 10, 10.5, 0, 5, 5, 0},
        {10, 10, -5, -5, 0, 0, 5, 5, 1},    {10, 10, -4, -4, 0, 0, 5, 5, 0},
        {kNaN, 0, 10, 10, 0, 0, 10, 10, 0}, {0, 0, kInf, 10, 1e300, 0, 1, 1, 1}};
    for (const auto& c : cases) {
        EXPECT_EQ(boxesOverlap(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7]), c[8]) << c[0];
    }
}

}  // namespace
}  // namespace vorlan
