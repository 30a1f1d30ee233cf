// Videos the tests make themselves, played into a real window (Mesa under
// Xvfb) with their sound going through the disk audio driver. The pictures
// are read back from the X server, so no other window may cover this one:
// these run serially.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "audio/sound_test_support.h"
#include "audio/test_videos.h"
#include "audio/video_window.h"
#include "support/subprocess.h"

namespace vorlan::test {
namespace {

class Video : public VideoWindow {
  protected:
    std::string makeVideo(const VideoLayout& layout, const char* name = "clip.avi") {
        std::string path = folder_.file(name).string();
        EXPECT_TRUE(writeVideo(path, layout));
        return path;
    }

    // What the X server shows in the window (the front buffer cannot be
    // read back through Mesa here).
    void captureWindow() {
        std::string window = windowId();
        std::filesystem::path shot = folder_.file("shot.rgb");
        runCommand("import -window " + window + " -depth 8 rgb:" + shot.string());
        shot_ = readWholeFile(shot);
        ASSERT_EQ(shot_.size(), size_t{320 * 240 * 3});
    }
    Rgb frontPixel(int x, int y) const {
        size_t at = (static_cast<size_t>(y) * 320 + static_cast<size_t>(x)) * 3;
        if (at + 2 >= shot_.size()) return {1, 2, 3};
        return {static_cast<uint8_t>(shot_[at]), static_cast<uint8_t>(shot_[at + 1]),
                static_cast<uint8_t>(shot_[at + 2])};
    }

    TempFolder folder_;
    std::string shot_;
};

void expectColour(Rgb got, Rgb want, const char* where) {
    EXPECT_NEAR(got.r, want.r, 2) << where;
    EXPECT_NEAR(got.g, want.g, 2) << where;
    EXPECT_NEAR(got.b, want.b, 2) << where;
}

TEST_F(Video, EveryFrameAppearsInTheCentredRectangleWithItsSound) {
    VideoLayout layout;
    layout.frames = 6;
    layout.soundLevel = 2500;
    std::string path = makeVideo(layout);
    DiskAudio audio(folder_);
    GLuint marker = 0;
    glGenTextures(1, &marker);
    glBindTexture(GL_TEXTURE_2D, marker);
    glEnable(GL_BLEND);

    playVideo(path.c_str());
    captureWindow();

    // 16 x 16 in 320 x 240: 240 x 240 from x = 40, each pixel 15 x 15; the
    // last frame stays shown. The corners, and the middle of the pixels on
    // both sides of the colour edge.
    Rgb top = topColour(layout.frames - 1);
    expectColour(frontPixel(40, 0), top, "top left");
    expectColour(frontPixel(279, 0), top, "top right");
    expectColour(frontPixel(40, 239), bottomColour(), "bottom left");
    expectColour(frontPixel(279, 239), bottomColour(), "bottom right");
    expectColour(frontPixel(160, 7 * 15 + 7), top, "above the edge");
    expectColour(frontPixel(160, 8 * 15 + 7), bottomColour(), "below the edge");
    expectColour(frontPixel(39, 100), {0, 0, 0}, "left border");
    expectColour(frontPixel(280, 100), {0, 0, 0}, "right border");

    // The window is back in the state a finished frame leaves.
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ((std::vector<GLint>(viewport, viewport + 4)), (std::vector<GLint>{0, 0, 320, 240}));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_ALPHA_TEST));
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), marker);
    std::vector<uint8_t> back(320 * 240 * 4, 0xFF);
    glReadPixels(0, 0, 320, 240, GL_RGBA, GL_UNSIGNED_BYTE, back.data());
    size_t lit = 0;
    for (size_t i = 0; i < back.size(); i += 4) lit += back[i] | back[i + 1] | back[i + 2];
    EXPECT_EQ(lit, 0u) << "the back buffer is cleared";
    glDeleteTextures(1, &marker);

    // The call blocked until the sound had played: nearly all of it is heard.
    std::vector<int16_t> heard = audio.finish();
    size_t soundFrames = static_cast<size_t>(layout.frames * 22050 / layout.framesPerSecond);
    EXPECT_GE(framesAt(heard, 2500, 2500), soundFrames * 8 / 10);
    EXPECT_LE(framesAt(heard, 2500, 2500), soundFrames);
}

TEST_F(Video, SoundOnlyCutBrokenAndMissingFilesReturn) {
    VideoLayout soundOnly;
    soundOnly.pictures = false;
    soundOnly.soundLevel = 1800;
    soundOnly.frames = 4;
    std::string sound = makeVideo(soundOnly, "sound.avi");
    writeWholeFile(folder_.file("broken.avi"), "RIFF\x10\0\0\0AVI LIST garbage and more garbage");
    VideoLayout pictures;
    std::string whole = readWholeFile(makeVideo(pictures, "whole.avi"));
    // Cut in the middle of the frames: the stream breaks off mid-picture.
    writeWholeFile(folder_.file("cut.avi"), whole.substr(0, whole.size() * 6 / 10));
    DiskAudio audio(folder_);
    playVideo(sound.c_str());
    playVideo(folder_.file("cut.avi").c_str());
    playVideo(folder_.file("broken.avi").c_str());
    playVideo(folder_.file("missing.avi").c_str());
    playVideoLooped(folder_.file("missing.avi").c_str());
    captureWindow();
    std::vector<int16_t> heard = audio.finish();
    EXPECT_GE(framesAt(heard, 1800, 1800), size_t{4 * 2205 * 8 / 10});
    // The cut file showed its first frames, the sound-only file nothing.
    Rgb upper = frontPixel(160, 40);
    EXPECT_NEAR(upper.g, topColour(0).g, 2);
    EXPECT_NEAR(upper.b, topColour(0).b, 2);
}

}  // namespace
}  // namespace vorlan::test
