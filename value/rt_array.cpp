#include <vorlan/rt_array.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include <vorlan/app.h>

#include "core/errors.h"

namespace vorlan {

namespace detail {

void arrayIndexError() {
    fatalRuntimeError(RuntimeError::IndexOutOfRange, "elementAt");
}

void arrayStorageError(const char* operation) {
    fatalRuntimeError(RuntimeError::OutOfRange, operation);
}

void ArrayShape::setDimensions(const int32_t dims[4]) noexcept {
    for (int n = 0; n < 4; ++n) {
        dims_[n] = dims[n];
        bounds_[n] = n == 0 ? dims[0] : std::max(dims[n], 1);
    }
    // A dimension of size 0 between used ones counts as 1, so every index
    // tuple that passes the bounds test lies inside elementCount().
    strides_[0] = 1;
    strides_[1] = dims[0];
    strides_[2] = strides_[1] * bounds_[1];
    strides_[3] = strides_[2] * bounds_[2];
    dimensionCount_ = dims[3] != 0 ? 4 : dims[2] != 0 ? 3 : dims[1] != 0 ? 2 : dims[0] != 0 ? 1 : 0;
}

void ArrayShape::clearShape() noexcept {
    static constexpr int32_t kNone[4] = {0, 0, 0, 0};
    setDimensions(kNone);
    capacity_ = 0;
}

}  // namespace detail

namespace {

// Element counts from here on cannot be stored: the capacity (the count
// rounded up to the next step of 64) would not fit a 32-bit count.
constexpr double kElementLimit = 2147483647.0 - 64.0;

struct Shape {
    int32_t dims[4];
    int32_t total;
};

// A size below 1, or NaN, means the dimension is not in use.
double usedSize(double size) {
    return size >= 1 ? size : 0;
}

// The shape that sizes d1 to d4 ask for; runtime error 7 when its element
// count is beyond what a 32-bit count holds. The count is taken from the
// sizes as given, before truncation, so it is never below the product of
// the truncated sizes.
Shape shapeOf(double d1, double d2, double d3, double d4,
              const char* operation = __builtin_FUNCTION()) {
    double sizes[4] = {usedSize(d1), usedSize(d2), usedSize(d3), usedSize(d4)};
    double total = 0;
    if (sizes[0] >= 1) {
        total = sizes[0];
        for (int n = 1; n < 4; ++n) total *= std::max(sizes[n], 1.0);
        if (!(total < kElementLimit)) detail::arrayStorageError(operation);
    }
    Shape shape;
    for (int n = 0; n < 4; ++n) {
        // With a first size in use every size is at most the total, so the
        // limit only bites on the sizes of an empty array, which no index
        // reaches but dimensionSize still reports.
        shape.dims[n] = sizes[n] >= 1 ? static_cast<int32_t>(std::min(sizes[n], 2147483647.0)) : 0;
    }
    shape.total = static_cast<int32_t>(total);
    return shape;
}

// Copies the elements whose every index lies below both shapes' bounds.
template <typename Array, typename Copy>
void copyCommonRegion(const Array& from, Array& to, Copy copy) {
    if (from.dim1() == 0 || to.dim1() == 0) return;
    const int32_t limit[4] = {std::min(from.dim1(), to.dim1()),
                              std::min(std::max(from.dim2(), 1), std::max(to.dim2(), 1)),
                              std::min(std::max(from.dim3(), 1), std::max(to.dim3(), 1)),
                              std::min(std::max(from.dim4(), 1), std::max(to.dim4(), 1))};
    for (int32_t l = 0; l < limit[3]; ++l) {
        for (int32_t k = 0; k < limit[2]; ++k) {
            for (int32_t j = 0; j < limit[1]; ++j) {
                int32_t source = from.offsetOf(0, j, k, l);
                int32_t target = to.offsetOf(0, j, k, l);
                copy(source, target, limit[0]);
            }
        }
    }
}

}  // namespace

// --- Numbers ---------------------------------------------------------------

RtNumberArray::RtNumberArray(const RtNumberArray& other) : ArrayShape() {
    assignArray(*this, other);
}

RtNumberArray& RtNumberArray::operator=(const RtNumberArray& other) {
    assignArray(*this, other);
    return *this;
}

RtNumberArray::RtNumberArray(RtNumberArray&& other) noexcept : ArrayShape() {
    takeFrom(other);
}

RtNumberArray& RtNumberArray::operator=(RtNumberArray&& other) noexcept {
    if (this != &other) {
        releaseHeap();
        takeFrom(other);
    }
    return *this;
}

RtNumberArray::~RtNumberArray() {
    releaseHeap();
}

void RtNumberArray::releaseHeap() noexcept {
    if (data_ != nullptr && data_ != inline_) std::free(data_);
    data_ = nullptr;
}

void RtNumberArray::takeFrom(RtNumberArray& other) noexcept {
    static_cast<ArrayShape&>(*this) = static_cast<const ArrayShape&>(other);
    if (other.data_ == other.inline_) {
        std::memcpy(inline_, other.inline_, sizeof(double) * other.capacity_);
        data_ = inline_;
    } else {
        data_ = other.data_;
    }
    other.data_ = nullptr;
    other.clearShape();
}

void dimensionArray(RtNumberArray& array, double d1, double d2, double d3, double d4) {
    Shape shape = shapeOf(d1, d2, d3, d4);
    int32_t needed = (shape.total & ~7) + 8;
    bool zeroed = false;
    if (array.capacity_ < needed || shape.dims[0] == 0) {
        array.releaseHeap();
        array.clearShape();
        if (needed <= RtNumberArray::kInlineCapacity) {
            array.data_ = array.inline_;
        } else {
            // calloc hands large buffers over as zero pages, untouched.
            array.data_ = static_cast<double*>(std::calloc(needed, sizeof(double)));
            if (array.data_ == nullptr) detail::arrayStorageError();
            zeroed = true;
        }
        array.capacity_ = needed;
    }
    if (!zeroed) std::fill(array.data_, array.data_ + array.capacity_, 0.0);
    array.setDimensions(shape.dims);
}

void redimensionArray(RtNumberArray& array, double d1, double d2, double d3, double d4) {
    RtNumberArray fresh;
    dimensionArray(fresh, d1, d2, d3, d4);
    copyCommonRegion(array, fresh, [&](int32_t source, int32_t target, int32_t count) {
        std::memcpy(fresh.data() + target, array.data() + source, sizeof(double) * count);
    });
    array = std::move(fresh);
}

void assignArray(RtNumberArray& target, const RtNumberArray& source) {
    if (&target == &source) return;
    dimensionArray(target, source.dim1(), source.dim2(), source.dim3(), source.dim4());
    int32_t count = source.elementCount();
    if (count > 0) std::memcpy(target.data(), source.data(), sizeof(double) * count);
}

void fillArray(RtNumberArray& array, int32_t count, const double* values) {
    dimensionArray(array, count);
    if (count > 0) std::memcpy(array.data(), values, sizeof(double) * count);
}

void fillArray(RtNumberArray& array, std::initializer_list<double> values) {
    fillArray(array, static_cast<int32_t>(values.size()), values.begin());
}

namespace {

template <typename Array>
double sizeOfDimension(const Array& array, double k) {
    if (!(k > -1 && k < 4)) return 0;
    switch (static_cast<int>(k)) {
        case 0:
            return array.dim1();
        case 1:
            return array.dim2();
        case 2:
            return array.dim3();
        default:
            return array.dim4();
    }
}

}  // namespace

double dimensionSize(const RtNumberArray& array, double k) {
    return sizeOfDimension(array, k);
}

// --- Texts -----------------------------------------------------------------

RtStringArray::RtStringArray(const RtStringArray& other) : ArrayShape() {
    assignArray(*this, other);
}

RtStringArray& RtStringArray::operator=(const RtStringArray& other) {
    assignArray(*this, other);
    return *this;
}

RtStringArray::RtStringArray(RtStringArray&& other) noexcept : ArrayShape() {
    takeFrom(other);
}

RtStringArray& RtStringArray::operator=(RtStringArray&& other) noexcept {
    if (this != &other) {
        release();
        takeFrom(other);
    }
    return *this;
}

RtStringArray::~RtStringArray() {
    release();
}

void RtStringArray::release() noexcept {
    delete[] data_;
    data_ = nullptr;
}

void RtStringArray::takeFrom(RtStringArray& other) noexcept {
    static_cast<ArrayShape&>(*this) = static_cast<const ArrayShape&>(other);
    data_ = std::exchange(other.data_, nullptr);
    other.clearShape();
}

void dimensionArray(RtStringArray& array, double d1, double d2, double d3, double d4) {
    Shape shape = shapeOf(d1, d2, d3, d4);
    int32_t needed = (shape.total & ~63) + 64;
    if (needed <= array.capacity_ && shape.dims[0] != 0) {
        for (int32_t i = 0; i < array.capacity_; ++i) array.data_[i] = RtString();
    } else {
        array.release();
        array.clearShape();
        array.data_ = new (std::nothrow) RtString[static_cast<size_t>(needed)];
        if (array.data_ == nullptr) detail::arrayStorageError();
        array.capacity_ = needed;
    }
    array.setDimensions(shape.dims);
}

void redimensionArray(RtStringArray& array, double d1, double d2, double d3, double d4) {
    RtStringArray fresh;
    dimensionArray(fresh, d1, d2, d3, d4);
    copyCommonRegion(array, fresh, [&](int32_t source, int32_t target, int32_t count) {
        for (int32_t i = 0; i < count; ++i) {
            fresh.data()[target + i] = std::move(array.data()[source + i]);
        }
    });
    array = std::move(fresh);
}

void assignArray(RtStringArray& target, const RtStringArray& source) {
    if (&target == &source) return;
    dimensionArray(target, source.dim1(), source.dim2(), source.dim3(), source.dim4());
    int32_t count = source.elementCount();
    for (int32_t i = 0; i < count; ++i) target.data()[i] = source.data()[i];
}

double dimensionSize(const RtStringArray& array, double k) {
    return sizeOfDimension(array, k);
}

}  // namespace vorlan
