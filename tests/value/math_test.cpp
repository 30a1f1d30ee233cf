#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include <vorlan/vorlan.h>

namespace vorlan {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(Math, DegreesGoThroughTheDivisionByDegreesPerRadian) {
    EXPECT_EQ(sinDeg(30), 0.49999999999999994);  // 30 / (180/pi), not 30 * (pi/180)
    for (double x : {33.3, -271.0, 1e6}) {
        EXPECT_EQ(cosDeg(x), std::cos(x / kDegreesPerRadian)) << x;
        EXPECT_EQ(tanDeg(x), std::tan(x / kDegreesPerRadian)) << x;
    }
    struct Case {
        double got, want;
    };
    const Case cases[] = {
        {atan2Deg(0, -1), 180}, {atan2Deg(-1, 0), -90}, {asinDeg(1.5), 90},
        {asinDeg(-kInf), -90},  {acosDeg(-2), 180},     {acosDeg(kInf), 0},
    };
    for (const Case& c : cases) EXPECT_EQ(c.got, c.want);
    EXPECT_TRUE(std::signbit(absolute(-0.0)));
}

TEST(Math, IntegerModuloTruncatesAndNeverTraps) {
    struct Case {
        double a, b, want;
    };
    const Case cases[] = {
        {-7, 3, -1},
        {7, -3, 1},
        {-7.9, 2.9, -1},
        {5, 0.5, 0},
        {-2147483648.0, -1, 0},  // the quotient that overflows
        {kNaN, 3, 0},
        {7, kNaN, 0},
        {1e12, 10, 7},
        {-kInf, 10, -8},
        {5, kInf, 5},  // held at the 32-bit ends
    };
    for (const Case& c : cases) EXPECT_EQ(integerModulo(c.a, c.b), c.want) << c.a << " % " << c.b;
}

TEST(Math, BoxesOverlapWithTouchingEdgesAndBackwardSizes) {
    struct Case {
        double x1, y1, w1, h1, x2, y2, w2, h2, want;
    };
    const Case cases[] = {
        {0, 0, 10, 10, 10, 0, 10, 10, 1},   {0, 0, 10, 10, 10.5, 0, 10, 10, 0},
        {0, 0, 10, 10, 0, 10.5, 10, 10, 0}, {2, 2, 3, 3, 0, 0, 10, 10, 1},
        {10, 0, -10, 10, 10, 0, 5, 5, 1},   {10, 0, -10, 10, 10.5, 0, 5, 5, 0},
        {10, 10, -5, -5, 0, 0, 5, 5, 1},    {10, 10, -4, -4, 0, 0, 5, 5, 0},
        {kNaN, 0, 10, 10, 0, 0, 10, 10, 0}, {0, 0, kInf, 10, 1e300, 0, 1, 1, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(boxesOverlap(c.x1, c.y1, c.w1, c.h1, c.x2, c.y2, c.w2, c.h2), c.want)
            << c.x1 << "," << c.y1 << " " << c.w1 << "x" << c.h1 << " / " << c.x2;
    }
}

}  // namespace
}  // namespace vorlan
