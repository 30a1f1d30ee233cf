// The keyboard through real X key events (xdotool) in a real X server.
#include <chrono>
#include <cmath>
#include <filesystem>
#include <map>
#include <utility>

#include "input/input_window.h"
#include "platform/keyboard.h"
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
    // the digit; the euro sign is beyond Latin-1 and types "?".
    const Case cases[] = {
        {"us", "a", "a"},          {"us", "shift+a", "A"},   {"us", "Return", "\n"},
        {"us", "BackSpace", "\b"}, {"us", "Escape", ""},     {"us", "Tab", ""},
        {"us", "shift+2", "@"},    {"us", "KP_Enter", "\n"}, {"us", "space", " "},
        {"fr", "a", "a"},          {"fr", "eacute", "\xE9"}, {"fr", "shift+eacute", "2"},
        {"fr", "EuroSign", "?"},
    };
    std::string layout = "us";
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.layout << " " << c.keys);
        if (layout != c.layout) runCommand("setxkbmap " + (layout = c.layout));
        EXPECT_EQ(typedBy(c.keys), c.typed);
    }
    runCommand("setxkbmap us");
}

// Tapped all at once while nothing reads: each key is counted once under its
// name, its tap is seen once, and what the keys typed comes in order.
TEST_F(Keyboard, EveryNamedKeyAnswersToItsNameAndTapsBetweenReadsAreKept) {
    const std::pair<const char*, int> keys[] = {{"a", kKeyA},
                                                {"b", kKeyB},
                                                {"c", kKeyC},
                                                {"d", kKeyD},
                                                {"e", kKeyE},
                                                {"f", kKeyF},
                                                {"g", kKeyG},
                                                {"h", kKeyH},
                                                {"i", kKeyI},
                                                {"j", kKeyJ},
                                                {"k", kKeyK},
                                                {"l", kKeyL},
                                                {"m", kKeyM},
                                                {"n", kKeyN},
                                                {"o", kKeyO},
                                                {"p", kKeyP},
                                                {"q", kKeyQ},
                                                {"r", kKeyR},
                                                {"s", kKeyS},
                                                {"t", kKeyT},
                                                {"u", kKeyU},
                                                {"v", kKeyV},
                                                {"w", kKeyW},
                                                {"x", kKeyX},
                                                {"y", kKeyY},
                                                {"z", kKeyZ},
                                                {"1", kKey1},
                                                {"2", kKey2},
                                                {"3", kKey3},
                                                {"4", kKey4},
                                                {"5", kKey5},
                                                {"6", kKey6},
                                                {"7", kKey7},
                                                {"8", kKey8},
                                                {"9", kKey9},
                                                {"0", kKey0},
                                                {"space", kKeySpace},
                                                {"Return", kKeyEnter},
                                                {"BackSpace", kKeyBackspace},
                                                {"F1", kKeyF1},
                                                {"F2", kKeyF2},
                                                {"F3", kKeyF3},
                                                {"F4", kKeyF4},
                                                {"F5", kKeyF5},
                                                {"F6", kKeyF6},
                                                {"F7", kKeyF7},
                                                {"F8", kKeyF8},
                                                {"F9", kKeyF9},
                                                {"F10", kKeyF10},
                                                {"F11", kKeyF11},
                                                {"F12", kKeyF12},
                                                {"Up", kKeyUp},
                                                {"Down", kKeyDown},
                                                {"Left", kKeyLeft},
                                                {"Right", kKeyRight},
                                                {"Prior", kKeyPageUp},
                                                {"Next", kKeyPageDown},
                                                {"Home", kKeyHome},
                                                {"End", kKeyEnd},
                                                {"Insert", kKeyInsert},
                                                {"Delete", kKeyDelete},
                                                {"Escape", kKeyEscape},
                                                {"Tab", kKeyTab},
                                                {"Shift_L", kKeyLeftShift},
                                                {"Shift_R", kKeyRightShift},
                                                {"Control_L", kKeyLeftCtrl},
                                                {"Control_R", kKeyRightCtrl},
                                                {"Alt_L", kKeyLeftAlt},
                                                {"Alt_R", kKeyRightAlt}};
    std::string names;
    for (auto [name, code] : keys) names += std::string(" ") + name;
    xdotool("key --delay 5" + names);
    std::map<int, int> hits;
    std::string typed;
    EXPECT_TRUE(presentUntil([&] {
        for (auto [name, code] : keys) hits[code] += keyHit(code);
        for (RtString c = readKeyChar(); c.length() > 0; c = readKeyChar()) typed += c.cStr();
        return hits[kKeyRightAlt] > 0;
    }));
    // xdotool presses the left-hand modifier along with a right-hand one.
    for (int code : {kKeyLeftShift, kKeyLeftCtrl, kKeyLeftAlt}) hits[code] -= 1;
    for (auto [name, code] : keys) {
        EXPECT_EQ(hits[code], 1) << name;
        EXPECT_EQ(keyDown(code), 1) << name << ": the tap is seen once";
        EXPECT_EQ(keyDown(code), 0) << name;
    }
    EXPECT_EQ(typed, "abcdefghijklmnopqrstuvwxyz1234567890 \n\b");
}

TEST(TypedText, Utf8BecomesLatin1AndAnythingElseOneQuestionMark) {
    const std::pair<std::string, std::string> cases[] = {
        {"a\xC3\xA9\xC3\xBF", "a\xE9\xFF"},      // e acute, y diaeresis
        {"\xE2\x82\xAC\xF0\x9F\x98\x80", "??"},  // beyond Latin-1
        {"\xC3", "?"},                           // cut short
        {"\xC3(\x80x\xFF", "?(?x?"},             // broken sequences cost a byte each
        {"\x01\ta\x7F", "a\x7F"}};               // control characters type nothing
    for (const auto& [utf8, latin1] : cases) {
        EXPECT_EQ(platform::latin1FromUtf8(utf8.c_str()), latin1) << utf8;
    }
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
