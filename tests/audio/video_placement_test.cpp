#include <gtest/gtest.h>

#include <array>

#include "audio/video_screen.h"

namespace vorlan::test {
namespace {

TEST(VideoPlacement, KeepsTheAspectAndCentres) {
    struct Case {
        int frameWidth, frameHeight, clientWidth, clientHeight;
        std::array<int, 4> expected;  // x, y, width, height
    };
    const Case cases[] = {
        {320, 240, 640, 360, {80, 0, 480, 360}}, {320, 240, 320, 240, {0, 0, 320, 240}},
        {16, 16, 320, 240, {40, 0, 240, 240}},   {100, 50, 320, 240, {0, 40, 320, 160}},
        {3, 7, 320, 240, {109, 0, 102, 240}},    {0, 0, 320, 240, {0, 0, 0, 0}},
        {320, 0, 320, 240, {0, 0, 0, 0}},        {320, 240, 0, 0, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        VideoRect r = videoPlacement(c.frameWidth, c.frameHeight, c.clientWidth, c.clientHeight);
        EXPECT_EQ((std::array{r.x, r.y, r.width, r.height}), c.expected)
            << c.frameWidth << "x" << c.frameHeight << " in " << c.clientWidth << "x"
            << c.clientHeight;
    }
}

}  // namespace
}  // namespace vorlan::test
