// Videos the tests make themselves, played into a real window (Mesa under
// Xvfb) with their sound going through the disk audio driver. The pictures
// are read back from the X server, so no other window may cover this one:
// these run serially.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>

#include "audio/sound_test_support.h"
#include "audio/test_videos.h"
#include "audio/video_window.h"
#include "support/subprocess.h"

// The cases name only the fields they change; the rest keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace vorlan::test {
namespace {

class Video : public VideoWindow {
  protected:
    std::string makeVideo(const VideoLayout& layout, const char* name) {
        std::string path = folder_.file(name).string();
        EXPECT_TRUE(writeVideo(path, layout));
        return path;
    }
    // What the X server shows in the window: Mesa here cannot read the
    // front buffer back.
    void captureWindow() {
        std::filesystem::path shot = folder_.file("shot.rgb");
        runCommand("import -window " + windowId() + " -depth 8 rgb:" + shot.string());
        shot_ = readWholeFile(shot);
        ASSERT_EQ(shot_.size(), size_t{320 * 240 * 3});
    }
    void expectPixel(int x, int y, Rgb want) const {
        const char* p = shot_.data() + (static_cast<size_t>(y) * 320 + static_cast<size_t>(x)) * 3;
        const int wanted[] = {want.r, want.g, want.b};
        for (int k = 0; k < 3; ++k) EXPECT_NEAR(uint8_t(p[k]), wanted[k], 2) << x << "," << y;
    }

    TempFolder folder_;
    std::string shot_;
};

TEST_F(Video, EveryFrameAppearsInTheCentredRectangleWithItsSound) {
    VideoLayout layout{.frames = 6, .soundLevel = 2500};
    std::string path = makeVideo(layout, "clip.avi");
    DiskAudio audio(folder_);
    GLuint marker = 0;
    glGenTextures(1, &marker);
    glBindTexture(GL_TEXTURE_2D, marker);
    glEnable(GL_BLEND);
    playVideo(path.c_str());
    captureWindow();
    // 16 x 16 in 320 x 240: 240 x 240 from x = 40, each pixel 15 x 15, the
    // last frame still shown. Corners, both sides of the colour edge, borders.
    const Rgb top = topColour(layout.frames - 1), bottom = bottomColour(), black{};
    const struct {
        int x, y;
        Rgb colour;
    } points[] = {{40, 0, top},    {279, 0, top},      {40, 239, bottom}, {279, 239, bottom},
                  {160, 112, top}, {160, 127, bottom}, {39, 100, black},  {280, 100, black}};
    for (const auto& p : points) expectPixel(p.x, p.y, p.colour);

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
    writeWholeFile(folder_.file("cut.avi"), whole.substr(0, whole.size() * 6 / 10));
    writeWholeFile(folder_.file("broken.avi"), "RIFF\x10\0\0\0AVI LIST garbage and more garbage");
    DiskAudio audio(folder_);
    playVideo(sound.c_str());
    for (const char* name : {"cut.avi", "broken.avi", "missing.avi"}) {
        playVideo(folder_.file(name).c_str());
    }
    playVideoLooped(folder_.file("missing.avi").c_str());
    captureWindow();
    EXPECT_GE(framesAt(audio.finish(), 1800, 1800), size_t{4 * 2205 * 8 / 10});
    // The cut file showed one of its first frames; the sound-only one nothing.
    expectPixel(160, 200, bottomColour());
}

}  // namespace
}  // namespace vorlan::test
