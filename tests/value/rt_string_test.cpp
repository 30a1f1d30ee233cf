// The text type: its own bytes as a source, the ten-digit number text
// (with an independent reference), text to number, concatenation,
// comparison and what a game's C++ writes with standard text.
#include <vorlan/fonts.h>
#include <vorlan/rt_string.h>
#include <vorlan/sprites.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <string_view>

namespace vorlan {
namespace {

std::string text(const RtString& s) {
    return s.cStr();
}

TEST(RtString, OwnBytesMayBeTheSourceAndCharactersAreSigned) {
    RtString big(std::string(300, 'q').c_str());
    big += big;  // 600 bytes outgrow the buffer while reading from it
    EXPECT_EQ(text(big), std::string(600, 'q'));
    RtString tail("hello");
    tail = tail.cStr() + 2;
    EXPECT_EQ(text(tail), "llo");
    RtString a("one");
    RtString b(a);
    b.setCharAt(0, 'O');
    EXPECT_EQ(text(a), "one");
    EXPECT_EQ(RtString("a\xC8z").charAt(1), -56);
    RtString empty(RtString{});  // a copy of the shared empty text is its own
    empty += "x";
    EXPECT_EQ(text(RtString()), "");
}

// 9999999999.5 rounds up into the next decade; exact ties at the tenth
// digit round away from zero, and 1.2345678905, just below its tie in
// binary, is no tie.
TEST(NumberToText, FollowsTheTenDigitRule) {
    const std::pair<double, const char*> cases[] = {
        {1, "1"},
        {-2.5, "-2.5"},
        {0, "0"},
        {0.5, "0.5"},
        {1234567890, "1234567890"},
        {0.05, "5.e-002"},
        {1e15, "1.e+015"},
        {12345678901, "1.23456789e+010"},
        {100000, "100000"},
        {9999999999.4, "9999999999"},
        {9999999999.5, "1.e+010"},
        {0.0999999999996, "0.1"},
        {2.0 / 3, "0.6666666667"},
        {-1e-300, "-1.e-300"},
        {1.5e300, "1.5e+300"},
        {123.456, "123.456"},
        {88319666805, "8.831966681e+010"},
        {-405629144050, "-4.056291441e+011"},
        {1234567890.5, "1234567891"},
        {1.2345678905, "1.23456789"},
    };
    for (const auto& [value, expected] : cases) EXPECT_EQ(text(RtString(value)), expected);
    EXPECT_EQ(text(RtString(0.1f)), "0.1000000015");
    EXPECT_EQ(text(RtString(INT32_MIN)), "-2147483648");
}

// An independent reference: the text reads back as the value rounded to
// ten digits, with no trailing fraction zeros, in the notation its decimal
// exponent calls for.
TEST(NumberToText, RandomValuesKeepTheRule) {
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
        std::string shown = text(RtString(v));

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

TEST(RtString, TextToNumberReadsOnlyTheClassicDecimalForm) {
    const std::pair<const char*, double> cases[] = {
        {"  -3.5e2xyz", -350}, {".5", 0.5}, {"7.", 7},           {"1e", 1},    {"abc", 0},
        {"0x10", 0},           {"inf", 0},  {"\t12 apples", 12}, {nullptr, 0},
    };
    for (const auto& [input, want] : cases) EXPECT_EQ(textToNumber(input), want) << input;
}

// What a game's C++ writes, with the runtime's text and with standard text;
// each line must compile and give its result. A char is a character, a
// number stays its text; a NUL ends the text.
TEST(RtString, ConcatenationAndStandardText) {
    const std::string standard = "caf\xC3\xA9";
    RtString s("ab"), t;
    std::ostringstream out;
    const std::pair<std::string, std::string> cases[] = {
        {text(concat(s, s)), "abab"},
        {text(concat(7, s)), "7ab"},
        {text(concat(s, 0.1f)), "ab0.1000000015"},
        {text(s + "!" + 3), "ab!3"},
        {text(RtString(-7)), "-7"},
        {text(RtString(standard)), standard},
        {text(RtString(std::string_view("viewed", 4))), "view"},
        {text(RtString(std::string("a\0b", 3))), "a"},
        {(t = 'B', text(t)), "B"},
        {(t += 'A', text(t)), "BA"},
        {(t += '\0', text(t)), "BA"},
        {(t += std::string_view("!?", 1), text(t)), "BA!"},
        {(t = 66, text(t)), "66"},
        {(t += 2.5, t += 0.1f, text(t)), "662.50.1000000015"},
        {(t = standard, t += standard, text(t)), standard + standard},
        {text(RtString('x')), "x"},
        {std::string(RtString("hello").view().substr(1, 3)), "ell"},
        {std::string(RtString("as view")), "as view"},
        {(out << RtString("n=") << RtString(3.0), out.str()), "n=3"},
    };
    for (const auto& [got, want] : cases) EXPECT_EQ(got, want);
    // A game's own std::string goes straight to the runtime's operations.
    static_assert(requires(std::string s) {
        printText(s, 0, 0);
        loadSprite(s, 1);
    });
}

// Text with text compares bytes, unsigned, a prefix first; text with a
// number reads the number.
TEST(RtString, Comparisons) {
    const std::pair<double, double> cases[] = {
        {isLess(RtString("2"), RtString("10")), 0},
        {isLess("a", "\xC8"), 1},
        {isLess("ab", "abc"), 1},
        {isEqual(RtString("abc"), 0), 1},
        {isLess("2", 10.0), 1},
        {isEqual(RtString("10.0"), 10.0f), 1},
        {isLessOrEqual(std::nan(""), "1"), 0},
        {RtString(" ") == " ", 1},
        {" " == RtString(" "), 1},
        {RtString("ab") == std::string("ab"), 1},
        {RtString("ab") != std::string_view("abc"), 1},
        {RtString("ab") == RtString("ab"), 1},
        {RtString("2") < "10", 0},
        {RtString("ab") < std::string("abc"), 1},
        {RtString("\xC8") < "a", 0},
        {std::string("b") > RtString("a"), 1},
        {RtString() == static_cast<const char*>(nullptr), 1},
    };
    for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(cases[i].first, cases[i].second) << i;
}

}  // namespace
}  // namespace vorlan
