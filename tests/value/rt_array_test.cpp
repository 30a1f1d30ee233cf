// Arrays: sizes, layout, indices, redimensioning, copies, text arrays; and
// errors 9 (bad index) and 7 (no storage), which end the program.
#include <gtest/gtest.h>

#include <cmath>

#include <vorlan/vorlan.h>

#include "support/fatal_cases.h"

namespace vorlan {
namespace {

constexpr double kNaN = NAN, kInf = INFINITY;

// Gives every element the distinct value 1 + i + 10j + 100k + 1000l or,
// with `kept`, checks it holds that value where kept and 0 elsewhere.
void distinct(RtNumberArray& a, bool (*kept)(int, int, int, int) = nullptr) {
    for (int l = 0; l < std::max(a.dim4(), 1); ++l)
        for (int k = 0; k < std::max(a.dim3(), 1); ++k)
            for (int j = 0; j < std::max(a.dim2(), 1); ++j)
                for (int i = 0; i < a.dim1(); ++i) {
                    const double value = 1 + i + 10 * j + 100 * k + 1000 * l;
                    double& element = elementAt(a, i, j, k, l);
                    if (!kept) element = value;
                    ASSERT_EQ(element, !kept || kept(i, j, k, l) ? value : 0) << i << j << k << l;
                }
}

// A size below 1 is not in use; between used ones it counts as one.
TEST(RtArray, SizesLayoutIndicesRedimensioningAndCopies) {
    const double cases[][6] = {
        {15, 0, 0, 0, 1, 15},      {10, 10, 0, 0, 2, 100}, {2.5, 2.5, 0, 0, 2, 4},
        {3.99, 5.99, 0, 0, 2, 15}, {3, -5, 0, 0, 1, 3},    {kNaN, 0, 0, 0, 0, 0},
        {0, 1e300, 0, 0, 2, 0},    {2, 3, 4, 5, 4, 120},   {3, 0, 2, 0, 3, 6}};
    for (const auto& c : cases) {
        RtNumberArray a;
        dimensionArray(a, c[0], c[1], c[2], c[3]);
        EXPECT_EQ(a.dimensionCount(), c[4]) << c[0] << "," << c[1];
        EXPECT_EQ(a.elementCount(), c[5]) << c[0] << "," << c[1];
    }
    RtNumberArray b, gap;
    dimensionArray(b, 2, 3, 4, 5);
    distinct(b);  // first index fastest
    EXPECT_EQ(b.data()[1 + 2 * 2 + 3 * 6 + 4 * 24], 1 + 1 + 20 + 300 + 4000);
    for (double k : {-1.0, 4.0, kNaN, -kInf}) EXPECT_EQ(dimensionSize(b, k), 0);
    EXPECT_EQ(dimensionSize(b, 3.9), 5);
    dimensionArray(gap, 3, 0, 2);
    elementAt(gap, 2, 0, 1) = 5;
    EXPECT_EQ(elementAt(gap, 2, 0, 0), 0);
    EXPECT_EQ(dimensionSize(gap, 1), 0);
    // Indices truncate toward zero and never wrap into range.
    for (double outside : {kNaN, kInf, -kInf, 4294967296.0 + 3, 2147483648.0, -2147483649.0})
        EXPECT_EQ(ArrayIndex(outside).value(), -1) << outside;
    EXPECT_EQ(ArrayIndex(4294967296LL + 3).value(), 2147483647);
    dimensionArray(b, 5, 3);
    elementAt(b, 2.9, 1.99) = 9;
    elementAt(b, -0.99, 0) = 7;
    EXPECT_EQ(b.data()[2 + 1 * 5], 9);
    EXPECT_EQ(b.data()[0], 7);
    RtNumberArray a;
    dimensionArray(a, 30, 30);
    distinct(a);
    dimensionArray(a, 5, 5);  // storage kept: old values must not show
    distinct(a, [](int, int, int, int) { return false; });
    dimensionArray(a, 2, 3, 4, 5);
    distinct(a);
    redimensionArray(a, 3, 2, 5, 4);
    distinct(a, [](int i, int, int k, int) { return i < 2 && k < 4; });
    dimensionArray(a, 4);
    distinct(a);
    redimensionArray(a, 4, 3);  // the old array becomes row 0
    distinct(a, [](int, int j, int, int) { return j == 0; });
    dimensionArray(a, 0, 100);  // empty with a large later size: nothing to copy
    redimensionArray(a, 3, 50);
    EXPECT_EQ(elementAt(a, 2, 49), 0);
    RtNumberArray source, target;
    dimensionArray(source, 6, 7);
    distinct(source);
    assignArray(target, source);
    elementAt(target, 0, 0) = -1;  // a copy, not shared storage
    EXPECT_EQ(elementAt(source, 0, 0), 1);
    assignArray(target, target);
    EXPECT_EQ(elementAt(target, 5, 6), elementAt(source, 5, 6));
    fillArray(target, {1, 0, -1});
    EXPECT_EQ(target.dim1(), 3);
    EXPECT_EQ(elementAt(target, 2), -1);
    RtStringArray texts, copy;  // text arrays by the same rules
    dimensionArray(texts, 2, 2);
    elementAt(texts, 1, 0) = "b";
    elementAt(texts, 1, 1) = "d";
    redimensionArray(texts, 3, 1);
    EXPECT_STREQ(elementAt(texts, 1).cStr(), "b");
    assignArray(copy, texts);
    elementAt(copy, 1) = "changed";
    EXPECT_STREQ(elementAt(texts, 1).cStr(), "b");
    dimensionArray(texts, 64);
    EXPECT_EQ(elementAt(texts, 1).length(), 0u);
}

volatile double sink;  // keeps the failing reads

// Dimensions a new array unless `size` is empty (a fifth size redimensions
// it), then reads the element at `at`, if any (a text's length).
template <typename Array = RtNumberArray>
void readAt(std::vector<double> size, std::vector<double> at = {}) {
    Array a;
    if (!size.empty()) {
        size.resize(5);
        dimensionArray(a, size[0], size[1], size[2], size[3]);
        if (size[4]) redimensionArray(a, size[4]);
    }
    if (at.empty()) return;
    at.resize(4);
    if constexpr (std::is_same_v<Array, RtStringArray>) {
        sink = elementAt(a, at[0], at[1], at[2], at[3]).length();
    } else {
        sink = elementAt(a, at[0], at[1], at[2], at[3]);
    }
}

// clang-format off
const test::FatalCases kArrayErrors("ArrayErrors", {
    {"one past the end", 9, "elementAt", [] { readAt({10}, {10}); }},
    {"negative", 9, "elementAt", [] { readAt({10}, {-1}); }},
    {"never dimensioned", 9, "elementAt", [] { readAt({}, {0}); }},
    {"unused dimension", 9, "elementAt", [] { readAt({10}, {0, 1}); }},
    {"second index past its size", 9, "elementAt", [] { readAt({5, 3}, {0, 3}); }},
    {"NaN", 9, "elementAt", [] { readAt({10}, {kNaN}); }},
    {"wraps to 1", 9, "elementAt", [] { readAt({10}, {4294967297.0}); }},
    {"text index", 9, "elementAt", [] { readAt<RtStringArray>({3}, {3}); }},
    {"2^32 wraps to 0", 7, "dimensionArray", [] { readAt({65536, 65536}); }},
    {"capacity past 32 bits", 7, "dimensionArray", [] { readAt({2147483647}); }},
    {"infinite size", 7, "dimensionArray", [] { readAt({10, kInf}); }},
    {"four sizes overflow together", 7, "dimensionArray", [] { readAt({300, 300, 300, 300}); }},
    {"text count", 7, "dimensionArray", [] { readAt<RtStringArray>({100000, 100000}); }},
    {"redimension", 7, "dimensionArray", [] { readAt({10, 0, 0, 0, 1e10}); }},
    {"no memory", 7, "dimensionArray", [] { readAt({100000000}); }, "", true, true},
    {"no text memory", 7, "dimensionArray", [] { readAt<RtStringArray>({100000000}); }, "", true,
     true},
    {"outside debug mode: no report", 9, "elementAt", [] { readAt({10}, {10}); }, "", false}});
// clang-format on

TEST(ArrayErrors, EndTheProgramWithTheirNumber) {
    kArrayErrors.check();
}

}  // namespace
}  // namespace vorlan
