// Videos and the cross-fade in a real window. The pictures are read back
// from the X server, so no other window may cover this one.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <vorlan/app.h>
#include <vorlan/backgrounds.h>
#include <vorlan/input.h>
#include <vorlan/sprites.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "audio/sound_test_support.h"
#include "audio/test_videos.h"
#include "core/event_pump.h"
#include "input/input_window.h"
#include "platform/clock.h"

// The cases name only the fields they change; the rest keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace vorlan::test {
namespace {

class Video : public InputWindow {
  protected:
    std::string makeVideo(const VideoLayout& layout, const char* name) {
        std::string path = temp_.file(name).string();
        EXPECT_TRUE(writeVideo(path, layout));
        return path;
    }
    // Mesa here cannot read the front buffer back: the X server's copy.
    void expectPixels(const std::vector<std::tuple<int, int, Rgb>>& points) {
        Picture shot = loadPicture("x:" + window_);
        ASSERT_EQ(shot.width * shot.height, 320 * 240);
        for (auto [x, y, want] : points) {
            const uint8_t* got = shot.at(x, y);
            EXPECT_NEAR(got[0], want.r, 2) << x << "," << y;
            EXPECT_NEAR(got[1], want.g, 2) << x << "," << y;
            EXPECT_NEAR(got[2], want.b, 2) << x << "," << y;
        }
    }
};

using Fade = Video;

TEST_F(Fade, FadeBlendsBothPicturesAndLeavesNoBlending) {
    // Old (200, 0, 100), new (0, 200, 40): a frame with old share f shows
    // (200 f, 200 (1 - f), 40 + 60 f).
    fillRect(0, 0, 320, 240, 200 + 100 * 65536);  // in both buffers
    presentFrame();
    fillRect(0, 0, 320, 240, 200 + 100 * 65536);
    std::string next = writePng("next.png", picture(320, 240, 0x00C828FF));
    std::atomic<bool> fading = true;
    std::vector<Picture> frames;
    std::thread watcher([&] {
        while (fading) frames.push_back(loadPicture("x:" + window_));
    });
    double start = clockMs();
    fadeToBackground(next.c_str());
    double took = clockMs() - start;
    fading = false;
    watcher.join();

    EXPECT_GE(took, 1500);
    int middle = 0;
    for (const Picture& frame : frames) {
        if (frame.width != 320) continue;
        const uint8_t* p = frame.at(160, 120);
        double f = p[0] / 200.0;
        EXPECT_NEAR(p[1], 200 * (1 - f), 2) << int{p[0]} << " " << int{p[1]} << " " << int{p[2]};
        EXPECT_NEAR(p[2], 40 + 60 * f, 2) << int{p[0]} << " " << int{p[1]} << " " << int{p[2]};
        middle += p[0] > 20 && p[0] < 180;
    }
    EXPECT_GE(middle, 2) << frames.size() << " captures";

    // The new picture is the background now, and nothing is added any more.
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(screen().at(10, 10)[1], 200);
}

TEST_F(Video, EveryFrameAppearsInTheCentredRectangleWithItsSound) {
    VideoLayout layout{.frames = 6, .soundLevel = 2500};
    std::string path = makeVideo(layout, "clip.avi");
    DiskAudio audio(temp_);
    GLuint marker = 0;
    glGenTextures(1, &marker);
    glBindTexture(GL_TEXTURE_2D, marker);
    glEnable(GL_BLEND);
    // A key already down when the video starts must not skip it.
    xdotool("keydown b");
    ASSERT_TRUE(presentUntil([] { return keyDown(kKeyB) != 0; }));
    playVideo(path.c_str());
    xdotool("keyup b");
    // 16 x 16 in 320 x 240: 240 x 240 from x = 40, each pixel 15 x 15, the
    // last frame still shown. Corners, both sides of the colour edge, borders.
    const Rgb top = topColour(layout.frames - 1), bottom = bottomColour(), black{};
    expectPixels({{40, 0, top}, {279, 0, top}, {40, 239, bottom}, {279, 239, bottom}});
    expectPixels({{160, 112, top}, {160, 127, bottom}, {39, 100, black}, {280, 100, black}});

    // Back in the state a finished frame leaves, on a cleared back buffer.
    GLint viewport[4], bound = 0;
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(std::vector<GLint>(viewport, viewport + 4), std::vector<GLint>({0, 0, 320, 240}));
    EXPECT_EQ(static_cast<GLuint>(bound), marker);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D) && glIsEnabled(GL_ALPHA_TEST));
    std::vector<uint8_t> back(320 * 240 * 4, 0xFF);
    glReadPixels(0, 0, 320, 240, GL_RGBA, GL_UNSIGNED_BYTE, back.data());
    EXPECT_EQ(std::count(back.begin(), back.end(), 0), 320 * 240 * 3);
    glDeleteTextures(1, &marker);

    // It blocked until its sound had played: nearly all of it is heard.
    size_t heard = framesAt(audio.finish(), 2500, 2500);
    EXPECT_GE(heard, size_t{6 * 2205 * 8 / 10});
    EXPECT_LE(heard, size_t{6 * 2205});
}

TEST_F(Video, SoundOnlyCutBrokenAndMissingFilesReturn) {
    std::string sound =
        makeVideo({.frames = 4, .pictures = false, .soundLevel = 1800}, "sound.avi");
    std::string whole = readWholeFile(makeVideo({}, "whole.avi"));
    // Cut in the middle of the frames: the stream breaks off mid-picture.
    writeWholeFile(temp_.file("cut.avi"), whole.substr(0, whole.size() * 6 / 10));
    writeWholeFile(temp_.file("broken.avi"), "RIFF\x10\0\0\0AVI LIST garbage and more garbage");
    DiskAudio audio(temp_);
    playVideo(sound.c_str());
    for (const char* name : {"cut.avi", "broken.avi", "missing.avi"}) {
        playVideo(temp_.file(name).c_str());
    }
    playVideoLooped(temp_.file("missing.avi").c_str());
    EXPECT_GE(framesAt(audio.finish(), 1800, 1800), size_t{4 * 2205 * 8 / 10});
    // The cut file showed one of its first frames; the sound-only one nothing.
    expectPixels({{160, 200, bottomColour()}});
}

TEST_F(Video, ALoopedVideoEndsOnlyOnATypedCharacterOrAHeldButton) {
    const std::string clip = makeVideo({.soundLevel = 1500}, "clip.avi");
    const struct {
        const char* what;
        std::string ignored;  // xdotool commands that must not end the video
        std::string stop, release;
    } cases[] = {
        {"letter", "key Escape key shift key ctrl", "keydown a", "keyup a"},
        {"left button", "key Escape mousemove --window " + window_ + " 100 100", "mousedown 1",
         "mouseup 1"},
        {"right button", "key Escape", "mousedown 3", "mouseup 3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::atomic<bool> stopSent{false}, returned{false}, rescued{false};
        // The clip lasts half a second: by the time the stop comes it has
        // looped more than once.
        std::thread driver([&] {
            platform::sleepMs(700);
            xdotool(c.ignored);
            platform::sleepMs(500);
            stopSent = true;
            xdotool(c.stop);
            for (int i = 0; i < 2000 && !returned; ++i) platform::sleepMs(10);
            if (!returned) {
                rescued = true;
                xdotool("key x mousedown 1 sleep 0.2 mouseup 1");
            }
            xdotool(c.release);
        });
        playVideoLooped(clip.c_str());
        returned = true;
        driver.join();
        // The window sees the releases, so that the next case starts with no
        // button down.
        presentUntil([] { return keyCharPressed() == 0 && anyMouseButton() == 0; });
        EXPECT_TRUE(stopSent) << "ended before the stop";
        EXPECT_FALSE(rescued) << "the stop did not end it";
    }
}

}  // namespace
}  // namespace vorlan::test
