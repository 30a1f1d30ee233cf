// The whole program in a real X server, driven by real X events.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "e2e/program_window.h"
#include "support/run_process.h"

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
    EXPECT_EQ(title(), "Quillowen <pause>");
    size_t framesWhenPaused = framesShown(run);
    run.process().drain(1000);
    EXPECT_EQ(framesShown(run), framesWhenPaused) << "frames went on while paused";
    run.focus();
    run.process().drain(1000);
    EXPECT_EQ(title(), "Quillowen");
    EXPECT_GT(framesShown(run), framesWhenPaused);
    holdKeys("alt+F4");
    EXPECT_EQ(run.process().waitForExit(5000), 0);
}

TEST(Program, EndsWithCodeZeroOnErrorsTheCloseBoxOrReturningFromGameMain) {
    struct Case {
        std::vector<std::string> args;
        bool closeBox;
        std::string inLog;  // "": no end report
        std::string inOutput;
    };
    const Case cases[] = {
        {{"debug", "error9"}, false, "-End On Line\r\n9\r\n-1\r\n0\r\n0\r\n", ""},
        {{"debug"}, true, "-End On Line\r\n0\r\n-1\r\n0\r\n0\r\n", ""},
        // The program's own folder is the working directory.
        {{"where", "ret"},
         false,
         "",
         "cwd " + std::filesystem::canonical(buildBin()).string() + "\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[0]);
        ProgramRun run(buildBin() / "probe_game", c.args);
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

}  // namespace
}  // namespace vorlan::test
