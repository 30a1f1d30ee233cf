// PixelBuffer: a plain block of 8-bit RGBA pixels, rows top
// first, each pixel R, G, B, A. Shared by image decoding, the sprite store,
// fonts and backgrounds. Internal to the runtime.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vorlan {

class PixelBuffer {
  public:
    PixelBuffer() = default;
    ~PixelBuffer() { delete[] pixels_; }
    PixelBuffer(PixelBuffer&& other) noexcept;
    PixelBuffer& operator=(PixelBuffer&& other) noexcept;
    PixelBuffer(const PixelBuffer&) = delete;
    PixelBuffer& operator=(const PixelBuffer&) = delete;

    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    // Size in bytes of the block the buffer owns (may exceed width x height
    // x 4 after a shrink: the growth rule reuses a big enough block).
    int32_t capacity() const { return capacity_; }
    // The block, or nullptr when the buffer owns none.
    uint8_t* pixels() { return pixels_; }
    const uint8_t* pixels() const { return pixels_; }
    // Byte size of the image: width x height x 4.
    size_t byteSize() const { return static_cast<size_t>(width_) * height_ * 4; }
    uint8_t* row(int32_t y) { return pixels_ + static_cast<size_t>(y) * width_ * 4; }
    const uint8_t* row(int32_t y) const { return pixels_ + static_cast<size_t>(y) * width_ * 4; }

    // The growth rule: when n = width x height x 4 exceeds the capacity, the
    // old block is replaced by one of exactly n bytes; otherwise it is
    // reused. The n bytes are then set to zero. Gives false, leaving the
    // buffer as it was, for a negative size, an n beyond the signed 32-bit
    // range, or no memory.
    bool resize(int32_t width, int32_t height);
    // Empties the buffer: width, height and capacity 0, the block freed.
    void clear();

    // Largest byte size a buffer may have (its capacity is signed 32-bit).
    static constexpr int64_t kMaxBytes = INT32_MAX;

  private:
    int32_t width_ = 0;
    int32_t height_ = 0;
    int32_t capacity_ = 0;
    uint8_t* pixels_ = nullptr;
};

}  // namespace vorlan
