// Text functions, number formatting, math in degrees and the random
// generator. Positions, counts and lengths are doubles (0-based byte
// offsets); where an integer is needed a number is truncated toward zero.
// None of these operations reports an error: out-of-range requests give an
// empty text, -1 or 0.
#pragma once

#include <cstddef>
#include <cstdint>

#include <vorlan/rt_array.h>
#include <vorlan/rt_string.h>

namespace vorlan {

// --- Text ----------------------------------------------------------------

// Length in bytes.
double textLength(const RtString& text);
double textLength(const char* text);
// Length of the text numberToText gives for the value.
double numberTextLength(double value);

// Position of the first occurrence of needle in haystack (case matters), or
// -1. An empty needle is found at 0, even in an empty haystack.
double findText(const RtString& haystack, const RtString& needle);
double findText(const RtString& haystack, const char* needle);
double findText(const char* haystack, const RtString& needle);
double findText(const char* haystack, const char* needle);

// The piece of at most count bytes from position start. With len the
// text's length: when trunc(start + count) > len, count becomes len - start;
// then a count above 0 and 0 <= start <= len give the bytes from trunc(start)
// on, cut at trunc(count) bytes; anything else (a negative or NaN count or
// start, a start beyond the end) gives an empty text.
RtString midText(const RtString& text, double start, double count);

// Replaces needle by replacement and returns the result. After a
// replacement of equal length the search goes on behind it; otherwise it
// goes on at (position + replacement length - needle length + 1), at least
// 0, so a shorter replacement chains: "aa" by "a" in "aaaa" gives "a", and
// two blanks by one collapse any run of blanks. Works on its own copy of the
// text. An empty needle leaves the text unchanged.
RtString replaceText(RtString text, const RtString& needle, const RtString& replacement);

// A copy with A-Z turned into a-z; other bytes unchanged.
RtString toLowerText(const RtString& text);
// A copy with a-z turned into A-Z; other bytes unchanged.
RtString toUpperText(const RtString& text);

// The first byte as a signed 8-bit value (bytes 128-255 give -128 to -1);
// 0 for an empty text.
double characterCode(const RtString& text);
double characterCode(const char* text);
// A one-byte text of the low 8 bits of the code truncated toward zero; a
// low byte of 0 (and NaN or an infinite code) gives an empty text.
RtString textFromCode(double code);

// 2 * count upper-case hexadecimal digits, high nibble first, in memory
// order.
RtString bytesToHex(const void* bytes, size_t count);

// The value printed as by printf("%*.*f", width, decimals, value): right-
// aligned in a field of at least width characters (left-aligned when width
// is negative), with that many decimals and no exponent. A negative or NaN
// decimals count is 0; a NaN width is 0. The printed text is cut at 511
// bytes, so a width or a count of decimals that would print more gives the
// first 511 bytes.
RtString formatNumber(double width, double decimals, double value);

// Fills pieces (dimensioned as one dimension) with the runs of bytes between
// delimiter bytes; every byte of delimiters is a delimiter and empty pieces
// never arise. Gives the number of pieces: 0 for an empty text or one of
// delimiters only; the whole text as one piece when delimiters is empty.
double splitText(const RtString& text, const RtString& delimiters, RtStringArray& pieces);

// Turns every "\" of the text into "/" in place; gives the length.
double forwardSlashes(RtString& text);

// --- Math ------------------------------------------------------------------

// The double nearest 180 / pi. Angles are converted by dividing by it (for
// arguments) or multiplying by it (for results).
inline constexpr double kDegreesPerRadian = 57.29577951308232;

double sinDeg(double degrees);  // the sine of an angle in degrees
double cosDeg(double degrees);  // the cosine of an angle in degrees
double tanDeg(double degrees);  // the tangent of an angle in degrees
// 90 for x >= 1, -90 for x <= -1, else the arc sine in degrees.
double asinDeg(double x);
// 0 for x >= 1, 180 for x <= -1, else the arc cosine in degrees.
double acosDeg(double x);
// The angle of (x, y) in degrees, -180 to 180.
double atan2Deg(double y, double x);

// x to the power y, as pow.
double power(double x, double y);
// The square root; a negative argument gives NaN.
double squareRoot(double x);
// x when x >= 0 (so -0.0 stays -0.0), otherwise -x.
double absolute(double x);
// Both operands truncated toward zero to 32-bit integers (NaN as 0, numbers
// beyond the range held at its ends); the remainder with the sign of the
// dividend: -7 mod 3 is -1, 7 mod -3 is 1. A divisor that truncates to 0
// gives 0, and so does the smallest 32-bit integer divided by -1.
double integerModulo(double x, double y);
// 1.0 when the two rectangles (corner and size, negative sizes allowed)
// overlap or touch, else 0.0 (also when any argument is NaN).
double boxesOverlap(double x1, double y1, double w1, double h1, double x2, double y2, double w2,
                    double h2);

// --- Random numbers ----------------------------------------------------------

// Resets the generator and seeds it. Start-up seeds it once with the clock
// in milliseconds. The seeding folds in the words of the previous draw, so
// the same seed repeats a sequence only from the same starting state (for
// instance the first seeding of a process).
void seedGenerator(uint32_t seed);
// A whole number from 0 to max inclusive (max truncated toward zero through
// a 64-bit integer, taken modulo 2^32): each draw runs one generator pass
// and uses its first word r, giving r mod (max + 1). A max of 0 always gives
// 0 and 3.9 behaves as 3; NaN and numbers beyond the 64-bit range behave as
// 0. A max whose low 32 bits are all ones (-1, 4294967295, ...) would make
// that modulus 0; it gives the whole word r, 0 to 4294967295, which is
// r mod 2^32, the value the modulus stands for.
double randomUpTo(double max);

}  // namespace vorlan
