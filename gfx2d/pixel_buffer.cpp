#include "gfx2d/pixel_buffer.h"

#include <cstring>
#include <new>
#include <utility>

namespace vorlan {

PixelBuffer::PixelBuffer(PixelBuffer&& other) noexcept
    : width_(std::exchange(other.width_, 0)),
      height_(std::exchange(other.height_, 0)),
      capacity_(std::exchange(other.capacity_, 0)),
      pixels_(std::exchange(other.pixels_, nullptr)) {}

PixelBuffer& PixelBuffer::operator=(PixelBuffer&& other) noexcept {
    if (this != &other) {
        delete[] pixels_;
        width_ = std::exchange(other.width_, 0);
        height_ = std::exchange(other.height_, 0);
        capacity_ = std::exchange(other.capacity_, 0);
        pixels_ = std::exchange(other.pixels_, nullptr);
    }
    return *this;
}

bool PixelBuffer::resize(int32_t width, int32_t height) {
    if (width < 0 || height < 0) return false;
    // Both factors are below 2^31: the product fits 64 bits, times 4 not.
    if (int64_t{width} * height > kMaxBytes / 4) return false;
    int64_t needed = int64_t{width} * height * 4;
    if (needed > capacity_) {
        // Allocated before the old block is freed, so that a failure leaves
        // the buffer intact.
        auto* block = new (std::nothrow) uint8_t[static_cast<size_t>(needed)];
        if (block == nullptr) return false;
        delete[] pixels_;
        pixels_ = block;
        capacity_ = static_cast<int32_t>(needed);
    }
    width_ = width;
    height_ = height;
    if (needed > 0) std::memset(pixels_, 0, static_cast<size_t>(needed));
    return true;
}

void PixelBuffer::clear() {
    delete[] pixels_;
    pixels_ = nullptr;
    width_ = height_ = capacity_ = 0;
}

}  // namespace vorlan
