#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include <vorlan/vorlan.h>

namespace vorlan {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(DegreeTrigonometry, RightAnglesAndHalfTurns) {
    EXPECT_DOUBLE_EQ(sinDeg(90), 1);
    EXPECT_DOUBLE_EQ(cosDeg(180), -1);
    EXPECT_DOUBLE_EQ(sinDeg(30), 0.49999999999999994);  // 30 / (180/pi), not 30 * (pi/180)
    EXPECT_NEAR(tanDeg(45), 1, 1e-15);
    EXPECT_DOUBLE_EQ(atan2Deg(1, 0), 90);
    EXPECT_DOUBLE_EQ(atan2Deg(0, -1), 180);
    EXPECT_DOUBLE_EQ(atan2Deg(-1, 0), -90);
    EXPECT_DOUBLE_EQ(atan2Deg(1, 1), 45);
    EXPECT_DOUBLE_EQ(asinDeg(0.5), std::asin(0.5) * kDegreesPerRadian);
    EXPECT_DOUBLE_EQ(acosDeg(0.5), std::acos(0.5) * kDegreesPerRadian);
}

TEST(DegreeTrigonometry, ConversionUsesTheDivisionByDegreesPerRadian) {
    EXPECT_EQ(kDegreesPerRadian, 180.0 / 3.14159265358979323846);
    for (double x : {1.0, 33.3, 123.456, -271.0, 1e6}) {
        EXPECT_EQ(sinDeg(x), std::sin(x / kDegreesPerRadian)) << x;
        EXPECT_EQ(cosDeg(x), std::cos(x / kDegreesPerRadian)) << x;
        EXPECT_EQ(tanDeg(x), std::tan(x / kDegreesPerRadian)) << x;
    }
}

TEST(DegreeTrigonometry, ArcFunctionsHoldOutOfRangeRatios) {
    EXPECT_EQ(asinDeg(1.5), 90);
    EXPECT_EQ(asinDeg(1), 90);
    EXPECT_EQ(asinDeg(-1), -90);
    EXPECT_EQ(asinDeg(-kInf), -90);
    EXPECT_EQ(acosDeg(-2), 180);
    EXPECT_EQ(acosDeg(-1), 180);
    EXPECT_EQ(acosDeg(1), 0);
    EXPECT_EQ(acosDeg(kInf), 0);
    EXPECT_TRUE(std::isnan(asinDeg(kNaN)));
}

TEST(PowersAndRoots, AsTheStandardLibrary) {
    EXPECT_EQ(power(2, 10), 1024);
    EXPECT_EQ(power(9, 0.5), 3);
    EXPECT_EQ(power(2, -1), 0.5);
    EXPECT_EQ(power(0, 0), 1);
    EXPECT_TRUE(std::isnan(power(-8, 1.0 / 3)));
    EXPECT_EQ(squareRoot(16), 4);
    EXPECT_EQ(squareRoot(2), std::sqrt(2.0));
    EXPECT_TRUE(std::isnan(squareRoot(-1)));
}

TEST(Absolute, NegativeZeroStaysNegative) {
    EXPECT_EQ(absolute(-3.5), 3.5);
    EXPECT_EQ(absolute(3.5), 3.5);
    EXPECT_EQ(absolute(-kInf), kInf);
    double zero = absolute(-0.0);
    EXPECT_EQ(zero, 0.0);
    EXPECT_TRUE(std::signbit(zero));
}

TEST(IntegerModulo, TruncatesBothOperandsAndKeepsTheDividendsSign) {
    EXPECT_EQ(integerModulo(7, 3), 1);
    EXPECT_EQ(integerModulo(-7, 3), -1);
    EXPECT_EQ(integerModulo(7, -3), 1);
    EXPECT_EQ(integerModulo(-7, -3), -1);
    EXPECT_EQ(integerModulo(7.9, 2.2), 1);
    EXPECT_EQ(integerModulo(-7.9, 2.9), -1);
    EXPECT_EQ(integerModulo(6, 3), 0);
}

TEST(IntegerModulo, ZeroDivisorsAndTheOverflowingQuotientGiveZero) {
    EXPECT_EQ(integerModulo(5, 0), 0);
    EXPECT_EQ(integerModulo(5, 0.5), 0);
    EXPECT_EQ(integerModulo(5, -0.9), 0);
    EXPECT_EQ(integerModulo(-2147483648.0, -1), 0);
    EXPECT_EQ(integerModulo(-2147483648.0, 3), -2);
    EXPECT_EQ(integerModulo(kNaN, 3), 0);
    EXPECT_EQ(integerModulo(7, kNaN), 0);
    // Beyond the 32-bit range the operands are held at its ends.
    EXPECT_EQ(integerModulo(1e12, 10), 7);    // 2147483647 mod 10
    EXPECT_EQ(integerModulo(-kInf, 10), -8);  // -2147483648 mod 10
    EXPECT_EQ(integerModulo(5, kInf), 5);
}

TEST(BoxesOverlap, TouchingEdgesOverlap) {
    EXPECT_EQ(boxesOverlap(0, 0, 10, 10, 10, 0, 10, 10), 1.0);
    EXPECT_EQ(boxesOverlap(0, 0, 10, 10, 10.5, 0, 10, 10), 0.0);
    EXPECT_EQ(boxesOverlap(0, 0, 10, 10, 0, 10, 10, 10), 1.0);
    EXPECT_EQ(boxesOverlap(0, 0, 10, 10, 0, 10.5, 10, 10), 0.0);
    EXPECT_EQ(boxesOverlap(0, 0, 10, 10, 2, 2, 3, 3), 1.0);  // inside
    EXPECT_EQ(boxesOverlap(2, 2, 3, 3, 0, 0, 10, 10), 1.0);
    EXPECT_EQ(boxesOverlap(0, 0, 0, 0, 0, 0, 0, 0), 1.0);  // two points at one place
    // Apart on one axis only is no overlap.
    EXPECT_EQ(boxesOverlap(0, 0, 10, 10, 5, 20, 10, 10), 0.0);
}

TEST(BoxesOverlap, NegativeSizesSpanBackwards) {
    // Width -10 at x = 10 is the box of width 10 at x = 0.
    for (double x2 : {-15.0, -10.0, -5.0, 5.0, 10.0, 10.5, 20.0}) {
        EXPECT_EQ(boxesOverlap(10, 0, -10, 10, x2, 0, 5, 5),
                  boxesOverlap(0, 0, 10, 10, x2, 0, 5, 5))
            << x2;
        EXPECT_EQ(boxesOverlap(x2, 0, 5, 5, 0, 10, 10, -10),
                  boxesOverlap(x2, 0, 5, 5, 0, 0, 10, 10))
            << x2;
    }
    EXPECT_EQ(boxesOverlap(10, 10, -5, -5, 0, 0, 5, 5), 1.0);
    EXPECT_EQ(boxesOverlap(10, 10, -4, -4, 0, 0, 5, 5), 0.0);
}

TEST(BoxesOverlap, NaNLiesNowhere) {
    EXPECT_EQ(boxesOverlap(kNaN, 0, 10, 10, 0, 0, 10, 10), 0.0);
    EXPECT_EQ(boxesOverlap(0, 0, 10, 10, 0, 0, kNaN, 10), 0.0);
    EXPECT_EQ(boxesOverlap(0, 0, kInf, 10, 1e300, 0, 1, 1), 1.0);
}

}  // namespace
}  // namespace vorlan
