// The mouse through real pointer motion and clicks (xdotool) in a real X
// server, in the free and the captured modes.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <sstream>

#include "input/input_window.h"

namespace vorlan::test {
namespace {

class Mouse : public InputWindow {
  protected:
    void SetUp() override {
        startInput(captureMouse_);
        std::istringstream shell(runCommand("xdotool getwindowgeometry --shell " + window()));
        std::string line;
        while (std::getline(shell, line)) {
            if (line.rfind("X=", 0) == 0) left_ = std::stoi(line.substr(2));
            if (line.rfind("Y=", 0) == 0) top_ = std::stoi(line.substr(2));
        }
    }

    // Moves the pointer to a point given relative to the window.
    void moveTo(int x, int y) {
        xdotool("mousemove " + std::to_string(left_ + x) + " " + std::to_string(top_ + y));
    }
    static std::string pointerOnScreen() {
        return runCommand("xdotool getmouselocation | cut -d' ' -f1,2");
    }
    // A new frame, so that the next read takes fresh movement.
    static void nextFrame() { presentFrame(); }

    bool captureMouse_ = false;
    int left_ = 0;
    int top_ = 0;
};

class MouseDevice : public Mouse {
  protected:
    void SetUp() override {
        captureMouse_ = true;
        Mouse::SetUp();
    }
};

TEST_F(Mouse, PositionIsHeldInsideTheSurfaceWhereverThePointerIs) {
    struct Case {
        int x, y;
        double readX, readY;
    };
    const Case cases[] = {
        {50, 40, 50, 40},     {400, 100, 319, 100}, {-60, 100, 0, 100},
        {100, 300, 100, 239}, {-30, -20, 0, 0},     {319, 239, 319, 239},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        moveTo(c.x, c.y);
        nextFrame();
        double x = -1, y = -1, l = -1, r = -1;
        readMouse(x, y, l, r);
        EXPECT_EQ(x, c.readX);
        EXPECT_EQ(y, c.readY);
        EXPECT_EQ(l, 0);
        EXPECT_EQ(r, 0);
    }
}

TEST_F(Mouse, MovementIsTheWayFromTheSetPositionAndRepeatsWithinAFrame) {
    struct Case {
        double setX, setY;
        int moveX, moveY;
    };
    // Far-off positions: the way there saturates at the 16-bit ends.
    const Case cases[] = {
        {0, 0, 50, 40}, {100, 100, 50, 40}, {300.9, 7.2, 10, 200}, {-40000, 1e12, 50, 40}};
    for (const Case& c : cases) {
        setMousePosition(c.setX, c.setY);
        moveTo(c.moveX, c.moveY);
        nextFrame();
        double dx =
            std::clamp(c.moveX - std::trunc(std::clamp(c.setX, -2147483648.0, 2147483647.0)),
                       -32768.0, 32767.0);
        double dy =
            std::clamp(c.moveY - std::trunc(std::clamp(c.setY, -2147483648.0, 2147483647.0)),
                       -32768.0, 32767.0);
        EXPECT_EQ(mouseAxis(0), dx);
        EXPECT_EQ(mouseAxis(1.5), dy);
        // Later reads in the same frame see the same movement.
        EXPECT_EQ(mouseAxis(0), dx);
        double x, y, l, r;
        readMouse(x, y, l, r);
        EXPECT_EQ(x, c.moveX);
        EXPECT_EQ(y, c.moveY);
        nextFrame();
        EXPECT_EQ(mouseAxis(0), 0) << "no movement in the next frame";
    }
    for (double index : {-1.0, 6.0, 7.0, 1e300}) EXPECT_EQ(mouseAxis(index), 0);
    EXPECT_EQ(mouseAxis(2.9), 0) << "no wheel without the mouse device";
}

TEST_F(Mouse, CapturedWithoutTheDeviceTheMovementIsTheWayFromTheCapturePoint) {
    setPointerMode(0);
    nextFrame();
    mouseAxis(0);
    EXPECT_EQ(pointerOnScreen(), "x:200 y:200");
    setMousePosition(100, 100);
    struct Case {
        int screenX, screenY;
        double dx, dy, x, y;
    };
    const Case cases[] = {{230, 190, 30, -10, 130, 90}, {200, 400, 0, 200, 130, 239}};
    for (const Case& c : cases) {
        xdotool("mousemove " + std::to_string(c.screenX) + " " + std::to_string(c.screenY));
        nextFrame();
        EXPECT_EQ(mouseAxis(0), c.dx);
        EXPECT_EQ(mouseAxis(1), c.dy);
        double x, y, l, r;
        readMouse(x, y, l, r);
        EXPECT_EQ(x, c.x);
        EXPECT_EQ(y, c.y);
        EXPECT_EQ(pointerOnScreen(), "x:200 y:200");
    }
    // At the ends of the range the position saturates instead of wrapping.
    setMousePosition(3e9, -3e9);
    xdotool("mousemove 230 190");
    nextFrame();
    double x, y, l, r;
    readMouse(x, y, l, r);
    EXPECT_EQ(x, 319);
    EXPECT_EQ(y, 0);
    // Freeing the pointer again leaves it where the user puts it.
    setPointerMode(1);
    moveTo(20, 30);
    nextFrame();
    EXPECT_NE(pointerOnScreen(), "x:200 y:200");
}

TEST_F(Mouse, WaitMouseClickReturnsAfterTheClickAndNotBefore) {
    namespace fs = std::filesystem;
    moveTo(160, 120);
    fs::path marker = fs::temp_directory_path() / ("vorlan-click-" + std::to_string(getpid()));
    fs::remove(marker);
    Subprocess clicker({"sh", "-c",
                        "sleep 0.3; touch " + marker.string() +
                            "; xdotool mousedown 1; sleep 0.1; xdotool mouseup 1"});
    EXPECT_EQ(waitMouseClick(), 1);
    EXPECT_TRUE(fs::exists(marker)) << "returned before the click";
    clicker.waitForExit(5000);
    fs::remove(marker);
}

TEST_F(MouseDevice, CapturedDeviceReportsRelativeMovementAndWheelClicks) {
    moveTo(160, 120);
    nextFrame();
    mouseAxis(0);
    setMousePosition(100, 100);
    xdotool("mousemove_relative --sync -- 3 -2");
    EXPECT_TRUE(presentUntil([] { return mouseAxis(0) != 0; }, 10));
    EXPECT_EQ(mouseAxis(0), 3);
    EXPECT_EQ(mouseAxis(1), -2);
    double x, y, l, r;
    readMouse(x, y, l, r);
    EXPECT_EQ(x, 103);
    EXPECT_EQ(y, 98);

    struct Case {
        const char* button;
        double wheel;
    };
    for (Case c : {Case{"4", 1}, Case{"5", -1}, Case{"--repeat 2 4", 1}}) {
        SCOPED_TRACE(c.button);
        nextFrame();
        xdotool(std::string("click ") + c.button);
        EXPECT_TRUE(presentUntil([] { return mouseAxis(2) != 0; }, 10));
        EXPECT_EQ(mouseAxis(2), c.wheel);
    }
}

}  // namespace
}  // namespace vorlan::test
