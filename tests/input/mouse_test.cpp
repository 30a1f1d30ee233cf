// The mouse through real pointer motion and clicks (xdotool) in a real X
// server, in the free and the captured modes.
#include <filesystem>
#include <utility>

#include "input/input_window.h"
#include "support/temp_folder.h"

namespace vorlan::test {
namespace {

class Mouse : public InputWindow {
  protected:
    // Moves the pointer to a point given relative to the window.
    void moveTo(int x, int y) {
        xdotool("mousemove --window " + window_ + " -- " + std::to_string(x) + " " +
                std::to_string(y));
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

class MouseDevice : public Mouse {
  protected:
    MouseDevice() { captureMouse_ = true; }
};

// The movement is the way from the position the runtime keeps to the
// pointer, saturating at the 16-bit ends; every read in a frame repeats it.
// The position is held inside the surface wherever the pointer is.
TEST_F(Mouse, MovementIsTheWayFromTheKeptPositionWhichStaysInsideTheSurface) {
    struct Case {
        double setX, setY;
        int moveX, moveY;
        double dx, dy, x, y;
    };
    const Case cases[] = {
        {0, 0, 50, 40, 50, 40, 50, 40},
        {100, 100, 50, 40, -50, -60, 50, 40},
        {300.9, 7.2, 10, 200, -290, 193, 10, 200},
        {-40000, 1e12, 50, 40, 32767, -32768, 50, 40},
        {0, 0, 400, 100, 400, 100, 319, 100},
        {0, 0, -60, 100, -60, 100, 0, 100},
        {0, 0, 100, 300, 100, 300, 100, 239},
        {0, 0, -30, -20, -30, -20, 0, 0},
        {0, 0, 319, 239, 319, 239, 319, 239},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.setX << "," << c.setY << " to " << c.moveX << "," << c.moveY);
        setMousePosition(c.setX, c.setY);
        moveTo(c.moveX, c.moveY);
        presentFrame();
        EXPECT_EQ(mouseAxis(0), c.dx);
        EXPECT_EQ(mouseAxis(1.5), c.dy);
        EXPECT_EQ(mouseAxis(0), c.dx) << "a later read in the same frame";
        expectPosition(c.x, c.y);
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
    struct Case {
        int screenX, screenY;
        double dx, dy, x, y;
    };
    for (Case c : {Case{230, 190, 30, -10, 130, 90}, Case{200, 400, 0, 200, 130, 239}}) {
        xdotool("mousemove " + std::to_string(c.screenX) + " " + std::to_string(c.screenY));
        presentFrame();
        EXPECT_EQ(mouseAxis(0), c.dx);
        EXPECT_EQ(mouseAxis(1), c.dy);
        expectPosition(c.x, c.y);
        EXPECT_EQ(pointerOnScreen(), "x:200 y:200");
    }
    // At the ends of the range the position saturates instead of wrapping.
    setMousePosition(3e9, -3e9);
    xdotool("mousemove 230 190");
    presentFrame();
    expectPosition(319, 0);
    // Freeing the pointer again leaves it where the user puts it.
    setPointerMode(1);
    moveTo(20, 30);
    presentFrame();
    EXPECT_NE(pointerOnScreen(), "x:200 y:200");
}

TEST_F(Mouse, WaitMouseClickReturnsAfterTheClickAndNotBefore) {
    moveTo(160, 120);
    TempFolder folder;
    std::string clicked = folder.file("clicked").string();
    Subprocess clicker(
        {"sh", "-c", "sleep 0.3; touch " + clicked + "; xdotool mousedown 1 sleep 0.1 mouseup 1"});
    EXPECT_EQ(waitMouseClick(), 1);
    EXPECT_TRUE(std::filesystem::exists(clicked)) << "returned before the click";
    EXPECT_EQ(clicker.waitForExit(60000), 0) << "so that no later test starts with the button down";
}

// Clicks that come and go while nothing reads: each is counted by mouseHit,
// and every read that reports the button sees it once.
TEST_F(Mouse, ClicksBetweenReadsAreCountedAndSeenOnce) {
    moveTo(160, 120);
    presentFrame();
    xdotool("click --repeat 3 --delay 20 1 click 3");
    double left = 0, right = 0;
    EXPECT_TRUE(presentUntil([&] {
        left += mouseHit(kMouseLeft);
        right += mouseHit(kMouseRight);
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
