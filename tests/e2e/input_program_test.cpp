// The file requester and line input in the real program: a real GTK dialog
// and the game's window, driven with real X key events.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "e2e/program_window.h"
#include "support/focus_lock.h"
#include "support/run_process.h"

namespace vorlan::test {
namespace {

class InputProgram : public testing::Test {
  protected:
    FocusLock lock_;
    TempFolder temp_;
};

TEST_F(InputProgram, TheDialogReturnsTheTypedPathOrNoFileAndTheGameGoesOn) {
    const std::string picked = temp_.file("picked.txt").string();
    const std::string named = temp_.file("new name.txt").string();
    writeWholeFile(picked, "x");
    // The dialog's settings stay in memory: no session bus here.
    setenv("GSETTINGS_BACKEND", "memory", 1);
    setenv("NO_AT_BRIDGE", "1", 1);
    const struct {
        std::string mode, title, keys, file;
    } cases[] = {
        {"open", "Open", "type --delay 30 '" + picked + "'; sleep 0.5; xdotool key Return", picked},
        {"save", "Save As",
         "key ctrl+a; xdotool type --delay 30 '" + named + "'; sleep 0.5; xdotool key Return",
         named},
        {"open", "Open", "key Escape", "NO_FILE"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode + " " + c.file);
        Subprocess probe({(buildBin() / "probe_game").string(), c.mode});
        ASSERT_TRUE(probe.waitForLine("Init OK", 20000));
        // Away from the game's window, so that nothing but the runtime gives
        // it the focus back.
        runCommand("xdotool mousemove 0 0");
        std::string dialog = runCommand("timeout 20 xdotool search --sync --onlyvisible --name '^" +
                                        c.title + "$' | head -1");
        ASSERT_FALSE(dialog.empty()) << "no dialog named " << c.title;
        runCommand("xdotool windowfocus --sync " + dialog + "; sleep 0.5; xdotool " + c.keys);

        ASSERT_TRUE(probe.waitForLine("file " + c.file, 20000)) << probe.output();
        EXPECT_TRUE(probe.waitForLine("after 20", 10000)) << "the game did not go on";
        EXPECT_EQ(runCommand("xdotool getwindowfocus getwindowpid"), std::to_string(probe.pid()))
            << "the game's window did not get the focus back";
        EXPECT_TRUE(probe.waitForLine("after 60", 10000));
        EXPECT_EQ(probe.waitForExit(10000), 0);
        // The same working directory before and after the dialog.
        const std::string& out = probe.output();
        std::string folder = "cwd " + std::filesystem::canonical(buildBin()).string() + "\n";
        size_t first = out.find(folder);
        ASSERT_NE(first, std::string::npos) << out;
        EXPECT_NE(out.find(folder, first + 1), std::string::npos) << "working directory changed";
    }
}

TEST_F(InputProgram, TypedLineWithBackspaceComesBack) {
    ProgramRun run(buildBin() / "probe_game", {"line"});
    ASSERT_TRUE(run.started());
    ASSERT_TRUE(run.process().waitForLine("editing", 20000));
    run.focus();
    // Each key held for several frames, as a person types.
    for (const char* key : {"a", "b", "BackSpace", "c", "Return"}) {
        holdKeys(key, 100);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_TRUE(run.process().waitForLine("line xac", 10000)) << run.process().output();
    EXPECT_EQ(run.process().waitForExit(10000), 0);
}

}  // namespace
}  // namespace vorlan::test
