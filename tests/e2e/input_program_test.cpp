// The file requester and line input in the real program: a real GTK dialog
// and the game's window, driven with real X key events.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <vorlan/input.h>

#include "e2e/program_window.h"
#include "support/focus_lock.h"

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

// xdotool's arguments for keys tapped for 5 ms, 20 ms apart.
std::string taps(const std::string& key, int times = 1) {
    std::string arguments;
    for (int i = 0; i < times; ++i) {
        arguments += " keydown " + key + " sleep 0.005 keyup " + key + " sleep 0.02";
    }
    return arguments;
}

// How often the probe's keyDown and keyHit reported a key.
struct KeyReports {
    int downs = 0, hits = 0;
};
KeyReports reportsOf(const std::string& output, int code) {
    KeyReports reports;
    std::istringstream lines(output);
    for (std::string word; lines >> word;) {
        int key = 0, down = 0, hits = 0;
        if (word != "key" || !(lines >> key >> down >> hits) || key != code) continue;
        reports.downs += down;
        reports.hits += hits;
    }
    return reports;
}

// Nothing pressed or typed is lost while the game stalls 100 ms a frame.
TEST(InputProgram, TapsAndFastTypingIntoAStallingGameAllArrive) {
    FocusLock lock;
    Subprocess probe({(buildBin() / "probe_game").string(), "taps"});
    ASSERT_TRUE(probe.waitForLine("tapping", 20000));
    const std::string window = processWindow(probe.pid());
    ASSERT_FALSE(window.empty());
    runCommand("xdotool windowfocus --sync " + window);
    const struct {
        const char* key;
        int code, taps;
        bool burst;  // all taps at once, most of them within one frame
    } cases[] = {
        {"Up", kKeyUp, 3, false}, {"space", kKeySpace, 4, true}, {"Next", kKeyPageDown, 2, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        for (int tapped = c.burst ? c.taps : 1; tapped <= c.taps; ++tapped) {
            runCommand("xdotool" + taps(c.key, c.burst ? c.taps : 1));
            for (int ms = 0; ms < 20000 && reportsOf(probe.output(), c.code).hits < tapped;
                 ms += 20) {
                probe.drain(20);
            }
        }
        probe.drain(300);  // a press counted twice would show by now
        KeyReports reports = reportsOf(probe.output(), c.code);
        EXPECT_EQ(reports.hits, c.taps);
        // Each tap on its own is seen by keyDown in the frame after it.
        EXPECT_GE(reports.downs, c.burst ? 1 : c.taps);
        EXPECT_LE(reports.downs, c.taps);
    }
    runCommand("xdotool" + taps("F12"));
    ASSERT_TRUE(probe.waitForLine("editing", 10000)) << probe.output();
    const std::string sentence = "The quick brown fox, 12 jumps over the lazy dog!";
    runCommand("xdotool type --delay 5 '" + sentence + "'; xdotool" + taps("Return") +
               "; xdotool type --delay 5 abx; xdotool" + taps("BackSpace") +
               "; xdotool type --delay 5 c; xdotool" + taps("Return") + taps("Return"));
    ASSERT_TRUE(probe.waitForLine("line ", 20000)) << probe.output();  // the last, empty one
    std::vector<std::string> lines;
    std::istringstream output(probe.output());
    for (std::string line; std::getline(output, line);) {
        if (line.rfind("line ", 0) == 0) lines.push_back(line.substr(5));
    }
    EXPECT_EQ(lines, (std::vector<std::string>{sentence, "abc", ""}));
    runCommand("xdotool" + taps("Escape"));
    EXPECT_EQ(probe.waitForExit(10000), 0) << "an Escape tap did not end the game";
}

}  // namespace
}  // namespace vorlan::test
