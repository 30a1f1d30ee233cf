// RtNumberArray and RtStringArray: arrays of doubles and of texts with one
// to four dimensions, addressed by whole-number indices from 0. The first
// index varies fastest: element (i, j, k, l) lies at storage position
// i + j * stride2() + k * stride3() + l * stride4().
//
// Every access is bounds-tested. A bad index is runtime error 9 and storage
// that cannot be had (including sizes whose element count does not fit a
// 32-bit count) is runtime error 7; both end the program through endProgram
// and never return to the caller.
//
// Sizes and indices may be any number a game holds: they are truncated
// toward zero, and NaN, infinities, huge and negative values never reach
// memory outside the storage.
#pragma once

#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <type_traits>

#include <vorlan/rt_string.h>

namespace vorlan {

// An index as the game passes it: integers are taken as they are (held
// within the 32-bit range), floating-point numbers are truncated toward zero.
// NaN and numbers beyond the 32-bit range become a negative index or the
// 32-bit maximum, indices that no array has, so the access is runtime error 9
// rather than undefined.
class ArrayIndex {
  public:
    template <std::integral T>
    constexpr ArrayIndex(T value) noexcept  // NOLINT: implicit on purpose
        : value_(fromInteger(value)) {}
    template <std::floating_point T>
    constexpr ArrayIndex(T value) noexcept  // NOLINT: implicit on purpose
        : value_(fromFloating(static_cast<double>(value))) {}

    constexpr int32_t value() const noexcept { return value_; }

  private:
    template <typename T>
    static constexpr int32_t fromInteger(T value) noexcept {
        if constexpr (std::same_as<T, bool>) {
            return value ? 1 : 0;
        } else if constexpr (std::is_signed_v<T> && sizeof(T) <= sizeof(int32_t)) {
            return static_cast<int32_t>(value);
        } else if constexpr (std::is_signed_v<T>) {
            if (value < INT32_MIN) return INT32_MIN;
            if (value > INT32_MAX) return INT32_MAX;
            return static_cast<int32_t>(value);
        } else {
            return value > static_cast<uint32_t>(INT32_MAX) ? INT32_MAX
                                                            : static_cast<int32_t>(value);
        }
    }
    static constexpr int32_t fromFloating(double value) noexcept {
        // One test keeps the cast defined; NaN fails it too.
        return value > -2147483649.0 && value < 2147483648.0 ? static_cast<int32_t>(value) : -1;
    }

    int32_t value_;
};

namespace detail {

// Raises runtime error 9 (bad index) and ends the program.
[[noreturn]] void arrayIndexError();
// Raises runtime error 7 (no storage) in the named operation and ends the
// program.
[[noreturn]] void arrayStorageError(const char* operation = __builtin_FUNCTION());

// The shape shared by both array kinds: sizes, strides and capacity.
class ArrayShape {
  public:
    // Size of dimension 1 to 4; 0 for a dimension not in use.
    int32_t dim1() const noexcept { return dims_[0]; }
    int32_t dim2() const noexcept { return dims_[1]; }
    int32_t dim3() const noexcept { return dims_[2]; }
    int32_t dim4() const noexcept { return dims_[3]; }
    // Step in elements of the second, third and fourth index.
    int32_t stride2() const noexcept { return strides_[1]; }
    int32_t stride3() const noexcept { return strides_[2]; }
    int32_t stride4() const noexcept { return strides_[3]; }
    // 4 if dim4 is not 0, else 3 if dim3 is not 0, and so on; 0 when empty.
    int32_t dimensionCount() const noexcept { return dimensionCount_; }
    // Number of elements the storage holds (always more than elementCount).
    int32_t capacity() const noexcept { return capacity_; }
    // Elements reachable through indices: dim1 * max(dim2, 1) * max(dim3, 1)
    // * max(dim4, 1), or 0 when dim1 is 0.
    int32_t elementCount() const noexcept {
        return dims_[0] == 0 ? 0 : bounds_[0] * bounds_[1] * bounds_[2] * bounds_[3];
    }

    // Storage position of element (i, j, k, l); runtime error 9 when an
    // index is negative, not below its dimension's size, not 0 in a
    // dimension that is not in use, or the array has no elements.
    int32_t offsetOf(int32_t i, int32_t j, int32_t k, int32_t l) const {
        // Unsigned comparison also turns away negative indices; bounds_ is
        // 1 for a dimension not in use (only index 0) and 0 for dim1 of an
        // empty array (no index at all).
        if (static_cast<uint32_t>(i) >= static_cast<uint32_t>(bounds_[0]) ||
            static_cast<uint32_t>(j) >= static_cast<uint32_t>(bounds_[1]) ||
            static_cast<uint32_t>(k) >= static_cast<uint32_t>(bounds_[2]) ||
            static_cast<uint32_t>(l) >= static_cast<uint32_t>(bounds_[3])) {
            arrayIndexError();
        }
        return i + j * strides_[1] + k * strides_[2] + l * strides_[3];
    }

  protected:
    // Sets sizes (each 0 or at least 1, product within capacity), strides,
    // bounds and dimension count.
    void setDimensions(const int32_t dims[4]) noexcept;
    void clearShape() noexcept;

    int32_t strides_[4] = {1, 0, 0, 0};
    int32_t dims_[4] = {0, 0, 0, 0};
    // Exclusive upper bound of each index: dim1 for the first, max(dim, 1)
    // for the others, so an unused dimension admits index 0 only.
    int32_t bounds_[4] = {0, 1, 1, 1};
    int32_t dimensionCount_ = 0;
    int32_t capacity_ = 0;
};

}  // namespace detail

// Array of doubles. Up to 15 elements live in the object itself; larger
// arrays get a heap buffer that belongs to the array.
class RtNumberArray : public detail::ArrayShape {
  public:
    static constexpr int32_t kInlineCapacity = 16;

    RtNumberArray() noexcept = default;
    // Copying is assignArray: the copy takes the shape and the elements.
    RtNumberArray(const RtNumberArray& other);
    RtNumberArray& operator=(const RtNumberArray& other);
    // Moving takes the elements over; the source is left never dimensioned.
    RtNumberArray(RtNumberArray&& other) noexcept;
    RtNumberArray& operator=(RtNumberArray&& other) noexcept;
    ~RtNumberArray();

    // The element storage, first index fastest; null before the first
    // dimensioning. A grid of width dim1 and height dim2 holds element
    // (x, y) at data()[y * dim1() + x].
    double* data() noexcept { return data_; }
    const double* data() const noexcept { return data_; }
    bool usesInlineStorage() const noexcept { return data_ == inline_; }

  private:
    friend void dimensionArray(RtNumberArray&, double, double, double, double);
    void releaseHeap() noexcept;
    void takeFrom(RtNumberArray& other) noexcept;

    double* data_ = nullptr;
    double inline_[kInlineCapacity];
};

// Array of texts, with the same shape rules and element order. Its storage
// grows in steps of 64 elements and always lives on the heap.
class RtStringArray : public detail::ArrayShape {
  public:
    RtStringArray() noexcept = default;
    RtStringArray(const RtStringArray& other);
    RtStringArray& operator=(const RtStringArray& other);
    RtStringArray(RtStringArray&& other) noexcept;
    RtStringArray& operator=(RtStringArray&& other) noexcept;
    ~RtStringArray();

    RtString* data() noexcept { return data_; }
    const RtString* data() const noexcept { return data_; }

  private:
    friend void dimensionArray(RtStringArray&, double, double, double, double);
    void release() noexcept;
    void takeFrom(RtStringArray& other) noexcept;

    RtString* data_ = nullptr;
};

// Sets the shape and makes every element 0 (or an empty text). A size
// below 1 (or NaN) means the dimension is not in use; a first size below 1
// gives an empty array. Capacity for numbers is the element count with its
// low 3 bits cleared plus 8 (so up to 15 elements stay inline and 10 x 10
// holds 104); for texts it is the count with its low 6 bits cleared plus 64.
// Storage never shrinks, except that dimensioning to empty releases it.
// Runtime error 7 when the element count does not fit a 32-bit count or the
// storage cannot be allocated.
void dimensionArray(RtNumberArray& array, double d1, double d2 = 0, double d3 = 0, double d4 = 0);
void dimensionArray(RtStringArray& array, double d1, double d2 = 0, double d3 = 0, double d4 = 0);

// The element (i, j, k, l) for reading or writing. Callers pass 0 for
// dimensions not in use. Runtime error 9 for any bad index.
inline double& elementAt(RtNumberArray& array, ArrayIndex i, ArrayIndex j = 0, ArrayIndex k = 0,
                         ArrayIndex l = 0) {
    return array.data()[array.offsetOf(i.value(), j.value(), k.value(), l.value())];
}
inline const double& elementAt(const RtNumberArray& array, ArrayIndex i, ArrayIndex j = 0,
                               ArrayIndex k = 0, ArrayIndex l = 0) {
    return array.data()[array.offsetOf(i.value(), j.value(), k.value(), l.value())];
}
inline RtString& elementAt(RtStringArray& array, ArrayIndex i, ArrayIndex j = 0, ArrayIndex k = 0,
                           ArrayIndex l = 0) {
    return array.data()[array.offsetOf(i.value(), j.value(), k.value(), l.value())];
}
inline const RtString& elementAt(const RtStringArray& array, ArrayIndex i, ArrayIndex j = 0,
                                 ArrayIndex k = 0, ArrayIndex l = 0) {
    return array.data()[array.offsetOf(i.value(), j.value(), k.value(), l.value())];
}

// New shape, keeping the elements whose every index lies below both the
// old and the new size of its dimension (index 0 in a dimension not in use
// on either side); all other elements are 0 (or empty texts).
void redimensionArray(RtNumberArray& array, double d1, double d2 = 0, double d3 = 0, double d4 = 0);
void redimensionArray(RtStringArray& array, double d1, double d2 = 0, double d3 = 0, double d4 = 0);

// The target takes the source's shape and elements. Assigning an array to
// itself changes nothing.
void assignArray(RtNumberArray& target, const RtNumberArray& source);
void assignArray(RtStringArray& target, const RtStringArray& source);

// A one-dimensional array of the given values, in order. A count below 1
// gives an empty array.
void fillArray(RtNumberArray& array, int32_t count, const double* values);
void fillArray(RtNumberArray& array, std::initializer_list<double> values);

// Size of dimension k + 1: k (truncated toward zero) 0 gives dim1, 1 dim2,
// 2 dim3, 3 dim4; any other k, NaN included, gives 0.
double dimensionSize(const RtNumberArray& array, double k);
double dimensionSize(const RtStringArray& array, double k);

}  // namespace vorlan
