#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <utility>

#include <vorlan/vorlan.h>

namespace vorlan {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// Writes a distinct value into every reachable element: 1 + i + 10j + 100k + 1000l.
void fillDistinct(RtNumberArray& a) {
    for (int l = 0; l < std::max(a.dim4(), 1); ++l)
        for (int k = 0; k < std::max(a.dim3(), 1); ++k)
            for (int j = 0; j < std::max(a.dim2(), 1); ++j)
                for (int i = 0; i < a.dim1(); ++i)
                    elementAt(a, i, j, k, l) = 1 + i + 10 * j + 100 * k + 1000 * l;
}

TEST(NumberArrayCapacity, StepsOfEightInlineUpToFifteen) {
    RtNumberArray a;
    for (int n = 1; n <= 40; ++n) {
        dimensionArray(a, 0);  // back to the smallest storage each time
        dimensionArray(a, n);
        EXPECT_EQ(a.capacity(), (n / 8) * 8 + 8) << n;
        EXPECT_GT(a.capacity(), n);
        EXPECT_EQ(a.usesInlineStorage(), n <= 15) << n;
    }
    dimensionArray(a, 10, 10);
    EXPECT_EQ(a.capacity(), 104);
    EXPECT_FALSE(a.usesInlineStorage());
}

TEST(NumberArrayCapacity, TenElementsLiveInline) {
    RtNumberArray a;
    EXPECT_EQ(a.data(), nullptr);
    dimensionArray(a, 10, 0, 0, 0);
    EXPECT_EQ(a.dimensionCount(), 1);
    EXPECT_EQ(a.capacity(), 16);
    EXPECT_TRUE(a.usesInlineStorage());
    for (int i = 0; i < 10; ++i) elementAt(a, i) = i * 1.5;
    for (int i = 0; i < 10; ++i) EXPECT_EQ(elementAt(a, i, 0, 0, 0), i * 1.5);
}

TEST(NumberArrayCapacity, StorageIsKeptWhenShrinkingAndReleasedWhenEmptied) {
    RtNumberArray a;
    dimensionArray(a, 100);
    const double* heap = a.data();
    EXPECT_EQ(a.capacity(), 104);
    dimensionArray(a, 10);
    EXPECT_EQ(a.data(), heap);
    EXPECT_EQ(a.capacity(), 104);
    EXPECT_EQ(a.dim1(), 10);
    dimensionArray(a, 0);
    EXPECT_TRUE(a.usesInlineStorage());
    EXPECT_EQ(a.capacity(), 8);
    EXPECT_EQ(a.dimensionCount(), 0);
    // Growing past the capacity moves to a bigger buffer.
    dimensionArray(a, 20);
    EXPECT_EQ(a.capacity(), 24);
    dimensionArray(a, 200);
    EXPECT_EQ(a.capacity(), 208);
}

TEST(NumberArrayLayout, FirstIndexVariesFastest) {
    RtNumberArray a;
    dimensionArray(a, 5, 3, 0, 0);
    EXPECT_EQ(a.offsetOf(2, 1, 0, 0), 7);
    EXPECT_EQ(&elementAt(a, 2, 1, 0, 0), a.data() + 7);
    EXPECT_EQ(a.stride2(), 5);
    fillDistinct(a);
    // Storage order: (0,0) (1,0) ... (4,0) (0,1) ...
    for (int p = 0; p < 15; ++p) EXPECT_EQ(a.data()[p], 1 + p % 5 + 10 * (p / 5)) << p;

    RtNumberArray b;
    dimensionArray(b, 2, 3, 4, 5);
    EXPECT_EQ(b.dimensionCount(), 4);
    EXPECT_EQ(b.stride2(), 2);
    EXPECT_EQ(b.stride3(), 6);
    EXPECT_EQ(b.stride4(), 24);
    EXPECT_EQ(b.capacity(), 128);
    EXPECT_EQ(b.offsetOf(1, 2, 3, 4), 1 + 2 * 2 + 3 * 6 + 4 * 24);
    fillDistinct(b);
    EXPECT_EQ(b.data()[119], 1 + 1 + 20 + 300 + 4000);
}

TEST(NumberArrayLayout, GridElementXYIsAtYTimesWidthPlusX) {
    // The shape in which cost grids are handed to the path finder.
    RtNumberArray grid;
    dimensionArray(grid, 50, 50);
    elementAt(grid, 7, 3) = 42;
    elementAt(grid, 49, 49) = 43;
    EXPECT_EQ(grid.data()[3 * grid.dim1() + 7], 42);
    EXPECT_EQ(grid.data()[49 * 50 + 49], 43);
    EXPECT_EQ(grid.elementCount(), 2500);
}

TEST(NumberArrayLayout, DimensionCountFollowsTheLastSizeInUse) {
    RtNumberArray a;
    dimensionArray(a, 3);
    EXPECT_EQ(a.dimensionCount(), 1);
    dimensionArray(a, 3, 2);
    EXPECT_EQ(a.dimensionCount(), 2);
    dimensionArray(a, 3, 2, 2);
    EXPECT_EQ(a.dimensionCount(), 3);
    dimensionArray(a, 3, 2, 2, 2);
    EXPECT_EQ(a.dimensionCount(), 4);
    dimensionArray(a, 3, 0, 2, 0);
    EXPECT_EQ(a.dimensionCount(), 3);
}

TEST(NumberArrayLayout, AnUnusedSizeBetweenUsedOnesCountsAsOne) {
    // (3, 0, 2): the third index must not land on the same elements for
    // every value, and every element stays inside the storage.
    RtNumberArray a;
    dimensionArray(a, 3, 0, 2, 0);
    EXPECT_EQ(a.elementCount(), 6);
    elementAt(a, 2, 0, 0) = 1;
    elementAt(a, 2, 0, 1) = 2;
    EXPECT_EQ(elementAt(a, 2, 0, 0), 1);
    EXPECT_EQ(elementAt(a, 2, 0, 1), 2);
    EXPECT_EQ(a.offsetOf(2, 0, 1, 0), 5);
    EXPECT_LT(a.offsetOf(2, 0, 1, 0), a.capacity());
}

TEST(NumberArrayDimensioning, ClearsEveryElementEvenForTheSameShape) {
    RtNumberArray a;
    dimensionArray(a, 4, 4);
    fillDistinct(a);
    dimensionArray(a, 4, 4);
    for (int p = 0; p < a.capacity(); ++p) EXPECT_EQ(a.data()[p], 0) << p;
    RtNumberArray big;
    dimensionArray(big, 30, 30);
    fillDistinct(big);
    dimensionArray(big, 5, 5);  // storage kept: the old values must not show
    for (int p = 0; p < big.capacity(); ++p) ASSERT_EQ(big.data()[p], 0) << p;
}

TEST(NumberArrayDimensioning, FractionalSizesTruncateButCountBeforeTruncation) {
    RtNumberArray a;
    dimensionArray(a, 2.5, 2.5);
    EXPECT_EQ(a.dim1(), 2);
    EXPECT_EQ(a.dim2(), 2);
    EXPECT_EQ(a.capacity(), 8);  // total 6.25 -> 6
    dimensionArray(a, 3.99, 5.99);
    EXPECT_EQ(a.dim1(), 3);
    EXPECT_EQ(a.dim2(), 5);
    EXPECT_EQ(a.capacity(), 24);  // total 23.9 -> 23
    EXPECT_GE(a.capacity(), a.elementCount());
}

TEST(NumberArrayDimensioning, SizesBelowOneAndNaNAreNotInUse) {
    RtNumberArray a;
    dimensionArray(a, 0.5);
    EXPECT_EQ(a.dim1(), 0);
    EXPECT_EQ(a.dimensionCount(), 0);
    EXPECT_EQ(a.elementCount(), 0);
    dimensionArray(a, -5);
    EXPECT_EQ(a.dimensionCount(), 0);
    dimensionArray(a, kNaN);
    EXPECT_EQ(a.dimensionCount(), 0);
    dimensionArray(a, -kInf);
    EXPECT_EQ(a.dimensionCount(), 0);
    // A negative later size must not make every index fail or turn a
    // stride negative.
    dimensionArray(a, 3, -5);
    EXPECT_EQ(a.dim2(), 0);
    EXPECT_EQ(a.dimensionCount(), 1);
    elementAt(a, 2) = 1;
    dimensionArray(a, 3, kNaN, 2);
    EXPECT_EQ(a.dim2(), 0);
    EXPECT_EQ(a.dim3(), 2);
    // An empty array keeps the later sizes it was given, for dimensionSize,
    // even absurd ones, and still has no element.
    dimensionArray(a, 0, 1e300);
    EXPECT_EQ(a.dim1(), 0);
    EXPECT_EQ(dimensionSize(a, 1), 2147483647);
    EXPECT_EQ(a.elementCount(), 0);
    EXPECT_EQ(a.capacity(), 8);
}

TEST(NumberArrayAccess, IndicesAreTruncatedTowardZero) {
    RtNumberArray a;
    dimensionArray(a, 5, 3);
    elementAt(a, 2, 1) = 9;
    EXPECT_EQ(elementAt(a, 2.9, 1.99), 9);
    EXPECT_EQ(elementAt(a, 2.0f, 1.5f), 9);
    EXPECT_EQ(elementAt(a, 2u, 1L), 9);
    elementAt(a, -0.5, -0.9) = 4;  // truncates to (0, 0)
    EXPECT_EQ(elementAt(a, 0, 0), 4);
    const RtNumberArray& view = a;
    EXPECT_EQ(elementAt(view, 2, 1, 0, 0), 9);
}

TEST(NumberArrayAccess, IndexConversionNeverWrapsIntoRange) {
    // Out-of-range numbers must become indices that fail the bounds test,
    // never ones that wrap to a valid element.
    for (double outside : {kNaN, kInf, -kInf, 4294967296.0 + 3, -4294967296.0 + 3, 2147483648.0,
                           -2147483649.0, 1e300}) {
        EXPECT_EQ(ArrayIndex(outside).value(), -1) << outside;
    }
    EXPECT_EQ(ArrayIndex(2147483647.9).value(), 2147483647);
    EXPECT_EQ(ArrayIndex(-2147483648.9).value(), -2147483647 - 1);
    EXPECT_EQ(ArrayIndex(4294967296LL + 3).value(), 2147483647);
    EXPECT_EQ(ArrayIndex(4294967295u).value(), 2147483647);
    EXPECT_EQ(ArrayIndex(-4294967296LL + 3).value(), -2147483647 - 1);
    EXPECT_EQ(ArrayIndex(-0.99).value(), 0);
    EXPECT_EQ(ArrayIndex(7.99).value(), 7);
}

TEST(NumberArrayRedimension, KeepsTheCommonRegion) {
    RtNumberArray a;
    dimensionArray(a, 3, 3);
    fillDistinct(a);
    redimensionArray(a, 5, 2);
    EXPECT_EQ(a.dim1(), 5);
    EXPECT_EQ(a.dim2(), 2);
    for (int j = 0; j < 2; ++j) {
        for (int i = 0; i < 5; ++i) {
            double want = i < 3 ? 1 + i + 10 * j : 0;
            EXPECT_EQ(elementAt(a, i, j), want) << i << "," << j;
        }
    }
    EXPECT_EQ(a.capacity(), 16);
}

TEST(NumberArrayRedimension, UnusedDimensionsKeepIndexZero) {
    RtNumberArray a;
    dimensionArray(a, 4);
    fillDistinct(a);
    redimensionArray(a, 4, 3);  // the old array becomes row 0
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(elementAt(a, i, 0), 1 + i);
        EXPECT_EQ(elementAt(a, i, 1), 0);
    }
    dimensionArray(a, 4, 4);
    fillDistinct(a);
    redimensionArray(a, 2);  // only row 0 survives
    EXPECT_EQ(a.dimensionCount(), 1);
    EXPECT_EQ(elementAt(a, 0), 1);
    EXPECT_EQ(elementAt(a, 1), 2);

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
}

TEST(NumberArrayRedimension, FromAndToEmpty) {
    RtNumberArray a;
    redimensionArray(a, 3);  // never dimensioned: just a fresh array
    EXPECT_EQ(a.dim1(), 3);
    EXPECT_EQ(elementAt(a, 2), 0);
    fillDistinct(a);
    redimensionArray(a, 0);
    EXPECT_EQ(a.dimensionCount(), 0);
    EXPECT_EQ(a.elementCount(), 0);
    redimensionArray(a, 2);
    EXPECT_EQ(elementAt(a, 0), 0);
    // An empty array with a large later size copies nothing out of bounds.
    dimensionArray(a, 0, 100);
    redimensionArray(a, 3, 50);
    EXPECT_EQ(elementAt(a, 2, 49), 0);
    dimensionArray(a, 3, 50);
    fillDistinct(a);
    redimensionArray(a, 0, 100);
    EXPECT_EQ(a.elementCount(), 0);
}

TEST(NumberArrayRedimension, GrowingMovesToTheHeapAndKeepsValues) {
    RtNumberArray a;
    fillArray(a, {1, 2, 3});
    redimensionArray(a, 1000);
    EXPECT_FALSE(a.usesInlineStorage());
    EXPECT_EQ(elementAt(a, 0), 1);
    EXPECT_EQ(elementAt(a, 2), 3);
    EXPECT_EQ(elementAt(a, 999), 0);
    redimensionArray(a, 2);
    EXPECT_TRUE(a.usesInlineStorage());
    EXPECT_EQ(elementAt(a, 1), 2);
}

TEST(NumberArrayAssign, TakesShapeAndElements) {
    RtNumberArray source;
    dimensionArray(source, 6, 7);
    fillDistinct(source);
    RtNumberArray target;
    dimensionArray(target, 200);
    assignArray(target, source);
    EXPECT_EQ(target.dim1(), 6);
    EXPECT_EQ(target.dim2(), 7);
    for (int j = 0; j < 7; ++j)
        for (int i = 0; i < 6; ++i) EXPECT_EQ(elementAt(target, i, j), elementAt(source, i, j));
    elementAt(target, 0, 0) = -1;  // a copy, not shared storage
    EXPECT_EQ(elementAt(source, 0, 0), 1);
    assignArray(target, target);
    EXPECT_EQ(elementAt(target, 0, 0), -1);
    EXPECT_EQ(elementAt(target, 5, 6), elementAt(source, 5, 6));
    RtNumberArray never;
    assignArray(target, never);
    EXPECT_EQ(target.dimensionCount(), 0);
}

TEST(NumberArrayAssign, CopiesAndMovesKeepTheirOwnStorage) {
    RtNumberArray small;
    fillArray(small, {1, 2, 3});
    RtNumberArray copy(small);
    EXPECT_TRUE(copy.usesInlineStorage());
    EXPECT_NE(copy.data(), small.data());
    EXPECT_EQ(elementAt(copy, 2), 3);

    RtNumberArray moved(std::move(small));
    EXPECT_TRUE(moved.usesInlineStorage());  // its own inline storage
    EXPECT_EQ(elementAt(moved, 1), 2);
    EXPECT_EQ(small.data(), nullptr);  // NOLINT: checking the moved-from state
    EXPECT_EQ(small.dimensionCount(), 0);

    RtNumberArray big;
    dimensionArray(big, 100);
    elementAt(big, 99) = 5;
    const double* heap = big.data();
    RtNumberArray taken;
    taken = std::move(big);
    EXPECT_EQ(taken.data(), heap);
    EXPECT_EQ(elementAt(taken, 99), 5);
    RtNumberArray assigned;
    assigned = taken;
    EXPECT_NE(assigned.data(), taken.data());
    EXPECT_EQ(elementAt(assigned, 99), 5);
}

TEST(NumberArrayFill, OneDimensionInOrder) {
    RtNumberArray dx;
    fillArray(dx, {1, 0, -1, 0});
    EXPECT_EQ(dx.dimensionCount(), 1);
    EXPECT_EQ(dx.dim1(), 4);
    EXPECT_EQ(elementAt(dx, 0), 1);
    EXPECT_EQ(elementAt(dx, 2), -1);
    double values[20];
    for (int i = 0; i < 20; ++i) values[i] = i * i;
    fillArray(dx, 20, values);
    EXPECT_EQ(dx.dim1(), 20);
    EXPECT_EQ(elementAt(dx, 19), 361);
    fillArray(dx, 0, values);
    EXPECT_EQ(dx.dimensionCount(), 0);
    fillArray(dx, -3, values);
    EXPECT_EQ(dx.dimensionCount(), 0);
}

TEST(DimensionSize, EachDimensionByTruncatedNumber) {
    RtNumberArray a;
    dimensionArray(a, 5, 4, 3, 2);
    EXPECT_EQ(dimensionSize(a, 0), 5);
    EXPECT_EQ(dimensionSize(a, 1), 4);
    EXPECT_EQ(dimensionSize(a, 2), 3);
    EXPECT_EQ(dimensionSize(a, 3), 2);
    EXPECT_EQ(dimensionSize(a, 3.9), 2);
    EXPECT_EQ(dimensionSize(a, -0.5), 5);
    for (double k : {-1.0, 4.0, 100.0, kNaN, kInf, -kInf, 1e300}) EXPECT_EQ(dimensionSize(a, k), 0);
    RtNumberArray never;
    EXPECT_EQ(dimensionSize(never, 0), 0);
}

TEST(StringArray, CapacityGrowsInStepsOf64) {
    RtStringArray a;
    dimensionArray(a, 10);
    EXPECT_EQ(a.capacity(), 64);
    dimensionArray(a, 63);
    EXPECT_EQ(a.capacity(), 64);
    dimensionArray(a, 64);
    EXPECT_EQ(a.capacity(), 128);
    dimensionArray(a, 10, 10);
    EXPECT_EQ(a.capacity(), 128);  // 100 elements fit: storage kept
    dimensionArray(a, 0);
    EXPECT_EQ(a.capacity(), 64);
    EXPECT_EQ(a.dimensionCount(), 0);
}

TEST(StringArray, DimensioningEmptiesTheTexts) {
    RtStringArray a;
    dimensionArray(a, 3, 2);
    elementAt(a, 2, 1) = "last";
    elementAt(a, 0, 0) = "first";
    EXPECT_EQ(a.offsetOf(2, 1, 0, 0), 5);
    EXPECT_STREQ(a.data()[5].cStr(), "last");
    const RtString* storage = a.data();
    dimensionArray(a, 2);
    EXPECT_EQ(a.data(), storage);  // kept
    EXPECT_EQ(elementAt(a, 0).length(), 0u);
    EXPECT_EQ(a.data()[5].length(), 0u);
}

TEST(StringArray, RedimensionAssignAndSize) {
    RtStringArray a;
    dimensionArray(a, 2, 2);
    elementAt(a, 0, 0) = "a";
    elementAt(a, 1, 0) = "b";
    elementAt(a, 0, 1) = "c";
    elementAt(a, 1, 1) = "d";
    redimensionArray(a, 3, 1);
    EXPECT_EQ(a.dim1(), 3);
    EXPECT_STREQ(elementAt(a, 0).cStr(), "a");
    EXPECT_STREQ(elementAt(a, 1).cStr(), "b");
    EXPECT_STREQ(elementAt(a, 2).cStr(), "");
    EXPECT_EQ(dimensionSize(a, 0), 3);
    EXPECT_EQ(dimensionSize(a, 1), 1);

    RtStringArray b;
    assignArray(b, a);
    elementAt(b, 0) = "changed";
    EXPECT_STREQ(elementAt(a, 0).cStr(), "a");
    EXPECT_STREQ(elementAt(b, 1).cStr(), "b");
    RtStringArray c(b);
    RtStringArray d(std::move(c));
    EXPECT_STREQ(elementAt(d, 0).cStr(), "changed");
    EXPECT_EQ(c.data(), nullptr);  // NOLINT: checking the moved-from state
    assignArray(d, d);
    EXPECT_STREQ(elementAt(d, 1).cStr(), "b");
}

TEST(ArrayStorage, LargeArraysWork) {
    RtNumberArray a;
    dimensionArray(a, 1000, 1000);
    EXPECT_EQ(a.capacity(), 1000008);
    elementAt(a, 999, 999) = 1;
    EXPECT_EQ(a.data()[999999], 1);
    RtStringArray s;
    dimensionArray(s, 300, 300);
    EXPECT_EQ(s.capacity(), 90048);
    elementAt(s, 299, 299) = "end";
    EXPECT_STREQ(s.data()[89999].cStr(), "end");
}

}  // namespace
}  // namespace vorlan
