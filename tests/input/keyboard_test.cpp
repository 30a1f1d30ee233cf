// The keyboard through real X key events (xdotool) in a real X server.
#include <chrono>
#include <cmath>
#include <filesystem>
#include <sstream>
#include <utility>

#include "input/input_window.h"
#include "platform/keyboard.h"
#include "support/temp_folder.h"

namespace vorlan::test {
namespace {

class Keyboard : public InputWindow {
  protected:
    // What readKeyChar reports over the frames of one press and release.
    static std::string typedBy(const std::string& keys, int heldFrames = 8) {
        std::string typed;
        for (auto [step, frames] : {std::pair{"keydown ", heldFrames}, std::pair{"keyup ", 4}}) {
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
    // Held past the server's auto-repeat delay (660 ms), a key still types once.
    EXPECT_EQ(typedBy("b", 60), "b");
    EXPECT_EQ(typedBy("alt+Return"), "") << "Alt+Enter is the fullscreen switch";
}

// Tapped all at once while nothing reads: each key is counted once under its
// name, its tap is seen once, and what the keys typed comes in order.
TEST_F(Keyboard, EveryNamedKeyAnswersToItsNameAndTapsBetweenReadsAreKept) {
    std::istringstream names(
        "a b c d e f g h i j k l m n o p q r s t u v w x y z 1 2 3 4 5 6 7 8 9 0 space Return "
        "BackSpace F1 F2 F3 F4 F5 F6 F7 F8 F9 F10 F11 F12 Up Down Left Right Prior Next Home End "
        "Insert Delete Escape Tab Shift_L Shift_R Control_L Control_R Alt_L Alt_R");
    const int codes[] = {
        kKeyA,         kKeyB,       kKeyC,         kKeyD,         kKeyE,          kKeyF,
        kKeyG,         kKeyH,       kKeyI,         kKeyJ,         kKeyK,          kKeyL,
        kKeyM,         kKeyN,       kKeyO,         kKeyP,         kKeyQ,          kKeyR,
        kKeyS,         kKeyT,       kKeyU,         kKeyV,         kKeyW,          kKeyX,
        kKeyY,         kKeyZ,       kKey1,         kKey2,         kKey3,          kKey4,
        kKey5,         kKey6,       kKey7,         kKey8,         kKey9,          kKey0,
        kKeySpace,     kKeyEnter,   kKeyBackspace, kKeyF1,        kKeyF2,         kKeyF3,
        kKeyF4,        kKeyF5,      kKeyF6,        kKeyF7,        kKeyF8,         kKeyF9,
        kKeyF10,       kKeyF11,     kKeyF12,       kKeyUp,        kKeyDown,       kKeyLeft,
        kKeyRight,     kKeyPageUp,  kKeyPageDown,  kKeyHome,      kKeyEnd,        kKeyInsert,
        kKeyDelete,    kKeyEscape,  kKeyTab,       kKeyLeftShift, kKeyRightShift, kKeyLeftCtrl,
        kKeyRightCtrl, kKeyLeftAlt, kKeyRightAlt};
    xdotool("key --delay 5 " + names.str());
    int hits[256] = {};
    std::string typed;
    EXPECT_TRUE(presentUntil([&] {
        for (int code : codes) hits[code] += keyHit(code);
        for (RtString c = readKeyChar(); c.length() > 0; c = readKeyChar()) typed += c.cStr();
        return hits[kKeyRightAlt] > 0;
    }));
    // xdotool presses the left-hand modifier along with a right-hand one.
    for (int code : {kKeyLeftShift, kKeyLeftCtrl, kKeyLeftAlt}) hits[code] -= 1;
    for (int code : codes) {
        std::string name;
        names >> name;
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
