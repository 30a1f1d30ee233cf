// The whole program in a real X server, driven by real X events, and the
// seed its start-up takes from VORLAN_SEED.
#include <gtest/gtest.h>

#include <vorlan/app.h>
#include <vorlan/value.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "e2e/program_window.h"
#include "support/child_entry.h"
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

TEST(Program, EndsWithCodeZeroOnTheCloseBoxOrReturningFromGameMainAndOneOnErrors) {
    struct Case {
        std::vector<std::string> args, env;
        bool closeBox;
        std::string inLog;  // "": no end report
        std::string inOutput;
        int status = 0;
    };
    const std::string folder = std::filesystem::canonical(buildBin()).string();
    const Case cases[] = {
        {{"debug", "index10"}, {}, false, "-End On Line\r\n9\r\n-1\r\n0\r\n0\r\n", "", 1},
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
        EXPECT_EQ(run.process().waitForExit(10000), c.status);
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

// A program with a main() of its own: the runtime never started.
VORLAN_TEST_CHILD(OwnMain) {
    for (;;) presentFrame();
}

// Misuse as a person meets it: one line on standard error that names the
// file, the number or the call, and an exit status that tells the truth.
TEST(Program, MisuseGivesOneLineNamingTheCauseAndTheTrueExitStatus) {
    TempFolder temp;
    writeWholeFile(temp.file("photo.jpg"), "\xFF\xD8\xFF\xE0 a JPEG's first bytes");
    const std::string jpeg = temp.file("photo.jpg").string();
    const std::string wav = (buildBin() / "win.wav").string();
    const std::string folder = std::filesystem::canonical(buildBin()).string();
    const std::string probe = (buildBin() / "probe_game").string();
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    struct Case {
        std::vector<std::string> env;  // env(1)'s words before the program
        std::vector<std::string> args;
        std::string line;  // after "<program>: "; "" for none
        int status;
    };
    const Case cases[] = {
        {{},
         {"load:sprite:missing.png:1"},
         "cannot load picture 'missing.png' into sprite 1: not found in " + folder,
         0},
        {{},
         {"load:background:" + jpeg},
         "cannot load background '" + jpeg + "': not a BMP or PNG picture (libpng: Not a PNG file)",
         0},
        {{},
         {"load:font:" + wav + ":2"},
         "cannot load font '" + wav +
             "' into font 2: not a BMP or PNG picture (libpng: Not a PNG file); the built-in font "
             "stands in",
         0},
        {{},
         {"load:sound:" + jpeg + ":3"},
         "cannot load sound '" + jpeg + "' into sound slot 3: not a WAV sound",
         0},
        {{},
         {"load:sprite:bush.png:70000"},
         "cannot load picture 'bush.png' into sprite 70000: slot number out of range (0 to 65535)",
         0},
        {{},
         {"load:sound:win.wav:500"},
         "cannot load sound 'win.wav' into sound slot 500: slot number out of range (0 to 127)",
         0},
        {{},
         {"load:font:smalfont.bmp:40"},
         "cannot load font 'smalfont.bmp' into font 40: font number out of range (0 to 31)",
         0},
        {{"VORLAN_QUIET=1"}, {"load:sprite:missing.png:1"}, "", 0},
        {{},
         {"early"},
         "loadSprite called from configureRuntime, before the runtime started: it does nothing "
         "there; call it from gameMain()",
         0},
        {{}, {"index10"}, "runtime error 9 (index out of range) in elementAt", 1},
        {{"-u", "DISPLAY"}, {}, "cannot open a window: no display (DISPLAY is not set)", 1},
        // A main() of the program's own never starts the runtime; it must
        // not spin without a window.
        {{"VORLAN_TEST_CHILD=OwnMain"},
         {},
         "presentFrame called, but the runtime never started: the program has a main() of its "
         "own",
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.empty() ? c.env.back() : c.args.back());
        TempFolder log;
        bool ownMain = !c.env.empty() && c.env[0].starts_with("VORLAN_TEST_CHILD");
        std::vector<std::string> argv{"/usr/bin/env"};
        argv.insert(argv.end(), c.env.begin(), c.env.end());
        argv.push_back(ownMain ? self : probe);
        if (c.status == 0) argv.push_back("ret");
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        ProcessResult run = runProcess(argv, temp.path());
        EXPECT_EQ(run.exitCode, c.status) << run.err;
        const std::string prefix =
            ownMain ? self.substr(self.rfind('/') + 1) + ": " : "probe_game: ";
        size_t lines = 0;
        for (size_t at = run.err.find(prefix); at != std::string::npos;
             at = run.err.find(prefix, at + 1)) {
            ++lines;
        }
        EXPECT_EQ(lines, c.line.empty() ? 0u : 1u) << run.err;
        // Quiet, the log alone gets the line.
        const std::string& seen =
            c.line.empty() ? readWholeFile(log.file("ErrorLog.txt")) : run.err;
        EXPECT_NE(seen.find(prefix + (c.line.empty() ? "cannot load" : c.line)), std::string::npos)
            << seen;
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
