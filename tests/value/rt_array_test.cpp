#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <utility>

#include <vorlan/vorlan.h>

namespace vorlan {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// A distinct value in every reachable element: 1 + i + 10j + 100k + 1000l.
void fillDistinct(RtNumberArray& a) {
    for (int l = 0; l < std::max(a.dim4(), 1); ++l)
        for (int k = 0; k < std::max(a.dim3(), 1); ++k)
            for (int j = 0; j < std::max(a.dim2(), 1); ++j)
                for (int i = 0; i < a.dim1(); ++i)
                    elementAt(a, i, j, k, l) = 1 + i + 10 * j + 100 * k + 1000 * l;
}

TEST(RtArray, CapacityAndLayout) {
    struct Case {
        double d1, d2, d3, d4;
        int capacity, dimensions, elements;
    };
    const Case cases[] = {
        {15, 0, 0, 0, 16, 1, 15},  {16, 0, 0, 0, 24, 1, 16},      {10, 10, 0, 0, 104, 2, 100},
        {2.5, 2.5, 0, 0, 8, 2, 4}, {3.99, 5.99, 0, 0, 24, 2, 15},  // 23.9 counted, then truncated
        {3, 0, 2, 0, 8, 3, 6},  // an unused size between used ones counts as one
        {3, -5, 0, 0, 8, 1, 3},    {kNaN, 0, 0, 0, 8, 0, 0},      {0, 1e300, 0, 0, 8, 2, 0},
        {2, 3, 4, 5, 128, 4, 120},
    };
    for (const Case& c : cases) {
        RtNumberArray a;
        dimensionArray(a, c.d1, c.d2, c.d3, c.d4);
        SCOPED_TRACE(testing::Message() << c.d1 << "," << c.d2);
        EXPECT_EQ(a.capacity(), c.capacity);
        EXPECT_EQ(a.dimensionCount(), c.dimensions);
        EXPECT_EQ(a.elementCount(), c.elements);
    }
    RtNumberArray b;
    dimensionArray(b, 2, 3, 4, 5);
    fillDistinct(b);  // first index fastest
    EXPECT_EQ(b.data()[1 + 2 * 2 + 3 * 6 + 4 * 24], 1 + 1 + 20 + 300 + 4000);
    RtNumberArray gap;
    dimensionArray(gap, 3, 0, 2);
    elementAt(gap, 2, 0, 1) = 5;
    EXPECT_EQ(elementAt(gap, 2, 0, 0), 0);
    EXPECT_EQ(dimensionSize(gap, 1), 0);
    for (double k : {-1.0, 4.0, kNaN, -kInf}) EXPECT_EQ(dimensionSize(b, k), 0);
    EXPECT_EQ(dimensionSize(b, 3.9), 5);
}

TEST(RtArray, IndicesTruncateAndNeverWrapIntoRange) {
    for (double outside : {kNaN, kInf, -kInf, 4294967296.0 + 3, 2147483648.0, -2147483649.0}) {
        EXPECT_EQ(ArrayIndex(outside).value(), -1) << outside;
    }
    EXPECT_EQ(ArrayIndex(4294967296LL + 3).value(), 2147483647);
    EXPECT_EQ(ArrayIndex(-0.99).value(), 0);
    RtNumberArray a;
    dimensionArray(a, 5, 3);
    elementAt(a, 2.9, 1.99) = 9;
    EXPECT_EQ(a.data()[2 + 1 * 5], 9);
}

TEST(RtArray, DimensioningClearsRedimensioningKeepsTheCommonRegion) {
    RtNumberArray a;
    dimensionArray(a, 30, 30);
    fillDistinct(a);
    dimensionArray(a, 5, 5);  // storage kept: old values must not show
    for (int p = 0; p < a.capacity(); ++p) ASSERT_EQ(a.data()[p], 0) << p;

    dimensionArray(a, 2, 3, 4, 5);
    fillDistinct(a);
    redimensionArray(a, 3, 2, 5, 4);
    for (int l = 0; l < 4; ++l)
        for (int k = 0; k < 5; ++k)
            for (int j = 0; j < 2; ++j)
                for (int i = 0; i < 3; ++i) {
                    double want = i < 2 && k < 4 ? 1 + i + 10 * j + 100 * k + 1000 * l : 0;
                    ASSERT_EQ(elementAt(a, i, j, k, l), want) << i << j << k << l;
                }
    dimensionArray(a, 4);
    fillDistinct(a);
    redimensionArray(a, 4, 3);  // the old array becomes row 0
    EXPECT_EQ(elementAt(a, 3, 0), 4);
    EXPECT_EQ(elementAt(a, 3, 1), 0);
    dimensionArray(a, 0, 100);  // empty with a large later size: nothing to copy
    redimensionArray(a, 3, 50);
    EXPECT_EQ(elementAt(a, 2, 49), 0);
}

TEST(RtArray, AssignmentCopiesAndTextArraysFollowTheSameRules) {
    RtNumberArray source, target;
    dimensionArray(source, 6, 7);
    fillDistinct(source);
    assignArray(target, source);
    elementAt(target, 0, 0) = -1;  // a copy, not shared storage
    EXPECT_EQ(elementAt(source, 0, 0), 1);
    assignArray(target, target);
    EXPECT_EQ(elementAt(target, 5, 6), elementAt(source, 5, 6));
    fillArray(target, {1, 0, -1});
    EXPECT_EQ(target.dim1(), 3);
    EXPECT_EQ(elementAt(target, 2), -1);

    RtStringArray texts;
    dimensionArray(texts, 10);
    EXPECT_EQ(texts.capacity(), 64);
    dimensionArray(texts, 2, 2);
    elementAt(texts, 1, 0) = "b";
    elementAt(texts, 1, 1) = "d";
    redimensionArray(texts, 3, 1);
    EXPECT_STREQ(elementAt(texts, 1).cStr(), "b");
    RtStringArray copy;
    assignArray(copy, texts);
    elementAt(copy, 1) = "changed";
    EXPECT_STREQ(elementAt(texts, 1).cStr(), "b");
    dimensionArray(texts, 64);
    EXPECT_EQ(texts.capacity(), 128);
    EXPECT_EQ(elementAt(texts, 1).length(), 0u);
}

}  // namespace
}  // namespace vorlan
