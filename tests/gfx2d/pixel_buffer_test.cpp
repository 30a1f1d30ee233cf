// The pixel buffer's growth rule and its failure behaviour.
#include "gfx2d/pixel_buffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>

namespace vorlan {
namespace {

TEST(PixelBuffer, GrowsToExactlyTheNeededSizeAndReusesABigEnoughBlock) {
    PixelBuffer buffer;
    EXPECT_EQ(buffer.pixels(), nullptr);
    ASSERT_TRUE(buffer.resize(3, 2));
    EXPECT_EQ(buffer.capacity(), 24);
    std::memset(buffer.pixels(), 0xAB, 24);
    const uint8_t* block = buffer.pixels();

    // Smaller: the same block, the needed bytes cleared, the rest untouched.
    ASSERT_TRUE(buffer.resize(2, 2));
    EXPECT_EQ(buffer.pixels(), block);
    EXPECT_EQ(buffer.capacity(), 24);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(buffer.pixels()[i], 0) << i;
    EXPECT_EQ(buffer.pixels()[16], 0xAB);
    EXPECT_EQ(buffer.row(1), buffer.pixels() + 8);

    ASSERT_TRUE(buffer.resize(5, 5));
    EXPECT_EQ(buffer.capacity(), 100);
    for (int i = 0; i < 100; ++i) ASSERT_EQ(buffer.pixels()[i], 0) << i;
}

TEST(PixelBuffer, ImpossibleSizesLeaveTheBufferAsItWas) {
    PixelBuffer buffer;
    ASSERT_TRUE(buffer.resize(2, 2));
    buffer.pixels()[3] = 7;
    for (auto [w, h] :
         {std::pair{-1, 2}, std::pair{2, -1}, std::pair{INT32_MAX, 2}, std::pair{32768, 16384},
          std::pair{46341, 46341}, std::pair{INT32_MAX, INT32_MAX}}) {
        EXPECT_FALSE(buffer.resize(w, h)) << w << " x " << h;
        EXPECT_EQ(buffer.width(), 2);
        EXPECT_EQ(buffer.capacity(), 16);
        EXPECT_EQ(buffer.pixels()[3], 7);
    }
}

TEST(PixelBuffer, ClearAndMoveHandOverTheBlock) {
    PixelBuffer buffer;
    ASSERT_TRUE(buffer.resize(4, 1));
    const uint8_t* block = buffer.pixels();
    PixelBuffer moved(std::move(buffer));
    EXPECT_EQ(moved.pixels(), block);
    EXPECT_EQ(moved.capacity(), 16);
    EXPECT_EQ(buffer.pixels(), nullptr);  // NOLINT: checking the moved-from state
    EXPECT_EQ(buffer.capacity(), 0);
    moved.clear();
    EXPECT_EQ(moved.pixels(), nullptr);
    EXPECT_EQ(moved.width(), 0);
    EXPECT_EQ(moved.height(), 0);
    EXPECT_EQ(moved.capacity(), 0);
}

}  // namespace
}  // namespace vorlan
