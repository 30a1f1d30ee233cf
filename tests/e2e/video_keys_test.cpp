// What ends a video, driven by real key presses and mouse buttons in the
// X server. Runs serially with the other tests that own the keyboard.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "app/frame_loop.h"
#include "audio/sound_test_support.h"
#include "audio/test_videos.h"
#include "audio/video_input.h"
#include "audio/video_window.h"
#include "support/subprocess.h"

namespace vorlan::test {
namespace {

class VideoKeys : public VideoWindow {
  protected:
    void SetUp() override {
        VideoWindow::SetUp();
        window_ = windowId();
        runCommand("xdotool windowfocus --sync " + window_);
        clip_ = folder_.file("clip.avi").string();
        VideoLayout layout;
        layout.soundLevel = 1500;
        ASSERT_TRUE(writeVideo(clip_, layout));
    }

    // Lets the window see the releases, so that the next case starts with
    // no button down.
    static void settleInput() {
        for (int i = 0; i < 200 && videoInterrupted(); ++i) {
            pumpMessages();
            platform::sleepMs(10);
        }
    }

    TempFolder folder_;
    std::string window_;
    std::string clip_;
};

struct StopCase {
    const char* what;
    std::string ignored;  // xdotool commands that must not end the video
    std::string stop;
    std::string release;
};

TEST_F(VideoKeys, ALoopedVideoEndsOnlyOnATypedCharacterOrAHeldButton) {
    const StopCase cases[] = {
        {"letter", "key Escape; xdotool key shift", "keydown a", "keyup a"},
        {"space", "key Escape", "keydown space", "keyup space"},
        {"left button", "key Escape; xdotool mousemove --window " + window_ + " 100 100",
         "mousedown 1", "mouseup 1"},
        {"right button", "key ctrl", "mousedown 3", "mouseup 3"},
    };
    for (const StopCase& c : cases) {
        SCOPED_TRACE(c.what);
        std::atomic<bool> stopSent{false};
        std::atomic<bool> returned{false};
        std::atomic<bool> rescued{false};
        // The clip lasts half a second: by the time the stop comes it has
        // looped more than once.
        std::thread driver([&] {
            platform::sleepMs(700);
            runCommand("xdotool " + c.ignored);
            platform::sleepMs(500);
            stopSent = true;
            runCommand("xdotool " + c.stop);
            for (int i = 0; i < 500 && !returned; ++i) platform::sleepMs(10);
            if (!returned) {
                rescued = true;
                runCommand("xdotool key x mousedown 1 sleep 0.2 mouseup 1");
            }
            runCommand("xdotool " + c.release);
        });
        playVideoLooped(clip_.c_str());
        returned = true;
        driver.join();
        settleInput();
        EXPECT_TRUE(stopSent) << "ended before the stop";
        EXPECT_FALSE(rescued) << "the stop did not end it";
    }
}

TEST_F(VideoKeys, AKeyHeldAtTheStartDoesNotSkipTheVideo) {
    DiskAudio audio(folder_);
    runCommand("xdotool keydown b");
    platform::sleepMs(200);
    playVideo(clip_.c_str());
    runCommand("xdotool keyup b");
    std::vector<int16_t> heard = audio.finish();
    // Half a second of sound: nearly all of it played.
    EXPECT_GE(framesAt(heard, 1500, 1500), size_t{11025 * 8 / 10});
}

}  // namespace
}  // namespace vorlan::test
