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

TEST(RtString, GrowsInSteps512AboveTheLengthAndNeverShrinks) {
    RtString s;
    EXPECT_EQ(s.capacity(), 0u);  // the shared empty text owns nothing
    struct Step {
        size_t length;
        uint32_t capacity;
    };
    const Step steps[] = {{0, 512}, {511, 512}, {512, 1024}, {5, 1024}, {1100, 1536}};
    for (const Step& step : steps) {
        s = std::string(step.length, 'a').c_str();
        EXPECT_EQ(s.capacity(), step.capacity) << step.length;
        EXPECT_EQ(s.length(), step.length);
    }
    RtString copy(s = RtString());
    EXPECT_EQ(copy.capacity(), 512u);  // a copy of the empty text gets a buffer of its own
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
}

TEST(NumberToText, FollowsTheTenDigitRule) {
    struct Case {
        double value;
        const char* expected;
    };
    const Case cases[] = {
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
        {9999999999.5, "1.e+010"},  // rounds up into the next decade
        {0.0999999999996, "0.1"},
        {2.0 / 3, "0.6666666667"},
        {-1e-300, "-1.e-300"},
        {1.5e300, "1.5e+300"},
        {123.456, "123.456"},
        // Exact ties at the tenth digit round away from zero.
        {88319666805, "8.831966681e+010"},
        {-405629144050, "-4.056291441e+011"},
        {1234567890.5, "1234567891"},
        {1.2345678905, "1.23456789"},  // just below the tie in binary: no tie
    };
    for (const Case& c : cases) EXPECT_EQ(text(RtString(c.value)), c.expected) << c.value;
    EXPECT_EQ(text(RtString(0.1f)), "0.1000000015");
    EXPECT_EQ(text(RtString(-7)), "-7");
    EXPECT_EQ(text(RtString(INT32_MIN)), "-2147483648");
}

// An independent reference: the text reads back as the value rounded to
// ten digits, with no trailing fraction zeros, in the notation its decimal
// exponent calls for.
TEST(NumberToText, RandomValuesKeepTheRule) {
    std::mt19937_64 generator(20261206);
    std::uniform_real_distribution<double> mantissa(1.0, 10.0);
    std::uniform_int_distribution<int> exponent(-30, 30);
    std::bernoulli_distribution negative(0.5);
    std::uniform_int_distribution<int64_t> tenDigits(1000000000, 9999999999);
    std::uniform_int_distribution<int> shift(0, 4);
    for (int i = 0; i < 5000; ++i) {
        double v = mantissa(generator) * std::pow(10.0, exponent(generator));
        // Every third value an exact tie at the tenth digit.
        if (i % 3 == 1) v = double(tenDigits(generator)) + 0.5;
        if (i % 3 == 2)
            v = double(tenDigits(generator) * 10 + 5) * std::pow(10.0, shift(generator));
        if (negative(generator)) v = -v;
        std::string shown = text(RtString(v));

        // A tie (the eleven-digit form is exact) rounds away from zero, as
        // every value just beyond it does.
        char exact[1024];
        auto end = std::to_chars(exact, exact + sizeof exact, std::fabs(v),
                                 std::chars_format::scientific, 800);
        bool tie = exact[11] == '5' && std::all_of(exact + 12, std::find(exact, end.ptr, 'e'),
                                                   [](char c) { return c == '0'; });
        double toRound = tie ? std::nextafter(v, v * 2) : v;
        char digits[64];
        auto result = std::to_chars(digits, digits + sizeof digits, toRound,
                                    std::chars_format::scientific, 9);
        *result.ptr = '\0';
        double rounded = std::strtod(digits, nullptr);
        int decimalExponent = std::atoi(std::strchr(digits, 'e') + 1);

        EXPECT_EQ(std::strtod(shown.c_str(), nullptr), rounded) << shown << " for " << digits;
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

TEST(RtString, ConcatenationAndComparison) {
    RtString s("ab");
    EXPECT_EQ(text(concat(s, s)), "abab");
    EXPECT_EQ(text(concat(7, s)), "7ab");
    EXPECT_EQ(text(concat(s, 0.1f)), "ab0.1000000015");
    EXPECT_EQ(text(s + "!" + 3), "ab!3");
    struct Case {
        double got, want;
    };
    const Case cases[] = {
        {isLess(RtString("2"), RtString("10")), 0},  // text with text: bytes
        {isLess("a", "\xC8"), 1},                    // unsigned
        {isLess("ab", "abc"), 1},
        {isEqual(RtString("abc"), 0), 1},  // text with number: the number read
        {isLess("2", 10.0), 1},
        {isEqual(RtString("10.0"), 10.0f), 1},
        {isLessOrEqual(std::nan(""), "1"), 0},
    };
    for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(cases[i].got, cases[i].want) << i;
}

// What a game's C++ writes with standard text; each line must compile and
// give its result. A char is a character, a number stays its text.
TEST(RtString, TakesStandardTextAndCharacters) {
    const std::string standard = "caf\xC3\xA9";
    RtString t;
    std::ostringstream out;
    struct Case {
        std::string got, want;
    };
    const Case cases[] = {
        {RtString(standard).cStr(), standard},
        {RtString(std::string_view("viewed", 4)).cStr(), "view"},
        {RtString(std::string("a\0b", 3)).cStr(), "a"},  // a NUL ends the text
        {(t = 'B', t.cStr()), "B"},
        {(t += 'A', t.cStr()), "BA"},
        {(t += '\0', t.cStr()), "BA"},
        {(t += std::string_view("!?", 1), t.cStr()), "BA!"},
        {(t = 66, t.cStr()), "66"},
        {(t += 2.5, t += 0.1f, t.cStr()), "662.50.1000000015"},
        {(t = standard, t += standard, t.cStr()), standard + standard},
        {RtString('x').cStr(), "x"},
        {std::string(RtString("hello").view().substr(1, 3)), "ell"},
        {std::string(RtString("as view")), "as view"},
        {(out << RtString("n=") << RtString(3.0), out.str()), "n=3"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(cases[i].got, cases[i].want) << i;

    // A game's own std::string goes straight to the runtime's operations.
    static_assert(requires(std::string s) {
        printText(s, 0, 0);
        loadSprite(s, 1);
    });
    struct Relation {
        bool got, want;
    };
    const Relation relations[] = {
        {RtString(" ") == " ", true},
        {" " == RtString(" "), true},
        {RtString("ab") == std::string("ab"), true},
        {RtString("ab") != std::string_view("abc"), true},
        {RtString("ab") == RtString("ab"), true},
        {RtString("2") < "10", false},  // bytes, not numbers
        {RtString("ab") < std::string("abc"), true},
        {RtString("\xC8") < "a", false},  // bytes are unsigned
        {std::string("b") > RtString("a"), true},
        {RtString() == static_cast<const char*>(nullptr), true},
    };
    for (size_t i = 0; i < std::size(relations); ++i) {
        EXPECT_EQ(relations[i].got, relations[i].want) << i;
    }
}

}  // namespace
}  // namespace vorlan
