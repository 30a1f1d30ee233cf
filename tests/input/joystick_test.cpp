// Joysticks through SDL's virtual devices, listed at start-up like any other.
#include <SDL.h>
#include <gtest/gtest.h>
#include <vorlan/vorlan.h>

#include <cmath>
#include <list>
#include <tuple>

#include "input/input_state.h"

namespace vorlan::test {
namespace {

// No window: SDL drops joystick input while another window has the focus, and
// these tests are about the readings, not about the focus.
class Joysticks : public testing::Test {
  protected:
    // Attaches `count` virtual joysticks, then starts the runtime's input.
    void attach(int count, const std::string& firstName = "", int buttons = 4) {
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0);
        for (int i = 0; i < count; ++i) {
            plugIn(i == 0 && !firstName.empty() ? firstName : "Pad " + std::to_string(i), buttons);
        }
        first_ = SDL_JoystickOpen(0);
        createInputState();
        initInput(false);
    }
    // A virtual pad in SDL's standard layout, as far as its buttons go.
    void plugIn(const std::string& name, int buttons) {
        names_.push_back(name);
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = 6;
        desc.nbuttons = static_cast<Uint16>(buttons);
        desc.nhats = 1;
        desc.name = names_.back().c_str();
        desc.userdata = &rumbles_;
        desc.Rumble = [](void* rumbles, Uint16 low, Uint16 high) {
            static_cast<Rumbles*>(rumbles)->emplace_back(low, high);
            return 0;
        };
        ASSERT_GE(SDL_JoystickAttachVirtualEx(&desc), 0) << SDL_GetError();
    }
    void TearDown() override {
        shutdownInput();
        destroyInputState();
        if (first_) SDL_JoystickClose(first_);
        for (int i = SDL_NumJoysticks() - 1; i >= 0; --i) SDL_JoystickDetachVirtual(i);
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    }

    SDL_Joystick* first_ = nullptr;
    std::list<std::string> names_;                           // SDL keeps pointers to them
    using Rumbles = std::vector<std::pair<Uint16, Uint16>>;  // low and high motor
    Rumbles rumbles_;
};

TEST_F(Joysticks, AxesHatsButtonsAndRumbleReachEveryValue) {
    attach(1);
    using AxisRead = double (*)(double);
    const AxisRead axes[] = {joystickX, joystickY, joystickZ, joystickRX, joystickRY, joystickRZ};
    double x, y, b1, b2;
    // Raw value, reading, and readJoystick's digital x and y.
    const std::tuple<Sint16, double, double> axisCases[] = {{-32768, -1, -1},
                                                            {32767, 1, 1},
                                                            {0, 0, 0},
                                                            {16384, 16384 / 32767.0, 0},
                                                            {-30000, -30000 / 32767.0, -1}};
    for (auto [raw, value, digital] : axisCases) {
        for (int axis = 0; axis < 6; ++axis) {
            SDL_JoystickSetVirtualAxis(first_, axis, raw);
            EXPECT_DOUBLE_EQ(axes[axis](0), value) << "axis " << axis << " at " << raw;
        }
        readJoystick(x, y, b1, b2);
        EXPECT_TRUE(x == digital && y == digital) << raw;
    }
    const std::tuple<Uint8, double, double> hats[] = {
        {SDL_HAT_UP, 0, -1},   {SDL_HAT_RIGHT, 1, 0},   {SDL_HAT_DOWN, 0, 1},
        {SDL_HAT_LEFT, -1, 0}, {SDL_HAT_RIGHTUP, 0, 0}, {SDL_HAT_CENTERED, 0, 0}};
    for (auto [hat, hatX, hatY] : hats) {
        SDL_JoystickSetVirtualHat(first_, 0, hat);
        EXPECT_TRUE(joystickHatX(0) == hatX && joystickHatY(0) == hatY) << int(hat);
    }
    // readJoystick reports the first two buttons, 0x80 while down.
    for (int button : {0, 1, 3}) {
        SDL_JoystickSetVirtualButton(first_, button, SDL_PRESSED);
        readJoystick(x, y, b1, b2);
        EXPECT_TRUE(b1 == (button == 0 ? 128 : 0) && b2 == (button == 1 ? 128 : 0)) << button;
        SDL_JoystickSetVirtualButton(first_, button, SDL_RELEASED);
    }
    // Milliseconds, force x and y, and the strength of both motors.
    const double nan = std::nan("");
    const std::tuple<double, double, double, Uint16> rumbles[] = {
        {500, 1, 0, 32767},   {500, 1, 1, 65535}, {500, -3, 7, 65535}, {500, 0.5, 0, 8191},
        {500, nan, 1, 32767}, {nan, 1, 1, 0},     {-20, 1, 1, 0},      {1e12, 1, 0, 32767}};
    for (auto [ms, fx, fy, strength] : rumbles) {
        SCOPED_TRACE(testing::Message() << ms << " " << fx << " " << fy);
        // The platform passes on changes only: start from the other state.
        joystickRumble(0, 500, strength == 0 ? 1 : 0, 0);
        rumbles_.clear();
        joystickRumble(0, ms, fx, fy);
        EXPECT_EQ(rumbles_, Rumbles({{strength, strength}}));
    }
}

// Numbers without a joystick read as a centred one, and a pad plugged in
// while the game runs takes the lowest free number.
TEST_F(Joysticks, NumbersWithoutAJoystickReadCentredAndPadsKeepOrTakeTheirNumbers) {
    attach(2);
    SDL_JoystickSetVirtualAxis(first_, 0, 32767);
    SDL_JoystickSetVirtualHat(first_, 0, SDL_HAT_UP);
    EXPECT_EQ(joystickX(0), 1);
    for (double n : {-1.0, 2.0, 9.0, 10.0, 256.0, 1e10, -1e10}) {
        SCOPED_TRACE(n);
        EXPECT_EQ(joystickX(n) + joystickRZ(n) + joystickHatX(n), 0);
        EXPECT_EQ(joystickHatY(n), 0) << "a missing hat must not read as up";
        EXPECT_EQ(joystickName(n).length(), 0u);
        joystickRumble(n, 100, 1, 1);
    }
    EXPECT_TRUE(rumbles_.empty());
    SDL_JoystickDetachVirtual(0);
    EXPECT_EQ(joystickCount(), 1);
    EXPECT_EQ(joystickHatY(0) + joystickName(0).length(), 0);
    EXPECT_STREQ(joystickName(1).cStr(), "Pad 1");
    plugIn("Pad 2", 4);
    EXPECT_EQ(joystickCount(), 2);
    EXPECT_STREQ(joystickName(0).cStr(), "Pad 2");
    EXPECT_STREQ(joystickName(1).cStr(), "Pad 1");
}

TEST_F(Joysticks, AtMostTenAreListedWithNamesCutBetweenCharacters) {
    // Two-byte characters from byte 1 on: 521 bytes would end inside one.
    std::string longName = "x";
    while (longName.size() < 600) longName += "\xC3\xA9";
    attach(11, longName);
    EXPECT_EQ(joystickCount(), 10);
    EXPECT_EQ(joystickName(0).cStr(), longName.substr(0, 521));
    auto name = std::next(names_.begin());
    for (int n = 1; n < 10; ++n, ++name) EXPECT_EQ(joystickName(n).cStr(), *name);
    EXPECT_EQ(joystickName(10).length(), 0u);
}

// Each button of the standard layout under its name, through the pad's own
// mapping: a press and release between two reads is seen once.
TEST_F(Joysticks, EveryPadButtonAnswersToItsNameAndATapIsSeenOnce) {
    attach(1, "", SDL_CONTROLLER_BUTTON_DPAD_RIGHT + 1);
    SDL_GameController* pad = SDL_GameControllerOpen(0);
    ASSERT_NE(pad, nullptr);
    // In the order of SDL's own numbering of the layout.
    // clang-format off
    const int buttons[] = {kPadA, kPadB, kPadX, kPadY, kPadBack, kPadGuide, kPadStart,
                           kPadLeftStick, kPadRightStick, kPadLeftShoulder, kPadRightShoulder,
                           kPadUp, kPadDown, kPadLeft, kPadRight};
    // clang-format on
    for (int sdl = 0; sdl < SDL_CONTROLLER_BUTTON_DPAD_RIGHT + 1; ++sdl) {
        int name = buttons[sdl];
        SCOPED_TRACE(name);
        int raw =
            SDL_GameControllerGetBindForButton(pad, SDL_GameControllerButton(sdl)).value.button;
        for (Uint8 state : {SDL_PRESSED, SDL_RELEASED}) {
            SDL_JoystickSetVirtualButton(first_, raw, state);
            SDL_PumpEvents();
        }
        EXPECT_EQ(padButton(0, name) + joystickButton(0, raw), 2);
        EXPECT_EQ(padButton(0, name) + joystickButton(0, raw), 0) << "seen twice";
        SDL_JoystickSetVirtualButton(first_, raw, SDL_PRESSED);
        for (int other : buttons) EXPECT_EQ(padButton(0, other), other == name) << other;
        SDL_JoystickSetVirtualButton(first_, raw, SDL_RELEASED);
    }
    // In the order of SDL's numbering of the axes: name, raw value, reading.
    const std::tuple<int, Sint16, double> axes[] = {
        {kPadLeftX, -32768, -1},     {kPadLeftY, 16384, 16384 / 32767.0},
        {kPadRightX, 32767, 1},      {kPadRightY, -16384, -16384 / 32767.0},
        {kPadLeftTrigger, 32767, 1}, {kPadRightTrigger, -32768, 0}};
    for (int sdl = 0; sdl < 6; ++sdl) {
        auto [name, raw, value] = axes[sdl];
        auto bind = SDL_GameControllerGetBindForAxis(pad, SDL_GameControllerAxis(sdl));
        SDL_JoystickSetVirtualAxis(first_, bind.value.axis, raw);
        EXPECT_NEAR(padAxis(0, name), value, 1e-4) << name;
    }
    for (double bad : {-1.0, 21.0, 1e300}) {
        EXPECT_EQ(padButton(0, bad) + padAxis(0, bad) + joystickButton(0, bad), 0) << bad;
    }
    EXPECT_EQ(padButton(1, kPadA) + padAxis(1, kPadLeftTrigger), 0) << "no joystick 1";
    SDL_GameControllerClose(pad);
}

}  // namespace
}  // namespace vorlan::test
