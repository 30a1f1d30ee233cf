// Arrays: the sizes in use, first index fastest, truncated indices,
// clearing and redimensioning, copies; text arrays by the same rules.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include <vorlan/vorlan.h>

namespace vorlan {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

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
TEST(RtArray, SizesLayoutAndIndices) {
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
    for (double outside : {kNaN, kInf, -kInf, 4294967296.0 + 3, 2147483648.0, -2147483649.0}) {
        EXPECT_EQ(ArrayIndex(outside).value(), -1) << outside;
    }
    EXPECT_EQ(ArrayIndex(4294967296LL + 3).value(), 2147483647);
    dimensionArray(b, 5, 3);
    elementAt(b, 2.9, 1.99) = 9;
    elementAt(b, -0.99, 0) = 7;
    EXPECT_EQ(b.data()[2 + 1 * 5], 9);
    EXPECT_EQ(b.data()[0], 7);
}

TEST(RtArray, DimensioningClearsRedimensioningKeepsTheCommonRegion) {
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
}

TEST(RtArray, AssignmentCopiesAndTextArraysFollowTheSameRules) {
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

    RtStringArray texts, copy;
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

}  // namespace
}  // namespace vorlan
