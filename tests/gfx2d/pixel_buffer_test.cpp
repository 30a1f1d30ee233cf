// The pixel buffer's growth rule and its failure behaviour.
#include "gfx2d/pixel_buffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>

namespace vorlan {
namespace {

TEST(PixelBuffer, GrowsOnlyWhenTooSmallClearsWhatItUsesAndRefusesImpossibleSizes) {
    PixelBuffer buffer;
    ASSERT_TRUE(buffer.resize(3, 2));
    EXPECT_EQ(buffer.capacity(), 24);
    std::memset(buffer.pixels(), 0xAB, 24);
    const uint8_t* block = buffer.pixels();
    ASSERT_TRUE(buffer.resize(2, 2));  // the same block, the needed bytes cleared
    EXPECT_EQ(buffer.pixels(), block);
    EXPECT_EQ(buffer.pixels()[15], 0);
    EXPECT_EQ(buffer.pixels()[16], 0xAB);
    EXPECT_EQ(buffer.row(1), buffer.pixels() + 8);
    buffer.pixels()[3] = 7;
    for (auto [w, h] : {std::pair{-1, 2}, std::pair{INT32_MAX, 2}, std::pair{32768, 16384},
                        std::pair{46341, 46341}}) {
        EXPECT_FALSE(buffer.resize(w, h)) << w << " x " << h;
        EXPECT_EQ(buffer.width(), 2);
        EXPECT_EQ(buffer.pixels()[3], 7);
    }
    ASSERT_TRUE(buffer.resize(5, 5));
    EXPECT_EQ(buffer.capacity(), 100);
    PixelBuffer moved(std::move(buffer));
    EXPECT_EQ(moved.capacity(), 100);
    EXPECT_EQ(buffer.pixels(), nullptr);  // NOLINT: checking the moved-from state
    moved.clear();
    EXPECT_EQ(moved.capacity(), 0);
}

}  // namespace
}  // namespace vorlan
