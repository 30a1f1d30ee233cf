// The file requester in the real program: a real GTK dialog, driven with
// real X key events.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "support/focus_lock.h"
#include "support/run_process.h"
#include "support/subprocess.h"
#include "support/temp_folder.h"

namespace vorlan::test {
namespace {

class InputProgram : public testing::Test {
  protected:
    // Starts the probe and waits for the dialog with this title.
    void showDialog(const char* mode, const std::string& title) {
        // The dialog's settings stay in memory: no session bus here.
        setenv("GSETTINGS_BACKEND", "memory", 1);
        setenv("NO_AT_BRIDGE", "1", 1);
        probe_ = std::make_unique<Subprocess>(
            std::vector<std::string>{(buildBin() / "input_probe").string(), mode});
        ASSERT_TRUE(probe_->waitForLine("Init OK", 20000));
        // Away from the game's window, so that nothing but the runtime
        // gives it the focus back.
        runCommand("xdotool mousemove 0 0");
        std::string dialog = runCommand("timeout 20 xdotool search --sync --onlyvisible --name '^" +
                                        title + "$' | head -1");
        ASSERT_FALSE(dialog.empty()) << "no dialog named " << title;
        runCommand("xdotool windowfocus --sync " + dialog + "; sleep 0.5");
    }

    // The file the game got, and whether it went on afterwards in its own
    // folder.
    void expectResult(const std::string& file) {
        ASSERT_TRUE(probe_->waitForLine("file " + file, 20000)) << probe_->output();
        EXPECT_TRUE(probe_->waitForLine("after 20", 10000)) << "the game did not go on";
        EXPECT_EQ(runCommand("xdotool getwindowfocus getwindowpid"), std::to_string(probe_->pid()))
            << "the game's window did not get the focus back";
        EXPECT_TRUE(probe_->waitForLine("after 60", 10000));
        EXPECT_EQ(probe_->waitForExit(10000), 0);
        const std::string& out = probe_->output();
        std::string folder = "cwd " + std::filesystem::canonical(buildBin()).string() + "\n";
        size_t first = out.find(folder);
        ASSERT_NE(first, std::string::npos) << out;
        EXPECT_NE(out.find(folder, first + 1), std::string::npos) << "working directory changed";
    }

    FocusLock lock_;
    TempFolder temp_;
    std::unique_ptr<Subprocess> probe_;
};

TEST_F(InputProgram, OpenDialogReturnsTheTypedPath) {
    std::string picked = temp_.file("picked.txt").string();
    writeWholeFile(picked, "x");
    showDialog("open", "Open");
    runCommand("xdotool type --delay 30 '" + picked + "'; sleep 0.5; xdotool key Return");
    expectResult(picked);
}

TEST_F(InputProgram, SaveDialogReturnsANewPath) {
    std::string named = temp_.file("new name.txt").string();
    showDialog("save", "Save As");
    runCommand("xdotool key ctrl+a; xdotool type --delay 30 '" + named +
               "'; sleep 0.5; xdotool key Return");
    expectResult(named);
}

TEST_F(InputProgram, EscapeGivesNoFile) {
    showDialog("open", "Open");
    runCommand("xdotool key Escape");
    expectResult("NO_FILE");
}

TEST_F(InputProgram, TypedLineWithBackspaceComesBack) {
    probe_ = std::make_unique<Subprocess>(
        std::vector<std::string>{(buildBin() / "input_probe").string(), "line"});
    ASSERT_TRUE(probe_->waitForLine("editing", 20000));
    std::string window = runCommand("xdotool search --sync --onlyvisible --pid " +
                                    std::to_string(probe_->pid()) + " | head -1");
    runCommand("xdotool windowfocus --sync " + window + "; sleep 0.3");
    // Each key held for several frames, as a person types.
    for (const char* key : {"a", "b", "BackSpace", "c", "Return"}) {
        runCommand(std::string("xdotool keydown ") + key + "; sleep 0.1; xdotool keyup " + key +
                   "; sleep 0.05");
    }
    EXPECT_TRUE(probe_->waitForLine("line xac", 10000)) << probe_->output();
    EXPECT_EQ(probe_->waitForExit(10000), 0);
}

}  // namespace
}  // namespace vorlan::test
