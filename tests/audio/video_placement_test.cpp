#include <gtest/gtest.h>

#include <vector>

#include "audio/video_screen.h"

namespace vorlan::test {
namespace {

TEST(VideoPlacement, KeepsTheAspectAndCentres) {
    struct Case {
        int frameWidth, frameHeight, clientWidth, clientHeight;
        VideoRect expected;
    };
    const Case cases[] = {
        {320, 240, 640, 360, {80, 0, 480, 360}}, {320, 240, 320, 240, {0, 0, 320, 240}},
        {16, 16, 320, 240, {40, 0, 240, 240}},   {100, 50, 320, 240, {0, 40, 320, 160}},
        {3, 7, 320, 240, {109, 0, 102, 240}},    {0, 0, 320, 240, {0, 0, 0, 0}},
        {320, 0, 320, 240, {0, 0, 0, 0}},        {320, 240, 0, 0, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        VideoRect r = videoPlacement(c.frameWidth, c.frameHeight, c.clientWidth, c.clientHeight);
        EXPECT_EQ(
            (std::vector<int>{r.x, r.y, r.width, r.height}),
            (std::vector<int>{c.expected.x, c.expected.y, c.expected.width, c.expected.height}))
            << c.frameWidth << "x" << c.frameHeight << " in " << c.clientWidth << "x"
            << c.clientHeight;
    }
}

}  // namespace
}  // namespace vorlan::test
