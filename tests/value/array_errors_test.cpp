// Runtime errors 9 (bad index) and 7 (no storage) end the program, each in
// a child process of its own.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include <vorlan/vorlan.h>

#include "support/fatal_cases.h"

namespace vorlan {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
volatile double sink;  // keeps the failing reads

// Dimensions a new array (a text array gives its element's length), then
// reads the element at `at` when there is one.
template <typename Array = RtNumberArray>
void readAt(std::vector<double> size, std::vector<double> at = {}) {
    Array a;
    size.resize(4);
    dimensionArray(a, size[0], size[1], size[2], size[3]);
    if (at.empty()) return;
    at.resize(4);
    if constexpr (std::is_same_v<Array, RtStringArray>) {
        sink = elementAt(a, at[0], at[1], at[2], at[3]).length();
    } else {
        sink = elementAt(a, at[0], at[1], at[2], at[3]);
    }
}

const test::FatalCases kArrayErrors(
    "ArrayErrors",
    {
        {"one past the end", 9, "elementAt", [] { readAt({10}, {10}); }},
        {"negative", 9, "elementAt", [] { readAt({10}, {-1}); }},
        {"never dimensioned", 9, "elementAt", [] { sink = elementAt(RtNumberArray(), 0); }},
        {"unused dimension", 9, "elementAt",
         [] {
             readAt({10}, {0, 1});
         }},
        {"second index past its size", 9, "elementAt",
         [] {
             readAt({5, 3}, {0, 3});
         }},
        {"NaN", 9, "elementAt", [] { readAt({10}, {kNaN}); }},
        {"wraps to 1", 9, "elementAt", [] { readAt({10}, {4294967297.0}); }},
        {"text index", 9, "elementAt", [] { readAt<RtStringArray>({3}, {3}); }},
        {"2^32 wraps to 0", 7, "dimensionArray",
         [] {
             readAt({65536, 65536});
         }},
        {"capacity past 32 bits", 7, "dimensionArray", [] { readAt({2147483647}); }},
        {"infinite size", 7, "dimensionArray",
         [] {
             readAt({10, kInf});
         }},
        {"four sizes overflow together", 7, "dimensionArray",
         [] {
             readAt({300, 300, 300, 300});
         }},
        {"text count", 7, "dimensionArray",
         [] {
             readAt<RtStringArray>({100000, 100000});
         }},
        {"redimension", 7, "dimensionArray",
         [] {
             RtNumberArray a;
             dimensionArray(a, 10);
             redimensionArray(a, 1e10);
         }},
        {"no memory", 7, "dimensionArray", [] { readAt({100000000}); }, "", true, true},
        {"no text memory", 7, "dimensionArray", [] { readAt<RtStringArray>({100000000}); }, "",
         true, true},
        {"outside debug mode: no report", 9, "elementAt", [] { readAt({10}, {10}); }, "", false},
    });

TEST(ArrayErrors, EndTheProgramWithTheirNumber) {
    kArrayErrors.check();
}

}  // namespace
}  // namespace vorlan
