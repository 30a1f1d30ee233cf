// The file requester and line input in the real program: a real GTK dialog
// and the game's window, driven with real X key events.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "e2e/program_window.h"
#include "support/focus_lock.h"
#include "support/run_process.h"

namespace vorlan::test {
namespace {

TEST(InputProgram, DialogsAndLineInputReturnWhatWasTypedAndTheGameGoesOn) {
    FocusLock lock;
    TempFolder temp;
    const std::string picked = temp.file("picked.txt").string();
    const std::string named = temp.file("new name.txt").string();
    writeWholeFile(picked, "x");
    // The dialog's settings stay in memory: no session bus here.
    setenv("GSETTINGS_BACKEND", "memory", 1);
    setenv("NO_AT_BRIDGE", "1", 1);
    // Each key of the line held for several frames, as a person types.
    std::string typeLine;
    for (std::string key : {"a", "b", "BackSpace", "c", "Return"}) {
        typeLine +=
            "xdotool keydown " + key + "; sleep 0.1; xdotool keyup " + key + "; sleep 0.05; ";
    }
    const struct {
        std::string mode, dialog, keys, result;
    } cases[] = {
        {"open", "Open", "xdotool type --delay 30 '" + picked + "'; sleep 0.5; xdotool key Return",
         "file " + picked},
        {"save", "Save As",
         "xdotool key ctrl+a; xdotool type --delay 30 '" + named +
             "'; sleep 0.5; xdotool key Return",
         "file " + named},
        {"open", "Open", "xdotool key Escape", "file NO_FILE"},
        {"line", "", typeLine, "line xac"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.result);
        Subprocess probe({(buildBin() / "probe_game").string(), c.mode});
        ASSERT_TRUE(probe.waitForLine(c.dialog.empty() ? "editing" : "Init OK", 20000));
        // Away from the game's window, so that nothing but the runtime gives
        // it the focus back.
        runCommand("xdotool mousemove 0 0");
        std::string target =
            c.dialog.empty()
                ? processWindow(probe.pid())
                : runCommand("timeout 20 xdotool search --sync --onlyvisible --name '^" + c.dialog +
                             "$' | head -1");
        ASSERT_FALSE(target.empty()) << "no window for " << c.mode;
        runCommand("xdotool windowfocus --sync " + target + "; sleep 0.5; " + c.keys);

        ASSERT_TRUE(probe.waitForLine(c.result, 20000)) << probe.output();
        EXPECT_TRUE(probe.waitForLine("after 20", 10000)) << "the game did not go on";
        EXPECT_EQ(runCommand("xdotool getwindowfocus getwindowpid"), std::to_string(probe.pid()))
            << "the game's window does not have the focus";
        EXPECT_TRUE(probe.waitForLine("after 60", 10000));
        EXPECT_EQ(probe.waitForExit(10000), 0);
        // The same working directory before and after.
        const std::string& out = probe.output();
        std::string folder = "cwd " + std::filesystem::canonical(buildBin()).string() + "\n";
        size_t first = out.find(folder);
        ASSERT_NE(first, std::string::npos) << out;
        EXPECT_NE(out.find(folder, first + 1), std::string::npos) << "working directory changed";
    }
}

}  // namespace
}  // namespace vorlan::test
