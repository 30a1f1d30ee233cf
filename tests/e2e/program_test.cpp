// The whole program in a real X server, driven by real X events: how it
// pauses and ends, what it says when misused, and the seed its start-up takes.
#include <gtest/gtest.h>

#include <vorlan/app.h>
#include <vorlan/value.h>

#include <cstdio>
#include <cstdlib>

#include "e2e/program_window.h"
#include "support/child_entry.h"
#include "value/random.h"

namespace vorlan::test {
namespace {

size_t count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

std::string endReport(int error) {
    return "-End On Line\r\n" + std::to_string(error) + "\r\n-1\r\n0\r\n0\r\n";
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
    struct Case {
        const char* what;
        std::vector<std::string> env, args;  // env(1)'s words before the program
        bool closeBox;
        int status;
        std::vector<std::string> lines;  // each once after "<program>: ", and no other
        int report;                      // the end report's error; -1: none
        std::string inLog = "", inOutput = "";
    };
    const Case cases[] = {
        {"failed loads, closed",
         {},
         {"debug", "where", "early", "load:sprite:missing.png:1", "load:background:" + jpeg,
          "load:font:" + wav + ":2", "load:sound:" + jpeg + ":3", "load:sprite:bush.png:70000",
          "load:sound:win.wav:500", "load:font:smalfont.bmp:40"},
         true,
         0,
         {missing, "cannot load background '" + jpeg + "': " + notPng,
          "cannot load font '" + wav + "' into font 2: " + notPng + "; the built-in font stands in",
          "cannot load sound '" + jpeg + "' into sound slot 3: not a WAV sound",
          "cannot load picture 'bush.png' into sprite 70000: slot number out of range (0 to 65535)",
          "cannot load sound 'win.wav' into sound slot 500: slot number out of range (0 to 127)",
          "cannot load font 'smalfont.bmp' into font 40: font number out of range (0 to 31)",
          "loadSprite called from configureRuntime, before the runtime started: it does nothing "
          "there; call it from gameMain()"},
         0,
         "",
         "cwd " + folder + "\n"},
        // Quiet, the log alone gets warnings; a fatal error is still said.
        {"quiet, a bad index",
         {"VORLAN_QUIET=1"},
         {"debug", "load:sprite:missing.png:1", "index10"},
         false,
         1,
         {"runtime error 9 (index out of range) in elementAt"},
         9,
         "probe_game: " + missing},
        // A replay draws what the seed it names gives; returning ends it.
        {"seeded", {"VORLAN_SEED=4294967295"}, {"draws"}, false, 0, {}, -1, "", drawsAfter(~0u)},
        {"no display",
         {"-u", "DISPLAY"},
         {},
         false,
         1,
         {"cannot open a window: no display (DISPLAY is not set)"},
         -1},
        // It must not spin without a window.
        {"a main() of its own",
         {"VORLAN_TEST_CHILD=OwnMain"},
         {},
         false,
         1,
         {"presentFrame called, but the runtime never started: the program has a main() of its "
          "own"},
         -1},
    };
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        bool ownMain = !c.env.empty() && c.env[0].starts_with("VORLAN_TEST_CHILD");
        ProgramRun run(ownMain ? self : buildBin() / "probe_game", c.args, c.env);
        if (c.closeBox) {
            // As a window manager sends it: WM_DELETE_WINDOW.
            ASSERT_TRUE(run.started());
            runCommand((buildBin() / "x_close_request").string() + " " + run.window());
        } else {
            run.launch();
        }
        EXPECT_EQ(run.process().waitForExit(60000), c.status);
        const std::string err = "\n" + run.process().errors();
        const std::string prefix =
            "\n" + (ownMain ? self.filename().string() : "probe_game") + ": ";
        EXPECT_EQ(count(err, prefix), c.lines.size()) << err;
        for (const std::string& line : c.lines)
            EXPECT_EQ(count(err, prefix + line), 1u) << line;
        EXPECT_EQ(count(run.log(), "-End On Line"), c.report < 0 ? 0u : 1u) << run.log();
        if (c.report >= 0) {
            EXPECT_NE(run.log().find(endReport(c.report)), std::string::npos);
        }
        EXPECT_NE(run.log().find(c.inLog), std::string::npos) << run.log();
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

TEST(StartupSeed, OnlyAWholeNumberReplacesTheClockAndAnythingElseIsLogged) {
    constexpr uint32_t kClock = 77;
    const std::pair<std::string, uint32_t> cases[] = {
        {"0", 0},        {"12345", 12345},       {"4294967295", 4294967295u},
        {"", kClock},    {"-1", kClock},         {"4294967296", kClock},
        {"12a", kClock}, {" 7", kClock},         {"7 ", kClock},
        {"1e3", kClock}, {"99999999999", kClock}};
    for (const auto& [value, seed] : cases) {
        TempFolder temp;
        setenv("VORLAN_SEED", value.c_str(), 1);
        EXPECT_EQ(startupSeed(kClock), seed) << "'" << value << "'";
        EXPECT_EQ(readWholeFile(temp.file("ErrorLog.txt")),
                  seed != kClock
                      ? ""
                      : "VORLAN_SEED ignored, not a whole number 0..4294967295: " + value + "\r\n");
    }
    unsetenv("VORLAN_SEED");
}

}  // namespace
}  // namespace vorlan::test
