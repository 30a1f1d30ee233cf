// The text type, the ten-digit number text (with an independent reference),
// the text functions and the math, for every argument a game may pass.
#include <vorlan/vorlan.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <random>
#include <sstream>

namespace vorlan {
namespace {

constexpr double kNaN = NAN, kInf = INFINITY;
constexpr double kWrap = 4294967297.0;  // 2^32 + 1, which 32 bits would wrap to 1

// 9999999999.5 rounds up into the next decade; exact ties at the tenth digit
// round away from zero; 1.2345678905, just below its tie in binary, is none.
TEST(NumberToText, TheTenDigitRuleOnCasesAndRandomValues) {
    // clang-format off
    const std::pair<double, const char*> cases[] = {
        {1, "1"}, {-2.5, "-2.5"}, {0, "0"}, {0.5, "0.5"}, {1234567890, "1234567890"},
        {0.05, "5.e-002"}, {1e15, "1.e+015"}, {12345678901, "1.23456789e+010"}, {100000, "100000"},
        {9999999999.4, "9999999999"}, {9999999999.5, "1.e+010"}, {0.0999999999996, "0.1"},
        {2.0 / 3, "0.6666666667"}, {-1e-300, "-1.e-300"}, {1.5e300, "1.5e+300"},
        {123.456, "123.456"}, {88319666805, "8.831966681e+010"}, {1234567890.5, "1234567891"},
        {-405629144050, "-4.056291441e+011"}, {1.2345678905, "1.23456789"}};
    // clang-format on
    for (const auto& [value, expected] : cases) EXPECT_EQ(std::string(RtString(value)), expected);
    EXPECT_EQ(std::string(RtString(0.1f)), "0.1000000015");
    EXPECT_EQ(std::string(RtString(INT32_MIN)), "-2147483648");
    // Text to number reads only the classic decimal form.
    const std::pair<const char*, double> texts[] = {
        {"  -3.5e2xyz", -350}, {".5", 0.5}, {"7.", 7},           {"1e", 1},   {"abc", 0},
        {"0x10", 0},           {"inf", 0},  {"\t12 apples", 12}, {nullptr, 0}};
    for (const auto& [input, want] : texts) EXPECT_EQ(textToNumber(input), want) << input;
    // An independent reference: the text reads back as the value rounded to ten
    // digits, no trailing fraction zeros, in the notation its exponent calls for.
    std::mt19937_64 generator(20261206);
    std::uniform_real_distribution<double> mantissa(1.0, 10.0);
    std::uniform_int_distribution<int> exponent(-30, 30), shift(0, 4);
    std::uniform_int_distribution<int64_t> tenDigits(1000000000, 9999999999);
    for (int i = 0; i < 5000; ++i) {
        double v = mantissa(generator) * std::pow(10.0, exponent(generator));
        // Every third value an exact tie at the tenth digit.
        if (i % 3 == 1) v = double(tenDigits(generator)) + 0.5;
        if (i % 3 == 2)
            v = double(tenDigits(generator) * 10 + 5) * std::pow(10.0, shift(generator));
        if (generator() % 2) v = -v;
        std::string shown = std::string(RtString(v));

        // A tie (the eleven-digit form is exact) rounds away from zero, as
        // every value just beyond it does.
        char exact[1024], digits[64];
        auto end = std::to_chars(exact, exact + sizeof exact, std::fabs(v),
                                 std::chars_format::scientific, 800);
        bool tie = exact[11] == '5' && std::all_of(exact + 12, std::find(exact, end.ptr, 'e'),
                                                   [](char c) { return c == '0'; });
        *std::to_chars(digits, digits + sizeof digits, tie ? std::nextafter(v, v * 2) : v,
                       std::chars_format::scientific, 9)
             .ptr = '\0';
        int decimalExponent = std::atoi(std::strchr(digits, 'e') + 1);

        EXPECT_EQ(std::strtod(shown.c_str(), nullptr), std::strtod(digits, nullptr))
            << shown << " for " << digits;
        bool exponentForm = shown.find('e') != std::string::npos;
        EXPECT_EQ(exponentForm, decimalExponent < -1 || decimalExponent > 9) << shown;
        std::string mantissaText = shown.substr(0, shown.find('e'));
        size_t point = mantissaText.find('.');
        if (point != std::string::npos && point + 1 < mantissaText.size()) {
            EXPECT_NE(mantissaText.back(), '0') << shown;
        }
        if (exponentForm) {
            // One digit, the point, then e, a sign and three digits.
            EXPECT_EQ(point, shown[0] == '-' ? 2u : 1u) << shown;
            EXPECT_EQ(shown.size() - shown.find('e'), 5u) << shown;
        } else {
            EXPECT_NE(shown.back(), '.') << shown;
        }
    }
}

// What a game's C++ writes with the runtime's text and standard text: each line
// compiles and gives its result; a char is a character, a NUL ends the text.
TEST(RtString, ConcatenationComparisonsAndStandardText) {
    const std::string standard = "caf\xC3\xA9";
    RtString s("ab"), t;
    std::ostringstream out;
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {std::string(concat(s, s)), "abab"}, {std::string(concat(7, s)), "7ab"}, {std::string(s + "!" + 3), "ab!3"},
        {std::string(concat(s, 0.1f)), "ab0.1000000015"}, {std::string(RtString(standard)), standard},
        {std::string(RtString(std::string_view("viewed", 4))), "view"},
        {std::string(RtString(std::string("a\0b", 3))), "a"}, {std::string(RtString('x')), "x"},
        {(t = 'B', std::string(t)), "B"}, {(t += 'A', std::string(t)), "BA"}, {(t += '\0', std::string(t)), "BA"},
        {(t += std::string_view("!?", 1), std::string(t)), "BA!"}, {(t = 66, std::string(t)), "66"},
        {(t += 2.5, t += 0.1f, std::string(t)), "662.50.1000000015"},
        {(t = standard, t += standard, std::string(t)), standard + standard},
        {std::string(RtString("hello").view().substr(1, 3)), "ell"},
        {std::string(RtString("as view")), "as view"},
        {(out << RtString("n=") << RtString(3.0), out.str()), "n=3"}};
    // clang-format on
    for (const auto& [got, want] : cases) EXPECT_EQ(got, want);
    // Its own bytes may be the source; characters are signed.
    RtString big(std::string(300, 'q').c_str());
    big += big;  // 600 bytes outgrow the buffer while reading from it
    EXPECT_EQ(std::string(big), std::string(600, 'q'));
    RtString tail("hello");
    tail = tail.cStr() + 2;
    EXPECT_EQ(std::string(tail), "llo");
    RtString a("one");
    RtString b(a);
    b.setCharAt(0, 'O');
    EXPECT_EQ(std::string(a), "one");
    EXPECT_EQ(RtString("a\xC8z").charAt(1), -56);
    RtString empty(RtString{});  // a copy of the shared empty text is its own
    empty += "x";
    EXPECT_EQ(std::string(RtString()), "");
    // A game's own std::string goes straight to the runtime's operations.
    static_assert(requires(std::string s) {
        printText(s, 0, 0);
        loadSprite(s, 1);
    });
    // Text with text compares bytes, unsigned, a prefix first; text with a
    // number reads the number.
    // clang-format off
    const std::pair<double, double> compared[] = {
        {isLess(RtString("2"), RtString("10")), 0}, {isLess("a", "\xC8"), 1},
        {isLess("2", 10.0), 1}, {isLess("ab", "abc"), 1}, {isEqual(RtString("abc"), 0), 1},
        {RtString("2") < "10", 0}, {isEqual(RtString("10.0"), 10.0f), 1},
        {isLessOrEqual(std::nan(""), "1"), 0}, {RtString(" ") == " ", 1}, {" " == RtString(" "), 1},
        {RtString("ab") == RtString("ab"), 1}, {RtString("ab") == std::string("ab"), 1},
        {RtString("ab") != std::string_view("abc"), 1}, {RtString("\xC8") < "a", 0},
        {RtString("ab") < std::string("abc"), 1}, {std::string("b") > RtString("a"), 1},
        {RtString() == static_cast<const char*>(nullptr), 1}};
    // clang-format on
    for (size_t i = 0; i < std::size(compared); ++i)
        EXPECT_EQ(compared[i].first, compared[i].second) << i;
}

// Lengths count bytes; findText takes either kind of text on both sides.
TEST(TextFunctions, StayInBoundsForEveryArgument) {
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
    // A negative count must not wrap into "the rest"; 2.7 + 3.9 ends at 6.6, cut
    // to 6, nothing clipped; from 4.5 the count is cut at 1; -0.5 is negative.
    const std::tuple<double, double, const char*> mids[] = {
        {1, 3, "bcd"},     {4, 10, "ef"},       {6, 1, ""},     {-1, 3, ""},       {2, -1, ""},
        {2.7, 3.9, "cde"}, {4.5, 10, "e"},      {-0.5, 2, ""},  {0, -kInf, ""},    {kNaN, 3, ""},
        {1, kNaN, ""},     {1, 1e300, "bcdef"}, {1e300, 1, ""}, {3, kWrap, "def"}, {kWrap, 2, ""}};
    for (const auto& [start, count, want] : mids)
        EXPECT_EQ(std::string(midText("abcdef", start, count)), want) << start << ", " << count;
    EXPECT_EQ(std::string(midText(RtString(), 0, 5)), "");
    // Shorter replacements chain and look back across the cut, an equal length
    // resumes behind it, a longer one moves past it; an empty needle does nothing.
    const std::tuple<const char*, const char*, const char*, const char*> replaces[] = {
        {"axbx", "x", "yy", "ayybyy"},      {"a.b.c", ".", "", "abc"}, {"aaaa", "aa", "a", "a"},
        {"a     b  c", "  ", " ", "a b c"}, {"aabb", "ab", "", ""},    {"aabcc", "abc", "b", "b"},
        {"aab", "ab", "ba", "aba"},         {"aa", "a", "aa", "aaaa"}, {"abc", "", "x", "abc"}};
    for (const auto& [text, needle, replacement, want] : replaces)
        EXPECT_EQ(std::string(replaceText(text, needle, replacement)), want) << text;
    EXPECT_EQ(std::string(replaceText(std::string(1000, 'x').c_str(), "x", "xx")),
              std::string(2000, 'x'));
    // Case changes copy and leave bytes above 127 alone; textFromCode takes the
    // low byte of a code in range; hex follows memory order.
    const RtString mixed("MiXeD \xc9\xe9 1@[`{");
    EXPECT_EQ(std::string(toUpperText(mixed)), "MIXED \xc9\xe9 1@[`{");
    EXPECT_EQ(std::string(toLowerText(mixed)), "mixed \xc9\xe9 1@[`{");
    EXPECT_EQ(std::string(mixed), "MiXeD \xc9\xe9 1@[`{");
    for (auto [code, want] :
         {std::pair{321.9, "A"}, {-23, "\xe9"}, {256, ""}, {kNaN, ""}, {1e300, ""}})
        EXPECT_EQ(std::string(textFromCode(code)), want) << code;
    for (int code = -128; code < 128; code += code == -1 ? 2 : 1)  // all but NUL
        EXPECT_EQ(characterCode(textFromCode(code)), code);
    EXPECT_EQ(characterCode(""), 0);
    const uint32_t word = 0x12345678;
    const unsigned char bytes[] = {0x00, 0xAB, 0xFF, 0x80};
    EXPECT_EQ(std::string(bytesToHex(bytes, sizeof bytes)), "00ABFF80");
    EXPECT_EQ(std::string(bytesToHex(&word, 4)), "78563412");
    EXPECT_EQ(std::string(bytesToHex(std::string(300, 'U').data(), 300)), std::string(600, '5'));
    // Never an exponent; negative or NaN decimals are 0; the text is cut at
    // 511 bytes of its 512-byte buffer.
    // clang-format off
    const std::tuple<double, double, double, std::string> formats[] = {
        {8.9, 2.9, 3.14159, "    3.14"}, {-8, 2, 3.14159, "3.14    "}, {5, 1, 0.25, "  0.2"},
        {0, 2, 1e20, "100000000000000000000.00"}, {0, -2, 3.75, "4"}, {kNaN, kNaN, 3.75, "4"},
        {1000, 0, 1, std::string(511, ' ')}, {-1000, 0, 1, "1" + std::string(510, ' ')},
        {0, 1e9, 1, "1." + std::string(509, '0')}, {510, 0, 1, std::string(509, ' ') + "1"}};
    // clang-format on
    for (const auto& [width, decimals, value, want] : formats)
        EXPECT_EQ(std::string(formatNumber(width, decimals, value)), want)
            << width << ", " << decimals;
    EXPECT_EQ(std::string(formatNumber(kInf, kInf, -1e308)).substr(0, 3), "-10");
    EXPECT_EQ(formatNumber(kInf, kInf, -1e308).length(), 511u);
    const std::pair<const char*, std::vector<std::string>> splits[] = {
        {",a,,b c,", {"a", "b", "c"}}, {",,,", {}}, {"a\xff\xe9\xff", {"a", "\xe9"}}};
    RtStringArray pieces;
    for (const auto& [text, want] : splits) {
        ASSERT_EQ(splitText(text, ", \xff", pieces), double(want.size())) << text;
        EXPECT_EQ(pieces.dim1(), int(want.size()));
        for (size_t i = 0; i < want.size(); ++i)
            EXPECT_EQ(std::string(elementAt(pieces, i)), want[i]);
    }
    EXPECT_EQ(splitText("a b", "", pieces), 1);
    EXPECT_EQ(std::string(elementAt(pieces, 0)), "a b");
    EXPECT_EQ(splitText("", "", pieces), 0);
    // The text may be an element of the array it is split into.
    dimensionArray(pieces, 1);
    elementAt(pieces, 0) = "left,right";
    EXPECT_EQ(splitText(elementAt(pieces, 0), ",", pieces), 2);
    EXPECT_EQ(std::string(elementAt(pieces, 1)), "right");
    RtString path("C:\\games\\bush.png");
    EXPECT_EQ(forwardSlashes(path), 17);
    EXPECT_EQ(std::string(path), "C:/games/bush.png");
}

// Degrees go through the division by degrees per radian: sinDeg(30) is
// 30 / (180 / pi), not 30 * (pi / 180).
TEST(Math, DegreesModuloAndBoxes) {
    EXPECT_EQ(sinDeg(30), 0.49999999999999994);
    for (double x : {33.3, -271.0, 1e6}) {
        EXPECT_EQ(cosDeg(x), std::cos(x / kDegreesPerRadian)) << x;
        EXPECT_EQ(tanDeg(x), std::tan(x / kDegreesPerRadian)) << x;
    }
    const double cases[][2] = {{atan2Deg(0, -1), 180}, {atan2Deg(-1, 0), -90}, {asinDeg(1.5), 90},
                               {asinDeg(-kInf), -90},  {acosDeg(-2), 180},     {acosDeg(kInf), 0}};
    for (const auto& c : cases) EXPECT_EQ(c[0], c[1]);
    EXPECT_TRUE(std::signbit(absolute(-0.0)));
    // Modulo truncates, never traps (-2^31 / -1 overflows), and holds
    // infinities at the 32-bit ends.
    const double modulo[][3] = {
        {-7, 3, -1},  {7, -3, 1},    {-7.9, 2.9, -1}, {5, 0.5, 0},  {kNaN, 3, 0},
        {7, kNaN, 0}, {1e12, 10, 7}, {-kInf, 10, -8}, {5, kInf, 5}, {-2147483648.0, -1, 0}};
    for (const auto& c : modulo)
        EXPECT_EQ(integerModulo(c[0], c[1]), c[2]) << c[0] << " % " << c[1];
    // Boxes overlap with touching edges and backward sizes.
    const double boxes[][9] = {
        {0, 0, 10, 10, 10, 0, 10, 10, 1},   {0, 0, 10, 10, 10.5, 0, 10, 10, 0},
        {0, 0, 10, 10, 0, 10.5, 10, 10, 0}, {2, 2, 3, 3, 0, 0, 10, 10, 1},
        {10, 0, -10, 10, 10, 0, 5, 5, 1},   {10, 0, -10, 10, 10.5, 0, 5, 5, 0},
        {10, 10, -5, -5, 0, 0, 5, 5, 1},    {10, 10, -4, -4, 0, 0, 5, 5, 0},
        {kNaN, 0, 10, 10, 0, 0, 10, 10, 0}, {0, 0, kInf, 10, 1e300, 0, 1, 1, 1}};
    for (const auto& c : boxes)
        EXPECT_EQ(boxesOverlap(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7]), c[8]) << c[0];
}

}  // namespace
}  // namespace vorlan
