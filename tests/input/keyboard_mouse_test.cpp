// The keyboard and the mouse through real X events (xdotool).
#include <array>
#include <cmath>
#include <filesystem>
#include <sstream>

#include "input/input_window.h"
#include "platform/keyboard.h"

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
        eventually([&] { return keyDown(codes[0]) == 0; }, 20000, 0);
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
    // Alt+Enter types nothing and switches to fullscreen; switched back, so
    // that the next test's window starts as a window.
    EXPECT_EQ(typedBy("key alt+Return"), "");
    EXPECT_TRUE(presentUntil([] { return gameWindow->fullscreen; }));
    xdotool("key alt+Return");
    EXPECT_TRUE(presentUntil([] { return !gameWindow->fullscreen; }));
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
    // clang-format off
    const int codes[] = {
        kKeyA, kKeyB, kKeyC, kKeyD, kKeyE, kKeyF, kKeyG, kKeyH, kKeyI, kKeyJ, kKeyK, kKeyL,
        kKeyM, kKeyN, kKeyO, kKeyP, kKeyQ, kKeyR, kKeyS, kKeyT, kKeyU, kKeyV, kKeyW, kKeyX,
        kKeyY, kKeyZ, kKey1, kKey2, kKey3, kKey4, kKey5, kKey6, kKey7, kKey8, kKey9, kKey0,
        kKeySpace, kKeyEnter, kKeyBackspace, kKeyF1, kKeyF2, kKeyF3, kKeyF4, kKeyF5, kKeyF6,
        kKeyF7, kKeyF8, kKeyF9, kKeyF10, kKeyF11, kKeyF12, kKeyUp, kKeyDown, kKeyLeft,
        kKeyRight, kKeyPageUp, kKeyPageDown, kKeyHome, kKeyEnd, kKeyInsert, kKeyDelete,
        kKeyEscape, kKeyTab, kKeyLeftShift, kKeyRightShift, kKeyLeftCtrl, kKeyRightCtrl,
        kKeyLeftAlt, kKeyRightAlt};
    // clang-format on
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
    std::string pressed = temp_.file("pressed").string();
    std::string seen = temp_.file("seen").string();
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

class Mouse : public InputWindow {
  protected:
    // Moves the pointer to a point given relative to the window, by way of
    // the point beside it: xdotool's --sync waits for a move, and the pointer
    // may already be there. Then the window's events are on their way.
    void moveTo(int x, int y) {
        std::string to = " " + std::to_string(x) + " " + std::to_string(y);
        xdotool("mousemove --window " + window_ + " -- " + std::to_string(x + 1) + " " +
                std::to_string(y) + " mousemove --sync --window " + window_ + " --" + to);
    }
    static std::string pointerOnScreen() {
        return runCommand("xdotool getmouselocation | cut -d' ' -f1,2");
    }
    static void expectPosition(double wantX, double wantY) {
        double x = -1, y = -1, left = -1, right = -1;
        readMouse(x, y, left, right);
        EXPECT_EQ(x, wantX);
        EXPECT_EQ(y, wantY);
        EXPECT_EQ(left, 0);
        EXPECT_EQ(right, 0);
    }
};

struct MouseDevice : Mouse {
    MouseDevice() { captureMouse_ = true; }
};

// The movement is the way from the position the runtime keeps to the
// pointer, saturating at the 16-bit ends; every read in a frame repeats it.
// The position is held inside the surface wherever the pointer is.
TEST_F(Mouse, MovementIsTheWayFromTheKeptPositionWhichStaysInsideTheSurface) {
    // Kept position, pointer moved to, movement read, position kept.
    const std::array<double, 8> cases[] = {{0, 0, 50, 40, 50, 40, 50, 40},
                                           {100, 100, 50, 40, -50, -60, 50, 40},
                                           {300.9, 7.2, 10, 200, -290, 193, 10, 200},
                                           {-40000, 1e12, 50, 40, 32767, -32768, 50, 40},
                                           {0, 0, 400, 100, 400, 100, 319, 100},
                                           {0, 0, -60, 100, -60, 100, 0, 100},
                                           {0, 0, 100, 300, 100, 300, 100, 239},
                                           {0, 0, -30, -20, -30, -20, 0, 0},
                                           {0, 0, 319, 239, 319, 239, 319, 239}};
    for (auto [setX, setY, moveX, moveY, dx, dy, x, y] : cases) {
        SCOPED_TRACE(testing::Message() << setX << "," << setY << " to " << moveX << "," << moveY);
        setMousePosition(setX, setY);
        moveTo(int(moveX), int(moveY));
        presentFrame();
        EXPECT_EQ(mouseAxis(0), dx);
        EXPECT_EQ(mouseAxis(1.5), dy);
        EXPECT_EQ(mouseAxis(0), dx) << "a later read in the same frame";
        expectPosition(x, y);
    }
    presentFrame();
    EXPECT_EQ(mouseAxis(0), 0) << "no movement in the next frame";
    for (double index : {-1.0, 6.0, 7.0, 1e300}) EXPECT_EQ(mouseAxis(index), 0);
    EXPECT_EQ(mouseAxis(2.9), 0) << "no wheel without the mouse device";
}

TEST_F(Mouse, CapturedWithoutTheDeviceTheMovementIsTheWayFromTheCapturePoint) {
    setPointerMode(0);
    presentFrame();
    mouseAxis(0);
    EXPECT_EQ(pointerOnScreen(), "x:200 y:200");
    setMousePosition(100, 100);
    // Pointer moved to on the screen, movement read, position kept.
    for (auto [to, dx, dy, x, y] :
         {std::tuple{"230 190", 30, -10, 130, 90}, {"200 400", 0, 200, 130, 239}}) {
        xdotool(std::string("mousemove --sync ") + to);
        presentFrame();
        EXPECT_EQ(mouseAxis(0), dx);
        EXPECT_EQ(mouseAxis(1), dy);
        expectPosition(x, y);
        EXPECT_EQ(pointerOnScreen(), "x:200 y:200");
    }
    // At the ends of the range the position saturates instead of wrapping.
    setMousePosition(3e9, -3e9);
    xdotool("mousemove --sync 230 190");
    presentFrame();
    expectPosition(319, 0);
    // Freeing the pointer again leaves it where the user puts it.
    setPointerMode(1);
    moveTo(20, 30);
    presentFrame();
    EXPECT_NE(pointerOnScreen(), "x:200 y:200");
}

// Clicks that come and go while nothing reads: each is counted by mouseHit,
// and every read that reports the button sees it once.
TEST_F(Mouse, WaitMouseClickWaitsForTheClickAndClicksBetweenReadsAreCountedAndSeenOnce) {
    moveTo(160, 120);
    std::string clicked = temp_.file("clicked").string();
    Subprocess clicker(
        {"sh", "-c", "sleep 0.3; touch " + clicked + "; xdotool mousedown 1 sleep 0.1 mouseup 1"});
    EXPECT_EQ(waitMouseClick(), 1);
    EXPECT_TRUE(std::filesystem::exists(clicked)) << "returned before the click";
    // SDL keeps the button state across windows: the next test's first
    // click would go unseen if this window missed the release.
    EXPECT_EQ(clicker.waitForExit(60000), 0);
    EXPECT_TRUE(presentUntil([] { return anyMouseButton() == 0; }));
    EXPECT_EQ(mouseHit(kMouseLeft), 1) << "the click waited for";
    xdotool("click --repeat 3 --delay 20 1 click 3");
    double left = 0, right = 0;
    EXPECT_TRUE(presentUntil([&] {
        // The right click came last: once it is read, every left one is too.
        right += mouseHit(kMouseRight);
        left += mouseHit(kMouseLeft);
        return right > 0;
    }));
    EXPECT_EQ(left, 3);
    EXPECT_EQ(right, 1);
    for (double button : {0.0, 4.0, -1.0, 1e300}) EXPECT_EQ(mouseHit(button), 0) << button;
    mouseAxis(0);  // a movement read leaves the clicks to the button reads
    EXPECT_EQ(mouseAxis(4), 1);
    EXPECT_EQ(mouseAxis(5), 0);
    double x, y, readLeft, readRight;
    readMouse(x, y, readLeft, readRight);
    EXPECT_EQ(readLeft, 1);
    EXPECT_EQ(readRight, 0) << "the right click was seen already";
    readMouse(x, y, readLeft, readRight);
    EXPECT_EQ(readLeft + anyMouseButton(), 0);
}

TEST_F(MouseDevice, CapturedDeviceReportsRelativeMovementAndWheelClicks) {
    moveTo(160, 120);
    presentFrame();
    mouseAxis(0);
    setMousePosition(100, 100);
    xdotool("mousemove_relative --sync -- 3 -2");
    EXPECT_TRUE(presentUntil([] { return mouseAxis(0) != 0; }));
    EXPECT_EQ(mouseAxis(0), 3);
    EXPECT_EQ(mouseAxis(1), -2);
    expectPosition(103, 98);
    for (auto [button, wheel] :
         {std::pair{"4", 1}, std::pair{"5", -1}, std::pair{"--repeat 2 4", 1}}) {
        SCOPED_TRACE(button);
        presentFrame();
        xdotool(std::string("click ") + button);
        EXPECT_TRUE(presentUntil([] { return mouseAxis(2) != 0; }));
        EXPECT_EQ(mouseAxis(2), wheel);
    }
}

}  // namespace
}  // namespace vorlan::test
