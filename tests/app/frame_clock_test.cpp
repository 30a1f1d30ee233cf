#include "app/frame_clock.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vorlan {
namespace {

constexpr double kFrame60 = 1000.0 / 60.0;

TEST(FrameClock, DeadlinesStayOnTheirGridAndSkipMissedSlots) {
    const struct {
        double deadline, frameTime, now, next;
    } cases[] = {
        {kFrame60, kFrame60, kFrame60 + 0.001, 2 * kFrame60},  // early: one frame on
        {kFrame60, kFrame60, 40.0, 50.0},  // took until 40 ms: 50, not 33.3 in a burst
        {10.0, 10.0, 30.0, 30.0},          // a grid point at the clock is kept
    };
    for (const auto& c : cases)
        EXPECT_NEAR(nextDeadline(c.deadline, c.frameTime, c.now), c.next, 1e-9);
    // Long stalls keep the grid and end promptly, even at 2 ms frames.
    for (auto [frameTime, now] : {std::pair{kFrame60, 100000.0}, std::pair{2.0, 3.6e9}}) {
        double next = nextDeadline(frameTime, frameTime, now);
        EXPECT_GE(next, now);
        EXPECT_LT(next, now + frameTime);
        EXPECT_NEAR(next / frameTime, std::round(next / frameTime), 1e-6);
    }
    const std::pair<double, double> rates[] = {
        {25, 40.0}, {30.9, 1000.0 / 30}, {0.5, 2.0}, {-60, 2.0}, {NAN, 2.0}};
    for (auto [rate, frameTime] : rates)
        EXPECT_DOUBLE_EQ(frameTimeForRate(rate), frameTime) << rate;
    // The start-up setting is worked out in single precision.
    EXPECT_DOUBLE_EQ(startupFrameTime(60), double(1000.0f / 60.0f));
    EXPECT_DOUBLE_EQ(startupFrameTime(0), 2.0);
    EXPECT_DOUBLE_EQ(frameInterval(100.0, 100.25), 0.25);  // below 1 stays
    EXPECT_DOUBLE_EQ(frameInterval(100.0, 90.0), 1.0);     // out of order
}

// The margin follows how late sleeps usually wake, not the rarest delay.
TEST(FrameClock, SleepMarginFollowsAllButTheRarestLateWakeUps) {
    SleepMargin margin;
    for (int i = 1; i <= 1000; ++i) margin.record(i % 100 == 0 ? 5.0 : 0.1);
    EXPECT_EQ(margin.ms(), 0.1);
}

}  // namespace
}  // namespace vorlan
