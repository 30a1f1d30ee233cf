// The whole program in a real X server, driven by real X events.
#include <gtest/gtest.h>

#include <vorlan/app.h>
#include <vorlan/input.h>
#include <vorlan/value.h>

#include <sstream>

#include "e2e/program_window.h"
#include "gfx2d/builtin_font.h"
#include "gfx2d/test_images.h"
#include "support/child_entry.h"
#include "support/focus_lock.h"
#include "value/random.h"
// Last: Xlib's macros (None, Bool, Status) break the headers above.
#include <X11/Xlib.h>

namespace vorlan::test {
namespace {

size_t count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

// What the probe prints for its first three draws after this seeding.
std::string drawsAfter(uint32_t seed) {
    randomGenerator = {};
    seedGenerator(seed);
    std::string line = "draws";
    for (int i = 0; i < 3; ++i) line += " " + std::to_string(int64_t(randomUpTo(1e9)));
    return line + "\n";
}

// As a window manager's close box asks: a WM_DELETE_WINDOW client message.
void requestClose(const std::string& window) {
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = std::stoul(window);
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
    XSendEvent(display, event.xclient.window, False, NoEventMask, &event);
    XCloseDisplay(display);
}

// A program with a main() of its own: the runtime never started.
VORLAN_TEST_CHILD(OwnMain) {
    for (;;) presentFrame();
}

// Misuse as a person meets it: one line on standard error for each cause,
// naming the file, the number or the call, and an exit status that tells
// the truth. The program's own folder is the working directory.
TEST(Program, EndsWithTheTrueStatusAndOneLineForEachMisuse) {
    TempFolder temp;
    writeWholeFile(temp.file("photo.jpg"), "\xFF\xD8\xFF\xE0 a JPEG's first bytes");
    const std::string jpeg = temp.file("photo.jpg").string();
    const std::string wav = (buildBin() / "win.wav").string();
    const std::string folder = std::filesystem::canonical(buildBin()).string();
    const std::string notPng = "not a BMP or PNG picture (libpng: Not a PNG file)";
    const std::string missing =
        "cannot load picture 'missing.png' into sprite 1: not found in " + folder;
    const std::string ignored = "VORLAN_SEED ignored, not a whole number 0..4294967295: ";
    struct Case {
        const char* what;
        std::vector<std::string> env, args;  // env(1)'s words before the program
        bool closeBox;
        int status;
        std::vector<std::string> lines;  // each once after "<program>: ", and no other
        int report;                      // the end report's error; -1: none
        std::string inLog = "", inOutput = "";
    };
    // clang-format off
    const std::vector<std::string> loads = {
        "debug", "where", "early", "load:sprite:missing.png:1", "load:background:" + jpeg,
        "load:font:" + wav + ":2", "load:sound:" + jpeg + ":3", "load:sprite:bush.png:70000",
        "load:sound:win.wav:500", "load:font:smalfont.bmp:40"};
    const Case cases[] = {
        {"failed loads, closed", {}, loads, true, 0, {missing,
          "cannot load background '" + jpeg + "': " + notPng,
          "cannot load font '" + wav + "' into font 2: " + notPng + "; the built-in font stands in",
          "cannot load sound '" + jpeg + "' into sound slot 3: not a WAV sound",
          "cannot load picture 'bush.png' into sprite 70000: slot number out of range (0 to 65535)",
          "cannot load sound 'win.wav' into sound slot 500: slot number out of range (0 to 127)",
          "cannot load font 'smalfont.bmp' into font 40: font number out of range (0 to 31)",
          "loadSprite called from configureRuntime, before the runtime started: it does nothing "
          "there; call it from gameMain()"}, 0, "", "cwd " + folder + "\n"},
        // Quiet, the log alone gets warnings; a fatal error is still said.
        {"quiet, a bad index", {"VORLAN_QUIET=1"}, {"debug", "load:sprite:missing.png:1", "index10"},
         false, 1, {"runtime error 9 (index out of range) in elementAt"}, 9, "probe_game: " + missing},
        // A replay draws what the seed it names gives; returning ends it.
        {"seeded", {"VORLAN_SEED=4294967295"}, {"draws"}, false, 0, {}, -1, "", drawsAfter(~0u)},
        // Anything but a whole number 0..4294967295 leaves the clock's seed.
        {"no seed", {"VORLAN_SEED="}, {"draws"}, false, 0, {}, -1, ignored + "\r\n"},
        {"seed '7 '", {"VORLAN_SEED=7 "}, {"draws"}, false, 0, {}, -1, ignored + "7 \r\n"},
        {"2^32", {"VORLAN_SEED=4294967296"}, {"draws"}, false, 0, {}, -1, ignored + "4294967296"},
        {"a size refused", {}, {"size=0x-5"}, false, 1, {"window size 0 x -5 at scale 0 refused: "
          "the width and height must be 1 or more, the scale 0 (automatic) or more"}, -1},
        {"a scale refused", {}, {"scale=-1"}, false, 1, {"window size 320 x 240 at scale -1 "
          "refused: the width and height must be 1 or more, the scale 0 (automatic) or more"}, -1},
        {"no display", {"-u", "DISPLAY"}, {}, false, 1,
         {"cannot open a window: no display (DISPLAY is not set)"}, -1},
        // It must not spin without a window.
        {"a main() of its own", {"VORLAN_TEST_CHILD=OwnMain"}, {}, false, 1,
         {"presentFrame called, but the runtime never started: the program has a main() of its own"}, -1},
    };
    // clang-format on
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        bool ownMain = !c.env.empty() && c.env[0].starts_with("VORLAN_TEST_CHILD");
        ProgramRun run(ownMain ? self : buildBin() / "probe_game", c.args, c.env);
        if (c.closeBox) {
            ASSERT_TRUE(run.started());
            requestClose(run.window());
        } else {
            run.launch();
        }
        EXPECT_EQ(run.process().waitForExit(60000), c.status);
        const std::string err = "\n" + run.process().errors();
        const std::string prefix =
            "\n" + (ownMain ? self.filename().string() : "probe_game") + ": ";
        EXPECT_EQ(count(err, prefix), c.lines.size()) << err;
        for (const std::string& line : c.lines) EXPECT_EQ(count(err, prefix + line), 1u) << line;
        const std::string report =
            "-End On Line\r\n" + std::to_string(c.report) + "\r\n-1\r\n0\r\n0";
        EXPECT_EQ(count(run.log(), "-End On Line"), c.report < 0 ? 0u : 1u) << run.log();
        EXPECT_TRUE(c.report < 0 || run.log().find(report) != std::string::npos) << run.log();
        EXPECT_NE(run.log().find(c.inLog), std::string::npos) << run.log();
        EXPECT_EQ(count(run.log(), "VORLAN_SEED"), count(c.inLog, "VORLAN_SEED")) << run.log();
        const std::string& out = run.process().output();
        EXPECT_NE(out.find(c.inOutput), std::string::npos) << out;
        // The clock restarts at the end of start-up: making the window and
        // the first frame do not count.
        if (size_t at = out.find("elapsed "); at != std::string::npos) {
            EXPECT_LT(std::stod(out.substr(at + 8)), 1000.0);
        }
    }
}

TEST(Program, PausesWithoutFocusAndQuitsOnAltF4WhenEscapeDoesNot) {
    ProgramRun run(buildBin() / "probe_game", {"noesc"});
    // A log from an earlier run must be gone after start-up.
    writeWholeFile(run.temp().file("ErrorLog.txt"), "left by the last run\r\n");
    ASSERT_TRUE(run.started());
    EXPECT_EQ(run.log().find("left by the last run"), std::string::npos);
    auto frames = [&] { return count(run.process().output(), "frame "); };
    auto title = [&] { return runCommand("xdotool getwindowname " + run.window()); };
    run.focus();
    holdKeys("Escape");
    // Frames go on after the Escape: it did not quit.
    size_t framesAfterEscape = frames();
    EXPECT_TRUE(
        eventually([&] { return run.process().drain(50), frames() > framesAfterEscape + 1; }));
    runCommand("xdotool windowfocus $(xwininfo -root | awk '/Window id:/{print $4}')");
    // A game that names no title is called by its program's name.
    EXPECT_TRUE(eventually([&] { return title() == "probe_game <pause>"; })) << title();
    run.process().drain(500);
    size_t framesWhenPaused = frames();
    run.process().drain(1000);
    EXPECT_EQ(frames(), framesWhenPaused) << "frames went on while paused";
    run.focus();
    EXPECT_TRUE(eventually([&] { return title() == "probe_game"; })) << title();
    EXPECT_TRUE(eventually([&] { return run.process().drain(50), frames() > framesWhenPaused; }));
    runCommand("xdotool key alt+F4");  // a tap, however short, is enough
    EXPECT_EQ(run.process().waitForExit(30000), 0);
}

TEST(LoadingScreen, CentredInTheFontBesideTheProgramOrTheBuiltinOne) {
    const char kText[] = "Loading...";
    PixelBuffer builtin;
    ASSERT_TRUE(makeBuiltinFontPicture(builtin));
    // 8 x 8 cells at ((320 - 80) / 2, (240 - 8) / 2), 16 x 16 at ((320 - 160) / 2, (240 - 16) / 2).
    auto text = [&](bool withFile, int x, int y) -> uint32_t {
        const int cell = withFile ? 16 : 8, left = withFile ? 80 : 120, top = withFile ? 112 : 116;
        if (x < left || x >= left + 10 * cell || y < top || y >= top + cell) return 0;
        const int code = kText[(x - left) / cell];
        if (withFile) return cellColour(code);
        const uint8_t* p = builtin.row(code / 16 * 8 + y - top) + (code % 16 * 8 + x % 8) * 4;
        return p[3] == 0 ? 0 : uint32_t(p[0]) << 16 | p[1] << 8 | p[2];
    };
    for (bool withFile : {false, true}) {
        SCOPED_TRACE(withFile ? "smalfont.bmp" : "built-in font");
        ProgramRun run(buildBin() / "probe_game", {"still"}, {}, true);
        if (withFile) writeWholeFile(run.temp().file("smalfont.bmp"), rgbaPng(cellFont(256, 128)));
        ASSERT_TRUE(run.started() && run.process().waitForLine("still", 60000));
        std::string wrong;  // the first pixel unlike the expected text
        eventually([&] {
            Picture screen = run.capture();
            wrong = screen.width * screen.height == 320 * 240 ? "" : "no 320 x 240 picture";
            for (int i = 0; i < 320 * 240 && wrong.empty(); ++i) {
                int x = i % 320, y = i / 320;
                if (screen.rgbAt(x, y) != text(withFile, x, y))
                    wrong = std::to_string(x) + "," + std::to_string(y);
            }
            return wrong.empty();
        });
        EXPECT_EQ(wrong, "");
    }
}

TEST(InputProgram, DialogsAndLineInputReturnWhatWasTypedAndTheGameGoesOn) {
    FocusLock lock;
    TempFolder temp;
    const std::string picked = temp.file("picked.txt").string();
    const std::string named = temp.file("new name.txt").string();
    writeWholeFile(picked, "x");
    // Each key of the line held for several frames, as a person types.
    std::string typeLine = "xdotool";
    for (std::string key : {"a", "b", "BackSpace", "c", "Return"}) {
        typeLine += " keydown " + key + " sleep 0.1 keyup " + key + " sleep 0.05";
    }
    // In the order the probe opens them.
    const struct {
        std::string dialog, keys, result;
    } cases[] = {
        {"", typeLine, "line xac"},
        {"Open", "xdotool type --delay 30 '" + picked + "'; sleep 0.5; xdotool key Return",
         "file " + picked},
        {"Save As",
         "xdotool key ctrl+a; xdotool type --delay 30 '" + named +
             "'; sleep 0.5; xdotool key Return",
         "file " + named},
        {"Open", "xdotool key Escape", "file NO_FILE"},
    };
    // The dialog's settings stay in memory: no session bus here.
    Subprocess probe({(buildBin() / "probe_game").string(), "dialogs"},
                     {"GSETTINGS_BACKEND=memory", "NO_AT_BRIDGE=1"});
    for (size_t step = 0; step < std::size(cases); ++step) {
        const auto& c = cases[step];
        SCOPED_TRACE(c.result);
        ASSERT_TRUE(probe.waitForLine("step " + std::to_string(step), 60000)) << probe.output();
        // Away from the game's window, so that nothing but the runtime gives
        // it the focus back.
        runCommand("xdotool mousemove 0 0");
        std::string target =
            c.dialog.empty()
                ? processWindow(probe.pid())
                : runCommand("timeout 20 xdotool search --sync --onlyvisible --name '^" + c.dialog +
                             "$' | head -1");
        ASSERT_FALSE(target.empty()) << "no window";
        runCommand("xdotool windowfocus --sync " + target + "; sleep 0.5; " + c.keys);

        ASSERT_TRUE(probe.waitForLine(c.result, 60000)) << probe.output();
        EXPECT_TRUE(probe.waitForLine("after " + std::to_string(step), 60000))
            << "the game did not go on";
        EXPECT_EQ(runCommand("xdotool getwindowfocus getwindowpid"), std::to_string(probe.pid()))
            << "the game's window does not have the focus";
    }
    EXPECT_EQ(probe.waitForExit(60000), 0);
    // The same working directory before and after each.
    const std::string folder = "cwd " + std::filesystem::canonical(buildBin()).string() + "\n";
    EXPECT_EQ(count(probe.output(), folder), 8u) << probe.output();
}

// xdotool's arguments for keys tapped for 5 ms, 20 ms apart.
std::string taps(const std::string& key, int times = 1) {
    std::string arguments;
    for (int i = 0; i < times; ++i) {
        arguments += " keydown " + key + " sleep 0.005 keyup " + key + " sleep 0.02";
    }
    return arguments;
}

// Nothing pressed or typed is lost while the game stalls 100 ms a frame.
TEST(InputProgram, TapsAndFastTypingIntoAStallingGameAllArrive) {
    FocusLock lock;
    Subprocess probe({(buildBin() / "probe_game").string(), "taps"});
    ASSERT_TRUE(probe.waitForLine("tapping", 60000));
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
        // How often keyDown ("down") or keyHit ("hit") reported the key.
        auto reports = [&](const std::string& what) {
            return int(count(probe.output(), "\n" + what + " " + std::to_string(c.code) + "\n"));
        };
        for (int tapped = c.burst ? c.taps : 1; tapped <= c.taps; ++tapped) {
            runCommand("xdotool" + taps(c.key, c.burst ? c.taps : 1));
            for (int ms = 0; ms < 60000 && reports("hit") < tapped; ms += 20) probe.drain(20);
        }
        probe.drain(300);  // a press counted twice would show by now
        const int downs = reports("down");
        EXPECT_EQ(reports("hit"), c.taps);
        // Each tap on its own is seen by keyDown in the frame after it.
        EXPECT_GE(downs, c.burst ? 1 : c.taps);
        EXPECT_LE(downs, c.taps);
    }
    runCommand("xdotool" + taps("F12"));
    ASSERT_TRUE(probe.waitForLine("editing", 60000)) << probe.output();
    const std::string sentence = "The quick brown fox, 12 jumps over the lazy dog!";
    runCommand("xdotool type --delay 5 '" + sentence + "'; xdotool" + taps("Return") +
               "; xdotool type --delay 5 abx; xdotool" + taps("BackSpace") +
               "; xdotool type --delay 5 c; xdotool" + taps("Return") + taps("Return"));
    ASSERT_TRUE(probe.waitForLine("line ", 60000)) << probe.output();  // the last, empty one
    std::vector<std::string> lines;
    std::istringstream output(probe.output());
    for (std::string line; std::getline(output, line);) {
        if (line.rfind("line ", 0) == 0) lines.push_back(line.substr(5));
    }
    EXPECT_EQ(lines, (std::vector<std::string>{sentence, "abc", ""}));
    runCommand("xdotool" + taps("Escape"));
    EXPECT_EQ(probe.waitForExit(60000), 0) << "an Escape tap did not end the game";
}

}  // namespace
}  // namespace vorlan::test
