#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include <vorlan/vorlan.h>

namespace vorlan {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

std::string str(const RtString& text) {
    return std::string(text.cStr(), text.length());
}

TEST(TextLength, CountsBytesOfTextsAndOfNumbersAsShown) {
    EXPECT_EQ(textLength(RtString("hello")), 5);
    EXPECT_EQ(textLength(""), 0);
    EXPECT_EQ(textLength(static_cast<const char*>(nullptr)), 0);
    EXPECT_EQ(textLength(RtString("\xe9t\xe9")), 3);  // bytes, not characters
    EXPECT_EQ(numberTextLength(0.5), 3);
    EXPECT_EQ(numberTextLength(100), 3);
    EXPECT_EQ(numberTextLength(-2.5), 4);
    EXPECT_EQ(numberTextLength(12345678901.0), 15);  // 1.23456789e+010
}

TEST(FindText, AllFourOperandKindsAgree) {
    const char* cases[][3] = {
        {"banana", "a", "1"}, {"banana", "nan", "2"}, {"banana", "", "0"}, {"", "", "0"},
        {"", "x", "-1"},      {"banana", "A", "-1"},  {"ab", "abc", "-1"}, {"aab", "ab", "1"},
    };
    for (auto& c : cases) {
        double want = std::stod(c[2]);
        RtString hay(c[0]), needle(c[1]);
        EXPECT_EQ(findText(hay, needle), want) << c[0] << " / " << c[1];
        EXPECT_EQ(findText(hay, c[1]), want) << c[0] << " / " << c[1];
        EXPECT_EQ(findText(c[0], needle), want) << c[0] << " / " << c[1];
        EXPECT_EQ(findText(c[0], c[1]), want) << c[0] << " / " << c[1];
    }
}

TEST(FindText, MatchesHighBytesExactly) {
    // Bytes above 127 are compared as bytes, whatever their sign as char.
    EXPECT_EQ(findText("ab\xe9\xff", "\xff"), 3);
    EXPECT_EQ(findText("ab\xe9\xff", "\xe9\xff"), 2);
    EXPECT_EQ(findText("ab\xe9", "\x69"), -1);  // 0xe9 - 128 is not 0xe9
}

TEST(MidText, TakesPiecesAndClipsAtTheEnd) {
    RtString text("abcdef");
    EXPECT_EQ(str(midText(text, 1, 3)), "bcd");
    EXPECT_EQ(str(midText(text, 4, 10)), "ef");
    EXPECT_EQ(str(midText(text, 0, 6)), "abcdef");
    EXPECT_EQ(str(midText(text, 6, 1)), "");
    EXPECT_EQ(str(midText(text, 7, 1)), "");
    EXPECT_EQ(str(midText(text, -1, 3)), "");
    EXPECT_EQ(str(midText(text, 2, 0)), "");
    EXPECT_EQ(str(midText(text, 2, -1)), "");
    EXPECT_EQ(str(midText(RtString(), 0, 5)), "");
}

TEST(MidText, FractionsTruncateAfterTheEndTest) {
    RtString text("abcdef");
    EXPECT_EQ(str(midText(text, 2.7, 2.2)), "cd");
    EXPECT_EQ(str(midText(text, 2.7, 3.9)), "cde");  // end 6.6 truncates to 6: no clipping
    // start + count beyond the end: count becomes 6 - 4.5 = 1.5, cut at 1.
    EXPECT_EQ(str(midText(text, 4.5, 10)), "e");
    EXPECT_EQ(str(midText(text, 0, 0.5)), "");   // a count that truncates to 0
    EXPECT_EQ(str(midText(text, -0.5, 2)), "");  // negative start, even though it truncates to 0
}

TEST(MidText, NegativeCountsLargerThanStartStayEmpty) {
    // start + count below zero must not wrap into a huge end and turn the
    // negative count into "the rest of the text".
    RtString text("abcdef");
    EXPECT_EQ(str(midText(text, 2, -5)), "");
    EXPECT_EQ(str(midText(text, 0, -10)), "");
    EXPECT_EQ(str(midText(text, 0, -kInf)), "");
}

TEST(MidText, NonFiniteAndHugeArgumentsStayInBounds) {
    RtString text("abcdef");
    EXPECT_EQ(str(midText(text, kNaN, 3)), "");
    EXPECT_EQ(str(midText(text, 1, kNaN)), "");
    EXPECT_EQ(str(midText(text, kInf, 3)), "");
    EXPECT_EQ(str(midText(text, -kInf, 3)), "");
    EXPECT_EQ(str(midText(text, -kInf, kInf)), "");
    EXPECT_EQ(str(midText(text, 1, kInf)), "bcdef");
    EXPECT_EQ(str(midText(text, 1, 1e300)), "bcdef");
    EXPECT_EQ(str(midText(text, 1e300, 1)), "");
    EXPECT_EQ(str(midText(text, 3, 4294967296.0 + 1)), "def");
    EXPECT_EQ(str(midText(text, 4294967296.0 + 1, 2)), "");
}

TEST(ReplaceText, ReplacesEveryOccurrence) {
    EXPECT_EQ(str(replaceText("axbx", "x", "yy")), "ayybyy");
    EXPECT_EQ(str(replaceText("hello", "z", "y")), "hello");
    EXPECT_EQ(str(replaceText("", "a", "b")), "");
    EXPECT_EQ(str(replaceText("a.b.c", ".", "")), "abc");
    EXPECT_EQ(str(replaceText("xx", "xx", "")), "");
}

TEST(ReplaceText, ShorterReplacementsChain) {
    EXPECT_EQ(str(replaceText("aaaa", "aa", "a")), "a");
    EXPECT_EQ(str(replaceText("a     b  c", "  ", " ")), "a b c");
    // Removing "ab" exposes a new "ab" before the cut: it goes too.
    EXPECT_EQ(str(replaceText("aabb", "ab", "")), "");
    // "abc" by "b" in "aabcc" leaves "abc", built from the byte before the
    // cut, the replacement and the byte after it: the search looks back and
    // takes it too.
    EXPECT_EQ(str(replaceText("aabcc", "abc", "b")), "b");
}

TEST(ReplaceText, EqualLengthsResumeBehindTheReplacement) {
    EXPECT_EQ(str(replaceText("aab", "ab", "ba")), "aba");
    EXPECT_EQ(str(replaceText("aaa", "a", "a")), "aaa");
    EXPECT_EQ(str(replaceText("abab", "ab", "ba")), "baba");
}

TEST(ReplaceText, LongerReplacementsDoNotRunAway) {
    // The replacement holds the needle; the search moves on past it.
    EXPECT_EQ(str(replaceText("aa", "a", "aa")), "aaaa");
    EXPECT_EQ(str(replaceText("ab", "ab", "aab")), "aab");
    std::string many(1000, 'x');
    RtString result = replaceText(many.c_str(), "x", "yz");
    EXPECT_EQ(result.length(), 2000u);
}

TEST(ReplaceText, EmptyNeedleLeavesTheTextAlone) {
    // Found at every position, it would never finish.
    EXPECT_EQ(str(replaceText("abc", "", "x")), "abc");
    EXPECT_EQ(str(replaceText("abc", "", "")), "abc");
}

TEST(CaseChange, OnlyAsciiLettersChange) {
    EXPECT_EQ(str(toUpperText("Hello, World 1@[`{")), "HELLO, WORLD 1@[`{");
    EXPECT_EQ(str(toLowerText("Hello, World 1@[`{")), "hello, world 1@[`{");
    EXPECT_EQ(str(toUpperText("\xe9\xe0\xff")), "\xe9\xe0\xff");
    EXPECT_EQ(str(toLowerText("\xc9\xc0\xdf")), "\xc9\xc0\xdf");
    RtString original("MiXeD");
    RtString lower = toLowerText(original);
    EXPECT_EQ(str(original), "MiXeD");  // a copy, not in place
    EXPECT_EQ(str(lower), "mixed");
}

TEST(CharacterCodes, FirstByteIsSigned) {
    EXPECT_EQ(characterCode("A"), 65);
    EXPECT_EQ(characterCode(RtString("Abc")), 65);
    EXPECT_EQ(characterCode("\xe9t\xe9"), -23);
    EXPECT_EQ(characterCode(RtString("\x80")), -128);
    EXPECT_EQ(characterCode("\xff"), -1);
    EXPECT_EQ(characterCode(""), 0);
    EXPECT_EQ(characterCode(RtString()), 0);
}

TEST(CharacterCodes, TextFromCodeKeepsTheLowByte) {
    EXPECT_EQ(str(textFromCode(65)), "A");
    EXPECT_EQ(str(textFromCode(321)), "A");
    EXPECT_EQ(str(textFromCode(65.9)), "A");
    EXPECT_EQ(str(textFromCode(256)), "");
    EXPECT_EQ(str(textFromCode(0)), "");
    EXPECT_EQ(str(textFromCode(233)), "\xe9");
    EXPECT_EQ(str(textFromCode(-23)), "\xe9");  // two's complement
    EXPECT_EQ(str(textFromCode(65536 + 66)), "B");
    EXPECT_EQ(str(textFromCode(-1)), "\xff");
    EXPECT_EQ(str(textFromCode(kNaN)), "");
    EXPECT_EQ(str(textFromCode(kInf)), "");
    EXPECT_EQ(str(textFromCode(-kInf)), "");
    EXPECT_EQ(str(textFromCode(1e300)), "");  // low byte of a huge even number
    // A code and the code of its text agree for every signed byte.
    for (int code = -128; code < 128; ++code) {
        if (code == 0) continue;
        EXPECT_EQ(characterCode(textFromCode(code)), code);
    }
}

TEST(BytesToHex, TwoUpperCaseDigitsPerByteInMemoryOrder) {
    unsigned char bytes[] = {0x00, 0x01, 0xAB, 0xFF, 0x7F, 0x80};
    EXPECT_EQ(str(bytesToHex(bytes, sizeof bytes)), "0001ABFF7F80");
    EXPECT_EQ(str(bytesToHex(bytes, 0)), "");
    uint32_t word = 0x12345678;  // little-endian memory order
    EXPECT_EQ(str(bytesToHex(&word, 4)), "78563412");
    std::string big(600, '\x5a');
    RtString hex = bytesToHex(big.data(), big.size());
    std::string want;
    for (int i = 0; i < 600; ++i) want += "5A";
    EXPECT_EQ(str(hex), want);  // longer than one 512-byte step
}

TEST(FormatNumber, WidthAndDecimals) {
    EXPECT_EQ(str(formatNumber(8, 2, 3.14159)), "    3.14");
    EXPECT_EQ(str(formatNumber(0, 0, 7.25)), "7");
    EXPECT_EQ(str(formatNumber(-8, 2, 3.14159)), "3.14    ");
    EXPECT_EQ(str(formatNumber(8.9, 2.9, 3.14159)), "    3.14");
    EXPECT_EQ(str(formatNumber(1, 3, -2.5)), "-2.500");
    EXPECT_EQ(str(formatNumber(0, 2, 1e20)), "100000000000000000000.00");  // never an exponent
    EXPECT_EQ(str(formatNumber(5, 1, 0.25)), "  0.2");                     // round half to even
}

TEST(FormatNumber, NegativeOrNaNArgumentsAreZero) {
    EXPECT_EQ(str(formatNumber(0, -2, 3.75)), "4");
    EXPECT_EQ(str(formatNumber(kNaN, kNaN, 3.75)), "4");
    EXPECT_EQ(str(formatNumber(0, -kInf, 3.75)), "4");
}

TEST(FormatNumber, OutputOf512BytesOrMoreIsCutAt511) {
    RtString wide = formatNumber(1000, 0, 1);
    ASSERT_EQ(wide.length(), 511u);
    EXPECT_EQ(str(wide), std::string(511, ' '));
    RtString left = formatNumber(-1000, 0, 1);
    ASSERT_EQ(left.length(), 511u);
    EXPECT_EQ(str(left), "1" + std::string(510, ' '));
    RtString fraction = formatNumber(0, 1e9, 1);
    ASSERT_EQ(fraction.length(), 511u);
    EXPECT_EQ(str(fraction), "1." + std::string(509, '0'));
    RtString huge = formatNumber(kInf, kInf, -1e308);
    ASSERT_EQ(huge.length(), 511u);
    EXPECT_EQ(str(huge).substr(0, 3), "-10");  // longer than any field: no padding
    // 309 digits of 1e308 plus 300 decimals.
    RtString digits = formatNumber(0, 300, 1e308);
    ASSERT_EQ(digits.length(), 511u);
    EXPECT_EQ(digits.cStr()[0], '1');
    EXPECT_EQ(digits.cStr()[309], '.');
    // Exactly at the limit: 511 bytes fit without a cut.
    EXPECT_EQ(formatNumber(511, 0, 1).length(), 511u);
    EXPECT_EQ(str(formatNumber(510, 0, 1)), std::string(509, ' ') + "1");
}

TEST(SplitText, PiecesBetweenRunsOfDelimiters) {
    RtStringArray pieces;
    EXPECT_EQ(splitText(",a,,b c,", ", ", pieces), 3);
    EXPECT_EQ(pieces.dimensionCount(), 1);
    EXPECT_EQ(dimensionSize(pieces, 0), 3);
    EXPECT_EQ(str(elementAt(pieces, 0)), "a");
    EXPECT_EQ(str(elementAt(pieces, 1)), "b");
    EXPECT_EQ(str(elementAt(pieces, 2)), "c");

    EXPECT_EQ(splitText("one two", " ", pieces), 2);
    EXPECT_EQ(str(elementAt(pieces, 0)), "one");
    EXPECT_EQ(str(elementAt(pieces, 1)), "two");
}

TEST(SplitText, EmptyPiecesNeverArise) {
    RtStringArray pieces;
    EXPECT_EQ(splitText(",,,", ",", pieces), 0);
    EXPECT_EQ(pieces.dim1(), 0);
    EXPECT_EQ(splitText("", ",", pieces), 0);
    EXPECT_EQ(splitText("", "", pieces), 0);
    EXPECT_EQ(splitText("a b", "", pieces), 1);
    EXPECT_EQ(str(elementAt(pieces, 0)), "a b");
    EXPECT_EQ(splitText("x", ",", pieces), 1);
    EXPECT_EQ(str(elementAt(pieces, 0)), "x");
    // High bytes work as delimiters and as piece bytes.
    EXPECT_EQ(splitText("a\xff\xe9\xff"
                        "b",
                        "\xff", pieces),
              3);
    EXPECT_EQ(str(elementAt(pieces, 1)), "\xe9");
}

TEST(SplitText, TextMayBeAnElementOfTheTargetArray) {
    RtStringArray pieces;
    dimensionArray(pieces, 1);
    elementAt(pieces, 0) = "left,right";
    EXPECT_EQ(splitText(elementAt(pieces, 0), ",", pieces), 2);
    EXPECT_EQ(str(elementAt(pieces, 0)), "left");
    EXPECT_EQ(str(elementAt(pieces, 1)), "right");
}

TEST(ForwardSlashes, ChangesInPlaceAndGivesTheLength) {
    RtString path("C:\\games\\quill\\bush.png");
    EXPECT_EQ(forwardSlashes(path), 23);
    EXPECT_EQ(str(path), "C:/games/quill/bush.png");
    RtString empty;
    EXPECT_EQ(forwardSlashes(empty), 0);
    RtString plain("a/b");
    EXPECT_EQ(forwardSlashes(plain), 3);
    EXPECT_EQ(str(plain), "a/b");
}

}  // namespace
}  // namespace vorlan
