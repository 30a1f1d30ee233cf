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

using Keyboard = InputWindow;

TEST_F(Keyboard, HeldKeysAnswerToTheirLowByteAndQueriesAloneSeeTheRelease) {
    const std::pair<const char*, std::vector<double>> cases[] = {
        {"Up", {200, 200.7, 456, -56, -56.9}},
        {"Left", {203, 203 - 256}},
        {"Right", {205, 205 + 65536}},
        {"w", {17, 17 + 256}}};
    for (const auto& [key, codes] : cases) {
        SCOPED_TRACE(key);
        xdotool(std::string("keydown ") + key);
        ASSERT_TRUE(presentUntil([&] { return keyDown(codes[0]) == 1; }));
        presentFrame();
        for (double code : codes) EXPECT_EQ(keyDown(code), 1) << code;
        // Beyond 32 bits a number names no key, whatever its low byte.
        for (double code : {std::nan(""), 4294967296.0 + codes[0], 1e300, -1e300}) {
            EXPECT_EQ(keyDown(code), 0) << code;
        }
        xdotool(std::string("keyup ") + key);
        // A busy loop that never presents a frame must still see the release.
        auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (keyDown(codes[0]) == 1 && std::chrono::steady_clock::now() < end) {
        }
        EXPECT_EQ(keyDown(codes[0]), 0);
    }
}

// What readKeyChar reports for xdotool's key commands, read frame by frame
// until the "x" typed after them arrives.
std::string typedBy(const std::string& commands) {
    xdotool(commands + " key x");
    std::string typed;
    presentUntil([&] {
        for (RtString c = readKeyChar(); c.length() > 0; c = readKeyChar()) typed += c.cStr();
        return !typed.empty() && typed.back() == 'x';
    });
    EXPECT_TRUE(!typed.empty() && typed.back() == 'x') << typed;
    return typed.empty() ? typed : typed.substr(0, typed.size() - 1);
}

TEST_F(Keyboard, TheLayoutDecidesTheCharacterAndTextBecomesLatin1) {
    struct Case {
        const char* layout;
        const char* keys;
        std::string typed;
    };
    // On the French layout the key of "2" types an e acute and Shift gives
    // the digit; the euro sign is beyond Latin-1 and types "?".
    const Case cases[] = {
        {"us", "a", "a"},          {"us", "shift+a", "A"},      {"us", "Return", "\n"},
        {"us", "BackSpace", "\b"}, {"us", "Escape", ""},        {"us", "Tab", ""},
        {"us", "shift+2", "@"},    {"us", "KP_Enter", "\n"},    {"fr", "a", "a"},
        {"fr", "eacute", "\xE9"},  {"fr", "shift+eacute", "2"}, {"fr", "EuroSign", "?"},
    };
    std::string layout = "us";
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.layout << " " << c.keys);
        if (layout != c.layout) runCommand("setxkbmap " + (layout = c.layout));
        EXPECT_EQ(typedBy(std::string("keydown ") + c.keys + " sleep 0.1 keyup " + c.keys),
                  c.typed);
    }
    runCommand("setxkbmap us");
    // Held past the server's auto-repeat delay (660 ms), a key still types once.
    EXPECT_EQ(typedBy("keydown b sleep 1.5 keyup b"), "b");
    EXPECT_EQ(typedBy("key alt+Return"), "") << "Alt+Enter is the fullscreen switch";
    const std::pair<std::string, std::string> text[] = {
        {"a\xC3\xA9\xC3\xBF", "a\xE9\xFF"},      // e acute, y diaeresis
        {"\xE2\x82\xAC\xF0\x9F\x98\x80", "??"},  // beyond Latin-1
        {"\xC3", "?"},                           // cut short
        {"\xC3(\x80x\xFF", "?(?x?"},             // broken sequences cost a byte each
        {"\x01\ta\x7F", "a\x7F"}};               // control characters type nothing
    for (const auto& [utf8, latin1] : text) {
        EXPECT_EQ(platform::latin1FromUtf8(utf8.c_str()), latin1) << utf8;
    }
}

// Tapped all at once while nothing reads: each key is counted once under
// its name, and its tap is seen once.
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
    EXPECT_TRUE(presentUntil([&] {
        for (int code : codes) hits[code] += keyHit(code);
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
}

TEST_F(Keyboard, WaitKeyReturnsOnceACharacterKeyIsPressed) {
    TempFolder folder;
    std::string pressed = folder.file("pressed").string();
    std::string seen = folder.file("seen").string();
    // Escape and the arrows type nothing: only the "x" ends the wait. The "x"
    // is pressed into our window until waitKey has seen it, so a focus taken
    // away for a moment cannot hang the test.
    Subprocess presser({"sh", "-c",
                        "xdotool key Up keydown Escape sleep 0.1 keyup Escape; touch " + pressed +
                            "; for i in $(seq 100); do [ -e " + seen +
                            " ] && break; xdotool windowfocus " + window_ +
                            " keydown x sleep 0.2 keyup x; done"});
    waitKey();
    EXPECT_TRUE(std::filesystem::exists(pressed)) << "waitKey returned before the character key";
    writeWholeFile(seen, "");
    EXPECT_EQ(presser.waitForExit(60000), 0);
}

}  // namespace
}  // namespace vorlan::test
