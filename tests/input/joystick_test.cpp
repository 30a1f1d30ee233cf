// Joysticks through SDL's virtual joystick devices, listed by the runtime
// at start-up like any attached device.
#include <SDL.h>

#include <cmath>
#include <vector>

#include "input/input_window.h"

namespace vorlan::test {
namespace {

struct Rumble {
    int calls = 0;
    Uint16 low = 0;
    Uint16 high = 0;
};

int recordRumble(void* userdata, Uint16 low, Uint16 high) {
    auto* rumble = static_cast<Rumble*>(userdata);
    ++rumble->calls;
    rumble->low = low;
    rumble->high = high;
    return 0;
}

class Joysticks : public InputWindow {
  protected:
    // Attaches `count` virtual joysticks, then starts the runtime's input.
    void attach(int count, const std::string& firstName = "") {
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0);
        for (int i = 0; i < count; ++i) {
            names_.push_back(i == 0 && !firstName.empty() ? firstName : "Pad " + std::to_string(i));
            SDL_VirtualJoystickDesc desc{};
            desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
            desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
            desc.naxes = 6;
            desc.nbuttons = 4;
            desc.nhats = 1;
            desc.name = names_.back().c_str();
            desc.userdata = &rumble_;
            desc.Rumble = recordRumble;
            ASSERT_GE(SDL_JoystickAttachVirtualEx(&desc), 0) << SDL_GetError();
        }
        first_ = SDL_JoystickOpen(0);
        startInput(false);
    }

    void TearDown() override {
        InputWindow::TearDown();
        if (first_) SDL_JoystickClose(first_);
        for (int i = SDL_NumJoysticks() - 1; i >= 0; --i) SDL_JoystickDetachVirtual(i);
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    }

    SDL_Joystick* first_ = nullptr;
    std::vector<std::string> names_;
    Rumble rumble_;
};

TEST_F(Joysticks, AxesReachTheirEndsOnEveryAxis) {
    attach(1);
    using AxisRead = double (*)(double);
    const AxisRead axes[] = {joystickX, joystickY, joystickZ, joystickRX, joystickRY, joystickRZ};
    struct Case {
        Sint16 raw;
        double value;
        double digital;  // readJoystick's x and y
    };
    const Case cases[] = {
        {-32768, -1, -1},
        {32767, 1, 1},
        {0, 0, 0},
        {16384, 16384 / 32767.0, 0},
        {-30000, -30000 / 32767.0, -1},
    };
    for (const Case& c : cases) {
        for (int axis = 0; axis < 6; ++axis) {
            SDL_JoystickSetVirtualAxis(first_, axis, c.raw);
            EXPECT_DOUBLE_EQ(axes[axis](0), c.value) << "axis " << axis << " at " << c.raw;
        }
        double x, y, b1, b2;
        readJoystick(x, y, b1, b2);
        EXPECT_EQ(x, c.digital);
        EXPECT_EQ(y, c.digital);
    }
}

TEST_F(Joysticks, HatsAndButtons) {
    attach(1);
    struct Case {
        Uint8 hat;
        double x, y;
    };
    const Case cases[] = {
        {SDL_HAT_UP, 0, -1},      {SDL_HAT_RIGHT, 1, 0},   {SDL_HAT_DOWN, 0, 1},
        {SDL_HAT_LEFT, -1, 0},    {SDL_HAT_RIGHTUP, 0, 0}, {SDL_HAT_LEFTDOWN, 0, 0},
        {SDL_HAT_CENTERED, 0, 0},
    };
    for (const Case& c : cases) {
        SDL_JoystickSetVirtualHat(first_, 0, c.hat);
        EXPECT_EQ(joystickHatX(0), c.x) << int(c.hat);
        EXPECT_EQ(joystickHatY(0), c.y) << int(c.hat);
    }
    struct Press {
        int button;
        double b1, b2;
    };
    for (Press p : {Press{0, 128, 0}, Press{1, 0, 128}, Press{3, 0, 0}}) {
        SDL_JoystickSetVirtualButton(first_, p.button, SDL_PRESSED);
        double x, y, b1, b2;
        readJoystick(x, y, b1, b2);
        EXPECT_EQ(b1, p.b1) << p.button;
        EXPECT_EQ(b2, p.b2) << p.button;
        SDL_JoystickSetVirtualButton(first_, p.button, SDL_RELEASED);
    }
}

TEST_F(Joysticks, NumbersWithoutAJoystickReadCentred) {
    attach(2);
    SDL_JoystickSetVirtualAxis(first_, 0, 32767);
    SDL_JoystickSetVirtualHat(first_, 0, SDL_HAT_UP);
    EXPECT_EQ(joystickCount(), 2);
    for (double n : {-1.0, 2.0, 9.0, 10.0, 256.0, 1e10, -1e10}) {
        SCOPED_TRACE(n);
        EXPECT_EQ(joystickX(n), 0);
        EXPECT_EQ(joystickRZ(n), 0);
        EXPECT_EQ(joystickHatX(n), 0);
        EXPECT_EQ(joystickHatY(n), 0) << "a missing hat must not read as up";
        EXPECT_EQ(joystickName(n).length(), 0u);
        joystickRumble(n, 100, 1, 1);
    }
    EXPECT_EQ(rumble_.calls, 0);
    EXPECT_STREQ(joystickName(1).cStr(), "Pad 1");
    EXPECT_EQ(joystickX(0), 1);
}

TEST_F(Joysticks, AtMostTenAreListedWithNamesCutBetweenCharacters) {
    // Two-byte characters from byte 1 on: 521 bytes would end inside one.
    std::string longName = "x";
    while (longName.size() < 600) longName += "\xC3\xA9";
    attach(11, longName);
    EXPECT_EQ(joystickCount(), 10);
    EXPECT_EQ(joystickName(0).cStr(), longName.substr(0, 521));
    for (int n = 1; n < 10; ++n) EXPECT_EQ(joystickName(n).cStr(), names_[n]);
    EXPECT_EQ(joystickName(10).length(), 0u);
}

TEST_F(Joysticks, RumbleStrengthFollowsTheForce) {
    attach(1);
    struct Case {
        double ms, fx, fy;
        Uint16 strength;
    };
    const Case cases[] = {
        {500, 1, 0, 32767},
        {500, 1, 1, 65535},
        {500, -3, 7, 65535},
        {500, 0.5, 0, 8191},
        {500, std::nan(""), 1, 32767},
        {std::nan(""), 1, 1, 0},
        {-20, 1, 1, 0},
        {1e12, 1, 0, 32767},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.ms << " " << c.fx << " " << c.fy);
        // The platform passes on changes only: start from the other state.
        joystickRumble(0, 500, c.strength == 0 ? 1 : 0, 0);
        rumble_ = Rumble{};
        joystickRumble(0, c.ms, c.fx, c.fy);
        EXPECT_EQ(rumble_.calls, 1);
        EXPECT_EQ(rumble_.low, c.strength);
        EXPECT_EQ(rumble_.high, c.strength);
    }
}

}  // namespace
}  // namespace vorlan::test
