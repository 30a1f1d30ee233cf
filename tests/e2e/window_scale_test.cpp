// The window at whole-number scales on the 1280 x 1024 test screen.
#include <gtest/gtest.h>
#include <unistd.h>
#include <vorlan/sprites.h>

#include <array>
#include <cstdio>

#include "e2e/probe_pattern.h"
#include "e2e/program_window.h"
#include "gfx2d/game_window.h"
#include "platform/window.h"

namespace vorlan::test {
namespace {

// x, y, width, height on the screen.
using Geometry = std::array<int, 4>;

Geometry geometry(const std::string& window) {
    Geometry g{};
    std::string shell = runCommand("xdotool getwindowgeometry --shell " + window);
    std::sscanf(shell.c_str(), "WINDOW=%*d X=%d Y=%d WIDTH=%d HEIGHT=%d", &g[0], &g[1], &g[2],
                &g[3]);
    return g;
}

// "" once the capture is the 320 x 240 pattern at `scale` from (left, top)
// with black around it, else its last mismatch.
std::string shows(const std::function<Picture()>& capture, int scale, int left, int top) {
    std::string last;
    eventually([&] {
        Picture screen = capture();
        last = screen.width == 0 ? "no picture" : "";
        for (int i = 0; i < screen.width * screen.height && last.empty(); ++i) {
            int x = i % screen.width, y = i / screen.width;
            int sx = (x - left) / scale, sy = (y - top) / scale;
            uint32_t c = x >= left && y >= top && sx < 320 && sy < 240 ? patternColour(sx, sy) : 0;
            if (screen.rgbAt(x, y) != ((c & 0xFF) << 16 | (c & 0xFF00) | c >> 16)) {
                last = std::to_string(x) + "," + std::to_string(y);
            }
        }
        return last.empty();
    });
    return last;
}

// The probe drawing its pattern, alone in its folder for shot.bmp, and the
// sum of getPixel over its screen as expected.
struct PatternRun : ProgramRun {
    PatternRun(std::vector<std::string> env, std::vector<std::string> words = {"pattern"})
        : ProgramRun(buildBin() / "probe_game", words, env, true) {
        int64_t sum = 0;
        for (int i = 0; i < 320 * 240; ++i) sum += patternColour(i % 320, i / 320);
        const std::string line = "pattern " + std::to_string(sum);
        ok = started() && process().waitForLine(line, 60000);
    }
    std::string shows(int scale, int left, int top) {
        return test::shows([&] { return capture(); }, scale, left, top);
    }
    std::string shot() const { return readWholeFile(temp().file("shot.bmp")); }

    bool ok = false;
};

TEST(WindowScale, EachPixelABlockTheGameReadsTheSameAndThePointerMapsAtEveryScale) {
    // One program at a time: a window on top would show in the others' captures.
    std::string shot;
    {
        // Drawn straight, the window is the surface whatever the scale asked.
        PatternRun direct({"VORLAN_DIRECT=1", "VORLAN_SCALE=3"});
        ASSERT_TRUE(direct.ok);
        EXPECT_EQ(direct.shows(1, 0, 0), "");
        shot = direct.shot();
        // The saved screen is what was shown.
        EXPECT_EQ(meanDifference(loadPicture(direct.temp().file("shot.bmp")), direct.capture()), 0);
    }
    PatternRun three({"VORLAN_SCALE=3"}, {"pattern", "mouse"});
    ASSERT_TRUE(three.ok);
    EXPECT_EQ(three.shows(3, 0, 0), "");
    EXPECT_TRUE(three.shot() == shot);
    const std::string window = three.window();
    const Geometry windowed = geometry(window);
    EXPECT_EQ(windowed, (Geometry{160, 152, 960, 720}));  // centred
    // Window positions (x, y) and the surface pixel the game reads there:
    // outside the picture the pointer is held at its edge.
    auto pointAt = [&](std::initializer_list<std::array<int, 4>> points) {
        Geometry at = geometry(window);
        for (auto [x, y, surfaceX, surfaceY] : points) {
            runCommand("xdotool mousemove " + std::to_string(at[0] + x) + " " +
                       std::to_string(at[1] + y));
            std::string line = "mouse " + std::to_string(surfaceX) + " " + std::to_string(surfaceY);
            // The last position the game read, not an earlier one.
            EXPECT_TRUE(eventually([&] {
                three.process().drain(50);
                const std::string& out = three.process().output();
                size_t last = out.rfind("mouse ");
                return last != std::string::npos &&
                       out.compare(last, line.size() + 1, line + "\n") == 0;
            })) << line;
        }
    };
    pointAt({{1, 1, 0, 0}, {302, 152, 100, 50}, {959, 719, 319, 239}, {-40, 30, 0, 10}});

    three.focus();
    holdKeys("alt+Return");
    EXPECT_TRUE(eventually([&] { return geometry(window) == Geometry{0, 0, 1280, 1024}; }));
    // 1280 x 1024 holds the picture 4 times, 32 black rows above and below.
    EXPECT_EQ(three.shows(4, 0, 32), "");
    pointAt({{402, 234, 100, 50}, {1279, 1023, 319, 239}, {100, 5, 25, 0}});

    holdKeys("alt+Return");
    EXPECT_TRUE(eventually([&] { return geometry(window) == windowed; }));
    EXPECT_EQ(three.shows(3, 0, 0), "");
    // Resized by the player: still whole blocks, centred, black around.
    runCommand("xdotool windowsize " + window + " 1300 980");
    EXPECT_EQ(three.shows(4, 10, 10), "");
}

// The programs above copy the surface on the processor, as on any software
// renderer; here it is drawn with OpenGL, as on any other.
TEST(WindowScale, DrawnWithOpenGLTheSurfaceShowsTheSameAsCopied) {
    gameWindow = new GameWindow();
    ASSERT_TRUE(
        gameWindow->createSurface(320, 240, 0, 0, {.scale = 3, .copyOnSoftwareRenderer = false}));
    for (int i = 0; i < 320 * 240; ++i)
        plotPoint(i % 320, i / 320, patternColour(i % 320, i / 320));
    auto capture = [] {
        gameWindow->presentSurface();
        return loadPicture("x:" + processWindow(getpid()));
    };
    EXPECT_EQ(shows(capture, 3, 0, 0), "");
    platform::setWindowRect({100, 100, 1000, 800});
    EXPECT_EQ(shows(capture, 3, 20, 40), "");
    delete gameWindow;
    gameWindow = nullptr;
}

TEST(WindowScale, WindowsStayOnTheScreen) {
    const struct {
        std::vector<std::string> words, env;
        Geometry placed;
    } cases[] = {
        {{}, {"VORLAN_SCALE=0"}, {0, 32, 1280, 960}},           // the largest that fits
        {{"scale=2"}, {"VORLAN_SCALE=5"}, {0, 0, 1600, 1200}},  // the variable wins
        {{"size=1600x1200"}, {"VORLAN_SCALE=1"}, {0, 0, 1600, 1200}},
        {{"full"}, {"VORLAN_SCALE=3"}, {0, 0, 1280, 1024}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.words) + testing::PrintToString(c.env));
        ProgramRun run(buildBin() / "probe_game", c.words, c.env);
        ASSERT_TRUE(run.started());
        EXPECT_TRUE(eventually([&] { return geometry(run.window()) == c.placed; }))
            << testing::PrintToString(geometry(run.window()));
    }
}

}  // namespace
}  // namespace vorlan::test
