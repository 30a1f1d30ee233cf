// The keyboard through real X key events (xdotool) in a real X server.
#include <cmath>
#include <filesystem>
#include <memory>

#include "input/input_window.h"
#include "support/temp_folder.h"

namespace vorlan::test {
namespace {

class Keyboard : public InputWindow {
  protected:
    void SetUp() override { startInput(false); }

    // The characters readKeyChar reports over a few frames.
    static std::string typedOverFrames(int frames) {
        std::string typed;
        for (int i = 0; i < frames; ++i) {
            typed += readKeyChar().cStr();
            presentFrame();
        }
        return typed;
    }
};

TEST_F(Keyboard, HeldKeysAnswerToEveryNumberWithTheirLowByte) {
    struct Case {
        const char* key;
        std::vector<double> codes;
    };
    const Case cases[] = {
        {"Up", {200, 200.7, 456, -56, -56.9}},
        {"Left", {203, 203 - 256}},
        {"Right", {205, 205 + 65536}},
        {"Down", {208}},
        {"Prior", {201}},
        {"w", {17, 17 + 256}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        xdotool(std::string("keydown ") + c.key);
        ASSERT_TRUE(presentUntil([&] { return keyDown(c.codes[0]) == 1; }));
        presentFrame();
        for (double code : c.codes) EXPECT_EQ(keyDown(code), 1) << code;
        // Beyond 32 bits a number names no key, whatever its low byte.
        for (double code : {std::nan(""), 4294967296.0 + c.codes[0], 1e300, -1e300}) {
            EXPECT_EQ(keyDown(code), 0) << code;
        }
        xdotool(std::string("keyup ") + c.key);
        EXPECT_TRUE(presentUntil([&] { return keyDown(c.codes[0]) == 0; }));
    }
}

TEST_F(Keyboard, ALoopOfKeyQueriesSeesTheKeyReleasedWithoutPresenting) {
    xdotool("keydown Up");
    ASSERT_TRUE(presentUntil([] { return keyDown(200) == 1; }));
    Subprocess releaser({"sh", "-c", "sleep 0.3; xdotool keyup Up"});
    int queries = 0;
    while (keyDown(200) == 1 && releaser.running()) ++queries;
    EXPECT_GT(queries, 0);
    ASSERT_EQ(releaser.waitForExit(5000), 0);
    // Once the key is up, the next queries must see it, frames or not.
    bool released = false;
    for (int i = 0; i < 100000 && !released; ++i) released = keyDown(200) == 0;
    EXPECT_TRUE(released);
}

TEST_F(Keyboard, EachPressTypesItsCharacterOnce) {
    struct Case {
        const char* keys;
        int presses;
        std::string typed;
    };
    const Case cases[] = {
        {"a", 2, "aa"},         {"shift+a", 1, "A"},   {"Return", 1, "\n"},
        {"BackSpace", 1, "\b"}, {"Escape", 1, ""},     {"Tab", 1, ""},
        {"shift+2", 1, "@"},    {"KP_Enter", 1, "\n"}, {"space", 2, "  "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        std::string typed;
        for (int press = 0; press < c.presses; ++press) {
            xdotool(std::string("keydown ") + c.keys);
            typed += typedOverFrames(8);
            xdotool(std::string("keyup ") + c.keys);
            typed += typedOverFrames(4);
        }
        EXPECT_EQ(typed, c.typed);
    }
}

TEST_F(Keyboard, TheLayoutDecidesTheCharacterAndTextBecomesLatin1) {
    runCommand("setxkbmap fr");
    struct Case {
        const char* keys;
        std::string typed;
    };
    // On this layout the key of "2" types an e acute, and Shift gives the
    // digit; the euro sign is beyond Latin-1 and types nothing.
    const Case cases[] = {{"eacute", "\xE9"}, {"shift+eacute", "2"}, {"a", "a"}, {"EuroSign", ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        xdotool(std::string("keydown ") + c.keys);
        std::string typed = typedOverFrames(8);
        xdotool(std::string("keyup ") + c.keys);
        typed += typedOverFrames(4);
        EXPECT_EQ(typed, c.typed);
    }
    runCommand("setxkbmap us");
}

TEST_F(Keyboard, WaitKeyReturnsOnceACharacterKeyIsPressed) {
    namespace fs = std::filesystem;
    fs::path marker = fs::temp_directory_path() / ("vorlan-waitkey-" + std::to_string(getpid()));
    fs::remove(marker);
    // Escape and the arrows type nothing: only the "x" ends the wait.
    // The "x" is pressed again (into our window) until waitKey has seen it,
    // so a focus taken away for a moment cannot hang the test.
    std::string done = marker.string() + ".done";
    Subprocess presser(
        {"sh", "-c",
         "sleep 0.2; xdotool key Up; xdotool keydown Escape; sleep 0.1; xdotool keyup Escape; "
         "touch " +
             marker.string() + "; for i in $(seq 50); do [ -e " + done +
             " ] && break; xdotool windowfocus " + window() +
             " keydown x; sleep 0.2; xdotool keyup x; done"});
    waitKey();
    EXPECT_TRUE(fs::exists(marker)) << "waitKey returned before the character key";
    writeWholeFile(done, "");
    presser.waitForExit(5000);
    fs::remove(marker);
    fs::remove(done);
}

}  // namespace
}  // namespace vorlan::test
