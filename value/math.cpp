#include <cmath>
#include <initializer_list>

#include <vorlan/value.h>

#include "value/number_conversion.h"

namespace vorlan {

double sinDeg(double degrees) {
    return std::sin(degrees / kDegreesPerRadian);
}

double cosDeg(double degrees) {
    return std::cos(degrees / kDegreesPerRadian);
}

double tanDeg(double degrees) {
    return std::tan(degrees / kDegreesPerRadian);
}

double asinDeg(double x) {
    if (x >= 1) return 90;
    if (x <= -1) return -90;
    return std::asin(x) * kDegreesPerRadian;
}

double acosDeg(double x) {
    if (x >= 1) return 0;
    if (x <= -1) return 180;
    return std::acos(x) * kDegreesPerRadian;
}

double atan2Deg(double y, double x) {
    return std::atan2(y, x) * kDegreesPerRadian;
}

double power(double x, double y) {
    return std::pow(x, y);
}

double squareRoot(double x) {
    return std::sqrt(x);
}

double absolute(double x) {
    return x >= 0 ? x : -x;
}

double integerModulo(double x, double y) {
    int32_t dividend = truncateToInt32(x);
    int32_t divisor = truncateToInt32(y);
    // Any number modulo -1 is 0; answering it here also keeps the smallest
    // integer divided by -1 from overflowing.
    if (divisor == 0 || divisor == -1) return 0;
    return static_cast<double>(dividend % divisor);
}

double boxesOverlap(double x1, double y1, double w1, double h1, double x2, double y2, double w2,
                    double h2) {
    // A box with a NaN corner or size lies nowhere.
    for (double v : {x1, y1, w1, h1, x2, y2, w2, h2}) {
        if (std::isnan(v)) return 0.0;
    }
    double left1 = std::fmin(x1, x1 + w1), right1 = std::fmax(x1, x1 + w1);
    double top1 = std::fmin(y1, y1 + h1), bottom1 = std::fmax(y1, y1 + h1);
    double left2 = std::fmin(x2, x2 + w2), right2 = std::fmax(x2, x2 + w2);
    double top2 = std::fmin(y2, y2 + h2), bottom2 = std::fmax(y2, y2 + h2);
    bool across = std::fmax(left1, left2) <= std::fmin(right1, right2);
    bool down = std::fmax(top1, top2) <= std::fmin(bottom1, bottom2);
    return across && down ? 1.0 : 0.0;
}

}  // namespace vorlan
