// The whole program in a real X server, driven by real X events, and the
// seed its start-up takes from VORLAN_SEED.
#include <gtest/gtest.h>

#include <vorlan/value.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "e2e/program_window.h"
#include "support/run_process.h"
#include "value/random.h"

namespace vorlan::test {
namespace {

size_t framesShown(ProgramRun& run) {
    size_t count = 0;
    const std::string& out = run.process().output();
    for (size_t at = out.find("frame "); at != std::string::npos; at = out.find("frame ", at + 1)) {
        ++count;
    }
    return count;
}

TEST(Program, PausesWithoutFocusAndQuitsOnAltF4WhenEscapeDoesNot) {
    ProgramRun run(buildBin() / "probe_game", {"noesc"});
    // A log from an earlier run must be gone after start-up.
    writeWholeFile(run.temp().file("ErrorLog.txt"), "left by the last run\r\n");
    ASSERT_TRUE(run.started());
    EXPECT_EQ(run.log().find("left by the last run"), std::string::npos);
    run.focus();
    holdKeys("Escape");
    run.process().drain(1000);
    EXPECT_TRUE(run.process().running()) << "Escape quit although setEscQuits(0)";
    EXPECT_GT(framesShown(run), 0u);
    runCommand("xdotool windowfocus $(xwininfo -root | awk '/Window id:/{print $4}')");
    run.process().drain(300);
    auto title = [&] { return runCommand("xdotool getwindowname " + run.window()); };
    // A game that names no title is called by its program's name.
    EXPECT_EQ(title(), "probe_game <pause>");
    size_t framesWhenPaused = framesShown(run);
    run.process().drain(1000);
    EXPECT_EQ(framesShown(run), framesWhenPaused) << "frames went on while paused";
    run.focus();
    run.process().drain(1000);
    EXPECT_EQ(title(), "probe_game");
    EXPECT_GT(framesShown(run), framesWhenPaused);
    runCommand("xdotool key alt+F4");  // a tap, however short, is enough
    EXPECT_EQ(run.process().waitForExit(5000), 0);
}

// What the probe prints for its first three draws after this seeding.
std::string drawsAfter(uint32_t seed) {
    randomGenerator = {};
    seedGenerator(seed);
    double first = randomUpTo(1e9), second = randomUpTo(1e9), third = randomUpTo(1e9);
    char line[96];
    std::snprintf(line, sizeof line, "draws %.0f %.0f %.0f\n", first, second, third);
    return line;
}

TEST(Program, EndsWithCodeZeroOnErrorsTheCloseBoxOrReturningFromGameMain) {
    struct Case {
        std::vector<std::string> args, env;
        bool closeBox;
        std::string inLog;  // "": no end report
        std::string inOutput;
    };
    const std::string folder = std::filesystem::canonical(buildBin()).string();
    const Case cases[] = {
        {{"debug", "error9"}, {}, false, "-End On Line\r\n9\r\n-1\r\n0\r\n0\r\n", ""},
        {{"debug"}, {}, true, "-End On Line\r\n0\r\n-1\r\n0\r\n0\r\n", ""},
        // The program's own folder is the working directory.
        {{"where", "ret"}, {}, false, "", "cwd " + folder + "\n"},
        // A replay draws what the seed it names gives.
        {{"draws"}, {"VORLAN_SEED=4294967295"}, false, "", drawsAfter(4294967295u)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[0]);
        ProgramRun run(buildBin() / "probe_game", c.args, c.env);
        if (c.closeBox) {
            // As a window manager sends it: WM_DELETE_WINDOW.
            ASSERT_TRUE(run.started());
            runCommand((buildBin() / "x_close_request").string() + " " + run.window());
        } else {
            // These end a moment after start-up, perhaps before the window shows.
            run.launch();
            ASSERT_TRUE(run.process().waitForLine("Init OK", 20000));
        }
        EXPECT_EQ(run.process().waitForExit(10000), 0);
        const std::string& out = run.process().output();
        EXPECT_NE(out.find(c.inOutput), std::string::npos) << out;
        if (c.inLog.empty()) {
            EXPECT_EQ(run.log().find("-End On Line"), std::string::npos);
        } else {
            EXPECT_NE(run.log().find(c.inLog), std::string::npos) << run.log();
        }
        // The clock restarts at the end of start-up: making the window and
        // the first frame do not count.
        if (size_t at = out.find("elapsed "); at != std::string::npos) {
            EXPECT_LT(std::stod(out.substr(at + 8)), 1000.0);
        }
    }
}

TEST(StartupSeed, OnlyAWholeNumberReplacesTheClockAndAnythingElseIsLogged) {
    constexpr uint32_t kClock = 77;
    const struct {
        std::string value;
        uint32_t seed;
    } cases[] = {{"0", 0},        {"12345", 12345},       {"4294967295", 4294967295u},
                 {"", kClock},    {"-1", kClock},         {"4294967296", kClock},
                 {"12a", kClock}, {" 7", kClock},         {"7 ", kClock},
                 {"1e3", kClock}, {"99999999999", kClock}};
    for (const auto& c : cases) {
        TempFolder temp;
        setenv("VORLAN_SEED", c.value.c_str(), 1);
        EXPECT_EQ(startupSeed(kClock), c.seed) << "'" << c.value << "'";
        EXPECT_EQ(
            readWholeFile(temp.file("ErrorLog.txt")),
            c.seed != kClock
                ? ""
                : "VORLAN_SEED ignored, not a whole number 0..4294967295: " + c.value + "\r\n")
            << "'" << c.value << "'";
    }
    unsetenv("VORLAN_SEED");
}

}  // namespace
}  // namespace vorlan::test
