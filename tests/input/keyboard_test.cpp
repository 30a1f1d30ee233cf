// The keyboard through real X key events (xdotool) in a real X server.
#include <chrono>
#include <cmath>
#include <filesystem>
#include <utility>

#include "input/input_window.h"
#include "support/temp_folder.h"

namespace vorlan::test {
namespace {

class Keyboard : public InputWindow {
  protected:
    // What readKeyChar reports over the frames of one press and release.
    static std::string typedBy(const std::string& keys) {
        std::string typed;
        for (auto [step, frames] : {std::pair{"keydown ", 8}, std::pair{"keyup ", 4}}) {
            xdotool(step + keys);
            for (int frame = 0; frame < frames; ++frame) {
                typed += readKeyChar().cStr();
                presentFrame();
            }
        }
        return typed;
    }
};

TEST_F(Keyboard, HeldKeysAnswerToTheirLowByteAndQueriesAloneSeeTheRelease) {
    struct Case {
        const char* key;
        std::vector<double> codes;
    };
    const Case cases[] = {{"Up", {200, 200.7, 456, -56, -56.9}},
                          {"Left", {203, 203 - 256}},
                          {"Right", {205, 205 + 65536}},
                          {"Down", {208}},
                          {"w", {17, 17 + 256}}};
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
        // A busy loop that never presents a frame must still see the release.
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (keyDown(c.codes[0]) == 1 && std::chrono::steady_clock::now() < deadline) {
        }
        EXPECT_EQ(keyDown(c.codes[0]), 0);
    }
}

TEST_F(Keyboard, TheLayoutDecidesTheCharacterAndTextBecomesLatin1) {
    struct Case {
        const char* layout;
        const char* keys;
        std::string typed;  // one press, however many frames it is held
    };
    // On the French layout the key of "2" types an e acute and Shift gives
    // the digit; the euro sign is beyond Latin-1 and types nothing.
    const Case cases[] = {
        {"us", "a", "a"},          {"us", "shift+a", "A"},   {"us", "Return", "\n"},
        {"us", "BackSpace", "\b"}, {"us", "Escape", ""},     {"us", "Tab", ""},
        {"us", "shift+2", "@"},    {"us", "KP_Enter", "\n"}, {"us", "space", " "},
        {"fr", "a", "a"},          {"fr", "eacute", "\xE9"}, {"fr", "shift+eacute", "2"},
        {"fr", "EuroSign", ""},
    };
    std::string layout = "us";
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.layout << " " << c.keys);
        if (layout != c.layout) runCommand("setxkbmap " + (layout = c.layout));
        EXPECT_EQ(typedBy(c.keys), c.typed);
    }
    runCommand("setxkbmap us");
}

TEST_F(Keyboard, WaitKeyReturnsOnceACharacterKeyIsPressed) {
    TempFolder folder;
    std::string pressed = folder.file("pressed").string();
    std::string seen = folder.file("seen").string();
    // Escape and the arrows type nothing: only the "x" ends the wait. The "x"
    // is pressed into our window until waitKey has seen it, so a focus taken
    // away for a moment cannot hang the test.
    Subprocess presser({"sh", "-c",
                        "sleep 0.2; xdotool key Up; xdotool keydown Escape; sleep 0.1; "
                        "xdotool keyup Escape; touch " +
                            pressed + "; for i in $(seq 50); do [ -e " + seen +
                            " ] && break; xdotool windowfocus " + window_ +
                            " keydown x; sleep 0.2; xdotool keyup x; done"});
    waitKey();
    EXPECT_TRUE(std::filesystem::exists(pressed)) << "waitKey returned before the character key";
    writeWholeFile(seen, "");
    presser.waitForExit(5000);
}

}  // namespace
}  // namespace vorlan::test
