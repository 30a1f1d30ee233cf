// The window at whole-number scales, as the X server shows it: the picture,
// what the game reads back, the pointer, Alt+Enter, and where the window
// lands on the 1280 x 1024 test screen.
#include <gtest/gtest.h>
#include <unistd.h>
#include <vorlan/sprites.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "e2e/probe_pattern.h"
#include "e2e/program_window.h"
#include "gfx2d/game_window.h"
#include "platform/window.h"
#include "support/run_process.h"

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

// Polls until `done` holds, for at most 20 s.
bool eventually(const std::function<bool()>& done) {
    for (auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
         std::chrono::steady_clock::now() < end;) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

// The first pixel of the screen that is not the 320 x 240 pattern at
// `scale` from (left, top) with black around it; "" when there is none.
std::string mismatch(const WindowPicture& screen, int scale, int left, int top) {
    for (int y = 0; y < screen.height; ++y) {
        for (int x = 0; x < screen.width; ++x) {
            int sx = (x - left) / scale, sy = (y - top) / scale;
            int c = x >= left && y >= top && sx < 320 && sy < 240 ? patternColour(sx, sy) : 0;
            if (screen.at(x, y) != Colour{c & 0xFF, (c >> 8) & 0xFF, c >> 16}) {
                return std::to_string(x) + "," + std::to_string(y);
            }
        }
    }
    return screen.width == 0 ? "no picture" : "";
}

// The probe drawing its pattern, run from a folder of its own for shot.bmp.
struct PatternRun {
    explicit PatternRun(std::vector<std::string> env, std::vector<std::string> words = {}) {
        std::filesystem::copy_file(buildBin() / "probe_game", folder.file("probe_game"));
        words.push_back("pattern");
        run = std::make_unique<ProgramRun>(folder.file("probe_game"), words, env);
    }
    // Started, with the game's sum of getPixel over the screen as expected.
    bool started() {
        double sum = 0;
        for (int y = 0; y < 240; ++y) {
            for (int x = 0; x < 320; ++x) sum += patternColour(x, y);
        }
        char line[64];
        std::snprintf(line, sizeof line, "pattern %.0f", sum);
        return run->started() && run->process().waitForLine(line, 20000);
    }
    // The window once it shows the pattern as asked.
    WindowPicture shows(int scale, int left, int top) {
        WindowPicture screen;
        eventually([&] { return mismatch(screen = run->capture(), scale, left, top).empty(); });
        return screen;
    }
    std::string shot() const { return readWholeFile(folder.file("shot.bmp")); }

    TempFolder folder;
    std::unique_ptr<ProgramRun> run;
};

TEST(WindowScale, EachPixelABlockAndWhatTheGameReadsTheSameAtEveryScale) {
    // One program at a time: a window on top would show in the others' captures.
    WindowPicture straight;
    std::string shot;
    {
        // Drawn straight, the window is the surface whatever the scale asked.
        PatternRun direct({"VORLAN_DIRECT=1", "VORLAN_SCALE=3"});
        ASSERT_TRUE(direct.started());
        straight = direct.shows(1, 0, 0);
        EXPECT_EQ(mismatch(straight, 1, 0, 0), "");
        shot = direct.shot();
        ASSERT_FALSE(shot.empty());
        // The saved screen is what was shown.
        EXPECT_TRUE(pictureFile(direct.folder.file("shot.bmp"), direct.folder.path()).pixels ==
                    straight.pixels);
    }
    {
        PatternRun one({"VORLAN_SCALE=1"});
        ASSERT_TRUE(one.started());
        EXPECT_TRUE(one.shows(1, 0, 0).pixels == straight.pixels);
        EXPECT_TRUE(one.shot() == shot);
    }
    PatternRun three({"VORLAN_SCALE=3"});
    ASSERT_TRUE(three.started());
    EXPECT_EQ(mismatch(three.shows(3, 0, 0), 3, 0, 0), "");
    EXPECT_TRUE(three.shot() == shot);
    // Resized by the player: still whole blocks, centred, black around.
    const std::string& window = three.run->window();
    runCommand("xdotool windowsize " + window + " 1300 980");
    EXPECT_EQ(mismatch(three.shows(4, 10, 10), 4, 10, 10), "");
}

// In this process: the surface copied on the processor (what a software
// renderer does) and drawn with OpenGL (what any other does) look the same.
TEST(WindowScale, CopiedAndDrawnTheSurfaceShowsTheSame) {
    TempFolder scratch;
    for (bool copied : {true, false}) {
        SCOPED_TRACE(copied ? "copied" : "drawn");
        gameWindow = new GameWindow();
        ASSERT_TRUE(gameWindow->createSurface(
            320, 240, 0, 0, {.scale = 3, .offscreen = true, .copyOnSoftwareRenderer = copied}));
        for (int y = 0; y < 240; ++y) {
            for (int x = 0; x < 320; ++x) plotPoint(x, y, patternColour(x, y));
        }
        auto shows = [&](int scale, int left, int top) {
            WindowPicture screen;
            eventually([&] {
                gameWindow->presentSurface();
                // Looked up each time: the last loop's window may linger a moment.
                screen = captureWindow(processWindow(getpid()), scratch.path());
                return mismatch(screen, scale, left, top).empty();
            });
            return mismatch(screen, scale, left, top);
        };
        EXPECT_EQ(shows(3, 0, 0), "");
        platform::setWindowRect({100, 100, 1000, 800});
        EXPECT_EQ(shows(3, 20, 40), "");
        delete gameWindow;
        gameWindow = nullptr;
    }
}

TEST(WindowScale, PointerMapsToSurfacePixelsAndAltEnterSwitchesToFullscreenAndBack) {
    PatternRun three({"VORLAN_SCALE=3"}, {"mouse"});
    ASSERT_TRUE(three.started());
    const std::string window = three.run->window();
    const Geometry windowed = geometry(window);
    EXPECT_EQ(windowed, (Geometry{160, 152, 960, 720}));
    // Window positions (x, y) and the surface pixel the game reads there:
    // outside the picture the pointer is held at its edge.
    auto pointAt = [&](std::initializer_list<std::array<int, 4>> points) {
        Geometry at = geometry(window);
        for (auto [x, y, surfaceX, surfaceY] : points) {
            runCommand("xdotool mousemove " + std::to_string(at[0] + x) + " " +
                       std::to_string(at[1] + y));
            std::string line = "mouse " + std::to_string(surfaceX) + " " + std::to_string(surfaceY);
            // The last position the game read, not an earlier one.
            Subprocess& game = three.run->process();
            EXPECT_TRUE(eventually([&] {
                game.drain(50);
                const std::string& out = game.output();
                size_t last = out.rfind("mouse ");
                return last != std::string::npos &&
                       out.compare(last, line.size() + 1, line + "\n") == 0;
            })) << line;
        }
    };
    pointAt({{1, 1, 0, 0}, {302, 152, 100, 50}, {959, 719, 319, 239}, {-40, 30, 0, 10}});

    three.run->focus();
    holdKeys("alt+Return");
    EXPECT_TRUE(eventually([&] { return geometry(window) == Geometry{0, 0, 1280, 1024}; }));
    // 1280 x 1024 holds the picture 4 times, 32 black rows above and below.
    EXPECT_EQ(mismatch(three.shows(4, 0, 32), 4, 0, 32), "");
    pointAt({{402, 234, 100, 50}, {1279, 1023, 319, 239}, {100, 5, 25, 0}});

    holdKeys("alt+Return");
    EXPECT_TRUE(eventually([&] { return geometry(window) == windowed; }));
    EXPECT_EQ(mismatch(three.shows(3, 0, 0), 3, 0, 0), "");
}

TEST(WindowScale, BadSizesAreRefusedAndWindowsStayOnTheScreen) {
    TempFolder scratch;
    for (const char* refused : {"size=0x-5", "scale=-1"}) {
        ProcessResult r =
            runProcess({(buildBin() / "probe_game").string(), refused}, scratch.path());
        EXPECT_EQ(r.exitCode, 1) << refused;
        EXPECT_NE(r.err.find("refused"), std::string::npos) << r.err;
        EXPECT_EQ(r.out.find("Init OK"), std::string::npos) << refused;
    }
    const struct {
        std::vector<std::string> words, env;
        Geometry placed;
    } cases[] = {
        {{}, {"VORLAN_SCALE=1"}, {480, 392, 320, 240}},
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
