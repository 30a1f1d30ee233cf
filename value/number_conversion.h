// Conversions of the runtime's doubles to integers that never leave the
// target range: the result of a plain cast is undefined for NaN and for
// numbers beyond the range.
#pragma once

#include <cstdint>

namespace vorlan {

// Truncates toward zero; NaN gives 0, numbers beyond the range the nearest
// end of it.
inline int32_t truncateToInt32(double value) {
    if (!(value == value)) return 0;
    if (value >= 2147483647.0) return INT32_MAX;
    if (value <= -2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(value);
}

// Truncates toward zero; NaN and numbers beyond the 64-bit range give 0.
inline int64_t truncateToInt64OrZero(double value) {
    if (value >= -9223372036854775808.0 && value < 9223372036854775808.0) {
        return static_cast<int64_t>(value);
    }
    return 0;
}

// The runtime's truth of a number: anything but 0, NaN included.
inline bool truthOf(double value) {
    return value != 0 || value != value;
}

}  // namespace vorlan
