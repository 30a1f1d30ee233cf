#include "app/frame_clock.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vorlan {
namespace {

constexpr double kFrame60 = 1000.0 / 60.0;

TEST(FrameDeadlines, QuickFramesWaitForTheirGridPoint) {
    // A frame drawn well inside its slot: the deadline moves by exactly one
    // frame time, however early the wait saw the clock.
    EXPECT_DOUBLE_EQ(nextDeadline(kFrame60, kFrame60, kFrame60 + 0.001), 2 * kFrame60);
    EXPECT_DOUBLE_EQ(nextDeadline(0, kFrame60, 0.5), kFrame60);
}

TEST(FrameDeadlines, SlowFrameSkipsMissedSlotsInsteadOfCatchingUp) {
    // Deadline at 16.67 ms, the frame took until 40 ms: the next deadline
    // is the first grid point after that moment, 50 ms, not 33.3 ms.
    EXPECT_NEAR(nextDeadline(kFrame60, kFrame60, 40.0), 50.0, 1e-9);
    // A long stall keeps the grid: whole frame times from the old deadline.
    double next = nextDeadline(kFrame60, kFrame60, 100000.0);
    EXPECT_GE(next, 100000.0);
    EXPECT_LT(next, 100000.0 + kFrame60);
    double slots = (next - kFrame60) / kFrame60;
    EXPECT_NEAR(slots, std::round(slots), 1e-6);
}

TEST(FrameDeadlines, GridPointExactlyAtTheClockIsKept) {
    EXPECT_DOUBLE_EQ(nextDeadline(10.0, 10.0, 30.0), 30.0);
}

TEST(FrameDeadlines, HugeStallAtTwoMillisecondFramesEndsPromptly) {
    double next = nextDeadline(0.0, 2.0, 3.6e9);
    EXPECT_GE(next, 3.6e9);
    EXPECT_LT(next, 3.6e9 + 2.0);
}

TEST(FrameRate, PositiveRatesGiveThousandOverRate) {
    EXPECT_DOUBLE_EQ(frameTimeForRate(60), 1000.0 / 60.0);
    EXPECT_DOUBLE_EQ(frameTimeForRate(25), 40.0);
    // The rate is truncated toward zero first.
    EXPECT_DOUBLE_EQ(frameTimeForRate(30.9), 1000.0 / 30.0);
}

TEST(FrameRate, ZeroNegativeAndNonsenseRatesGiveTwoMilliseconds) {
    EXPECT_DOUBLE_EQ(frameTimeForRate(0), 2.0);
    EXPECT_DOUBLE_EQ(frameTimeForRate(-60), 2.0);
    EXPECT_DOUBLE_EQ(frameTimeForRate(0.5), 2.0);
    EXPECT_DOUBLE_EQ(frameTimeForRate(std::nan("")), 2.0);
}

TEST(FrameDuration, PlainDifferenceOrOne) {
    EXPECT_DOUBLE_EQ(frameInterval(100.0, 116.5), 16.5);
    EXPECT_DOUBLE_EQ(frameInterval(100.0, 100.25), 0.25);  // below 1 stays
    EXPECT_DOUBLE_EQ(frameInterval(100.0, 100.0), 1.0);    // equal stamps
    EXPECT_DOUBLE_EQ(frameInterval(100.0, 90.0), 1.0);     // out of order
}

TEST(SleepMargin, FollowsAllButTheRarestLateWakeUps) {
    struct Case {
        const char* what;
        double usualLateMs;
        double rareLateMs;
        int rareEvery;
        double expected;
    };
    const Case cases[] = {
        {"punctual sleeps give the floor", 0.01, 0.01, 1, SleepMargin::kFloorMs},
        {"steady lateness", 0.3, 0.3, 1, 0.3},
        {"lateness beyond the ceiling", 9.0, 9.0, 1, SleepMargin::kCeilingMs},
        {"1 in 100 very late is ignored", 0.1, 5.0, 100, 0.1},
        {"1 in 10 very late is not", 0.1, 1.5, 10, 1.5},
    };
    for (const Case& c : cases) {
        SleepMargin margin;
        EXPECT_EQ(margin.ms(), SleepMargin::kCeilingMs) << c.what;
        for (int i = 1; i <= 1000; ++i) {
            margin.record(i % c.rareEvery == 0 ? c.rareLateMs : c.usualLateMs);
        }
        EXPECT_EQ(margin.ms(), c.expected) << c.what;
    }
    // A late spell is forgotten once a window of punctual sleeps follows it.
    SleepMargin margin;
    for (int i = 0; i < 10; ++i) margin.record(1.0);
    EXPECT_EQ(margin.ms(), 1.0);
    for (int i = 0; i < SleepMargin::kWindow - SleepMargin::kRank; ++i) margin.record(0.2);
    EXPECT_EQ(margin.ms(), 1.0);
    margin.record(0.2);
    EXPECT_EQ(margin.ms(), 0.2);
}

}  // namespace
}  // namespace vorlan
