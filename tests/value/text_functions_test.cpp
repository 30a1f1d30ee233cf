#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include <vorlan/vorlan.h>

namespace vorlan {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

std::string str(const RtString& text) {
    return std::string(text.cStr(), text.length());
}

struct TextCase {
    std::string got;
    std::string want;
};

void expectAll(const std::vector<TextCase>& cases) {
    for (size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(cases[i].got, cases[i].want) << "case " << i;
}

TEST(TextFunctions, NumbersOfTexts) {
    const char* finds[][3] = {
        {"banana", "nan", "2"},          {"banana", "", "0"},     {"", "x", "-1"},
        {"banana", "A", "-1"},           {"ab", "abc", "-1"},     {"aab", "ab", "1"},
        {"ab\xe9\xff", "\xe9\xff", "2"}, {"ab\xe9", "\x69", "-1"}};
    for (auto& c : finds) {
        SCOPED_TRACE(testing::Message() << c[0] << " / " << c[1]);
        double want = std::stod(c[2]);
        RtString hay(c[0]), needle(c[1]);
        EXPECT_EQ(findText(hay, needle), want);
        EXPECT_EQ(findText(hay, c[1]), want);
        EXPECT_EQ(findText(c[0], needle), want);
        EXPECT_EQ(findText(c[0], c[1]), want);
    }
    EXPECT_EQ(textLength(RtString("\xe9t\xe9")), 3);  // bytes, not characters
    EXPECT_EQ(textLength(static_cast<const char*>(nullptr)), 0);
    EXPECT_EQ(numberTextLength(12345678901.0), 15);    // 1.23456789e+010
    EXPECT_EQ(characterCode(RtString("\x80")), -128);  // the first byte, signed
    EXPECT_EQ(characterCode(""), 0);
    for (int code = -128; code < 128; ++code) {
        if (code != 0) {
            EXPECT_EQ(characterCode(textFromCode(code)), code);
        }
    }
}

TEST(TextFunctions, MidTextStaysInBoundsForEveryArgument) {
    RtString t("abcdef");
    expectAll({
        {str(midText(t, 1, 3)), "bcd"},
        {str(midText(t, 4, 10)), "ef"},
        {str(midText(t, 6, 1)), ""},
        {str(midText(t, -1, 3)), ""},
        {str(midText(t, 2, -1)), ""},        // must not wrap into "the rest"
        {str(midText(t, 2.7, 3.9)), "cde"},  // end 6.6 truncates to 6: no clipping
        {str(midText(t, 4.5, 10)), "e"},     // count 6 - 4.5 = 1.5, cut at 1
        {str(midText(t, -0.5, 2)), ""},      // negative, though it truncates to 0
        {str(midText(t, 0, -kInf)), ""},
        {str(midText(t, kNaN, 3)), ""},
        {str(midText(t, 1, kNaN)), ""},
        {str(midText(t, 1, 1e300)), "bcdef"},
        {str(midText(t, 1e300, 1)), ""},
        {str(midText(t, 3, 4294967296.0 + 1)), "def"},
        {str(midText(t, 4294967296.0 + 1, 2)), ""},
        {str(midText(RtString(), 0, 5)), ""},
    });
}

TEST(TextFunctions, ReplaceTextChainsAndAlwaysEnds) {
    expectAll({
        {str(replaceText("axbx", "x", "yy")), "ayybyy"},
        {str(replaceText("a.b.c", ".", "")), "abc"},
        {str(replaceText("aaaa", "aa", "a")), "a"},  // shorter replacements chain
        {str(replaceText("a     b  c", "  ", " ")), "a b c"},
        {str(replaceText("aabb", "ab", "")), ""},
        {str(replaceText("aabcc", "abc", "b")), "b"},  // looks back across the cut
        {str(replaceText("aab", "ab", "ba")), "aba"},  // equal length: resumes behind
        {str(replaceText("aa", "a", "aa")), "aaaa"},   // longer: moves on past it
        {str(replaceText("abc", "", "x")), "abc"},     // an empty needle never ends
    });
    EXPECT_EQ(replaceText(std::string(1000, 'x').c_str(), "x", "yz").length(), 2000u);
}

TEST(TextFunctions, CodesCaseAndHex) {
    RtString original("MiXeD \xc9\xe9 1@[`{");
    uint32_t word = 0x12345678;
    const unsigned char bytes[] = {0x00, 0xAB, 0xFF, 0x80};
    expectAll({
        {str(toUpperText(original)), "MIXED \xc9\xe9 1@[`{"},
        {str(toLowerText(original)), "mixed \xc9\xe9 1@[`{"},
        {str(original), "MiXeD \xc9\xe9 1@[`{"},  // a copy, not in place
        {str(textFromCode(321.9)), "A"},          // the low byte
        {str(textFromCode(-23)), "\xe9"},
        {str(textFromCode(256)), ""},
        {str(textFromCode(kNaN)), ""},
        {str(textFromCode(1e300)), ""},
        {str(bytesToHex(bytes, sizeof bytes)), "00ABFF80"},
        {str(bytesToHex(&word, 4)), "78563412"},  // memory order
        {str(bytesToHex(std::string(300, 'Z').data(), 300)).substr(596), "5A5A"},
    });
    EXPECT_EQ(bytesToHex(std::string(300, 'Z').data(), 300).length(), 600u);
}

TEST(TextFunctions, FormatNumberHoldsItsArgumentsAndItsBuffer) {
    expectAll({
        {str(formatNumber(8.9, 2.9, 3.14159)), "    3.14"},
        {str(formatNumber(-8, 2, 3.14159)), "3.14    "},
        {str(formatNumber(0, 2, 1e20)), "100000000000000000000.00"},  // never an exponent
        {str(formatNumber(5, 1, 0.25)), "  0.2"},
        {str(formatNumber(0, -2, 3.75)), "4"},  // negative or NaN decimals are 0
        {str(formatNumber(kNaN, kNaN, 3.75)), "4"},
        {str(formatNumber(1000, 0, 1)), std::string(511, ' ')},  // cut at 511 bytes
        {str(formatNumber(-1000, 0, 1)), "1" + std::string(510, ' ')},
        {str(formatNumber(0, 1e9, 1)), "1." + std::string(509, '0')},
        {str(formatNumber(kInf, kInf, -1e308)).substr(0, 3), "-10"},
        {str(formatNumber(510, 0, 1)), std::string(509, ' ') + "1"},
    });
    EXPECT_EQ(formatNumber(kInf, kInf, -1e308).length(), 511u);
}

TEST(TextFunctions, SplitTextAndSlashes) {
    struct Case {
        const char* text;
        const char* delimiters;
        std::vector<std::string> pieces;
    };
    const Case cases[] = {
        {",a,,b c,", ", ", {"a", "b", "c"}},
        {",,,", ",", {}},
        {"", "", {}},
        {"a b", "", {"a b"}},
        {"a\xff\xe9\xff"
         "b",
         "\xff",
         {"a", "\xe9", "b"}},
    };
    RtStringArray pieces;
    for (const Case& c : cases) {
        ASSERT_EQ(splitText(c.text, c.delimiters, pieces), double(c.pieces.size())) << c.text;
        EXPECT_EQ(pieces.dim1(), int(c.pieces.size()));
        for (size_t i = 0; i < c.pieces.size(); ++i)
            EXPECT_EQ(str(elementAt(pieces, i)), c.pieces[i]);
    }
    // The text may be an element of the array it is split into.
    dimensionArray(pieces, 1);
    elementAt(pieces, 0) = "left,right";
    EXPECT_EQ(splitText(elementAt(pieces, 0), ",", pieces), 2);
    EXPECT_EQ(str(elementAt(pieces, 1)), "right");

    RtString path("C:\\games\\bush.png");
    EXPECT_EQ(forwardSlashes(path), 17);
    EXPECT_EQ(str(path), "C:/games/bush.png");
}

}  // namespace
}  // namespace vorlan
