// The whole program in a real X server, driven by real X key events.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "support/run_process.h"
#include "support/subprocess.h"
#include "support/temp_folder.h"

namespace vorlan::test {
namespace {

std::string binary(const std::string& name) {
    return (buildBin() / name).string();
}

void pauseMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

size_t countOf(const std::string& text, const std::string& word) {
    size_t count = 0;
    for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
        ++count;
    }
    return count;
}

// One run of a program: its own temporary folder (and so its own log),
// started and waited for until start-up has finished.
class ProgramRun {
  public:
    ProgramRun(const std::string& program, const std::vector<std::string>& args = {})
        : argv_{binary(program)} {
        argv_.insert(argv_.end(), args.begin(), args.end());
    }

    void launch() { process_ = std::make_unique<Subprocess>(argv_); }

    bool started() {
        if (!process_) launch();
        if (!process_->waitForLine("Init OK", 20000)) return false;
        window_ = runCommand("xdotool search --sync --onlyvisible --pid " +
                             std::to_string(process_->pid()) + " | head -1");
        return !window_.empty();
    }

    void focus() {
        runCommand("xdotool windowfocus --sync " + window_);
        pauseMs(200);
    }

    // Holds the keys down long enough for several frames to see them.
    void holdKeys(const std::string& keys) {
        runCommand("xdotool keydown " + keys + "; sleep 0.3; xdotool keyup " + keys);
    }

    std::string title() { return runCommand("xdotool getwindowname " + window_); }
    std::string geometry() {
        return runCommand("xwininfo -id " + window_ +
                          " | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w \"x\" h}'");
    }
    std::string log() { return readWholeFile(temp_.file("ErrorLog.txt")); }
    const std::string& window() const { return window_; }
    Subprocess& process() { return *process_; }
    TempFolder& temp() { return temp_; }

  private:
    TempFolder temp_;
    std::vector<std::string> argv_;
    std::unique_ptr<Subprocess> process_;
    std::string window_;
};

TEST(Program, StartsWithItsWindowAndQuitsOnEscape) {
    // A log from an earlier run must be gone after start-up.
    ProgramRun run("quillowen");
    writeWholeFile(run.temp().file("ErrorLog.txt"), "left by the last run\r\n");
    ASSERT_TRUE(run.started());
    EXPECT_EQ(run.title(), "Quillowen");
    EXPECT_EQ(run.geometry(), "320x240");
    EXPECT_EQ(run.log().find("left by the last run"), std::string::npos);

    run.focus();
    run.holdKeys("Escape");
    EXPECT_EQ(run.process().waitForExit(5000), 0);
}

TEST(Program, PausesWithoutFocusAndQuitsOnAltF4WhenEscapeDoesNot) {
    ProgramRun run("probe_game", {"noesc"});
    ASSERT_TRUE(run.started());
    run.focus();
    run.holdKeys("Escape");
    run.process().drain(1000);
    EXPECT_TRUE(run.process().running()) << "Escape quit although setEscQuits(0)";
    EXPECT_GT(countOf(run.process().output(), "frame "), 0u);
    std::string root = runCommand("xwininfo -root | awk '/Window id:/{print $4}'");
    runCommand("xdotool windowfocus " + root);
    run.process().drain(300);
    EXPECT_EQ(run.title(), "Quillowen <pause>");
    size_t framesWhenPaused = countOf(run.process().output(), "frame ");
    run.process().drain(1000);
    EXPECT_EQ(countOf(run.process().output(), "frame "), framesWhenPaused)
        << "frames went on while paused";
    run.focus();
    run.process().drain(1000);
    EXPECT_EQ(run.title(), "Quillowen");
    EXPECT_GT(countOf(run.process().output(), "frame "), framesWhenPaused);
    run.holdKeys("alt+F4");
    EXPECT_EQ(run.process().waitForExit(5000), 0);
}

TEST(Program, CloseBoxEndsTheProgramWithTheDebugReportOfErrorZero) {
    ProgramRun run("probe_game", {"debug"});
    ASSERT_TRUE(run.started());
    runCommand(binary("x_close_request") + " " + run.window());
    EXPECT_EQ(run.process().waitForExit(5000), 0);
    EXPECT_NE(run.log().find("-End On Line\r\n0\r\n-1\r\n0\r\n0\r\n"), std::string::npos)
        << run.log();
}

TEST(Program, EndsWithCodeZeroAfterErrorsOrReturningFromGameMain) {
    const std::string folder = std::filesystem::canonical(binary("")).string();
    struct Case {
        std::vector<std::string> args;
        std::string inLog;  // "": no end report
        std::string inOutput;
    };
    const Case cases[] = {
        {{"debug", "error9"}, "-End On Line\r\n9\r\n-1\r\n0\r\n0\r\n", ""},
        {{"error9"}, "", ""},
        {{"where", "ret"}, "", "cwd " + folder + "\n"},  // the program's own folder
    };
    for (const Case& c : cases) {
        ProgramRun run("probe_game", c.args);
        run.launch();
        ASSERT_TRUE(run.process().waitForLine("Init OK", 20000));
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
        size_t at = out.find("elapsed ");
        EXPECT_EQ(at != std::string::npos, !c.inOutput.empty()) << out;
        if (at != std::string::npos) {
            EXPECT_LT(std::stod(out.substr(at + 8)), 1000.0);
        }
    }
}

}  // namespace
}  // namespace vorlan::test
