// The platform's video decoder on a file the test makes: every picture
// comes out in order with its own pixels, and past the last one a call
// still waits out its time, so that the playback loop sleeps, not spins.
#include <gtest/gtest.h>

#include <string>

#include "audio/test_videos.h"
#include "platform/clock.h"
#include "platform/video_decoder.h"
#include "support/temp_folder.h"

// The cases name only the fields they change; the rest keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace vorlan::test {
namespace {

TEST(VideoDecoder, GivesEveryPictureThenWaitsPastTheEnd) {
    TempFolder folder;
    const VideoLayout layout{.frames = 4, .framesPerSecond = 25};
    const std::string path = folder.file("clip.avi").string();
    ASSERT_TRUE(writeVideo(path, layout));
    platform::VideoDecoder* video = platform::openVideo(path.c_str());
    ASSERT_NE(video, nullptr);
    ASSERT_TRUE(platform::startVideo(video));
    const double deadline = platform::nowMs() + 30000;
    int shown = 0;
    while (shown < layout.frames && platform::nowMs() < deadline) {
        const uint8_t* rgba = platform::nextVideoFrame(video, 50);
        if (!rgba) continue;
        // The first pixel of the top half, the last of the bottom half.
        const uint8_t* last = rgba + (layout.width * layout.height - 1) * 4;
        for (auto [pixel, want] : {std::pair{rgba, topColour(shown)}, {last, bottomColour()}}) {
            EXPECT_EQ(pixel[0], want.r) << "picture " << shown;
            EXPECT_EQ(pixel[1], want.g) << "picture " << shown;
            EXPECT_EQ(pixel[2], want.b) << "picture " << shown;
        }
        ++shown;
    }
    EXPECT_EQ(shown, layout.frames);
    while (platform::videoState(video) == platform::VideoState::Playing &&
           platform::nowMs() < deadline) {
        EXPECT_EQ(platform::nextVideoFrame(video, 50), nullptr);
    }
    ASSERT_EQ(platform::videoState(video), platform::VideoState::Ended);
    double start = platform::nowMs();
    EXPECT_EQ(platform::nextVideoFrame(video, 300), nullptr);
    EXPECT_GE(platform::nowMs() - start, 250.0) << "answered at once past the end";
    platform::closeVideo(video);
}

}  // namespace
}  // namespace vorlan::test
