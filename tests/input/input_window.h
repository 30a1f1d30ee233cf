// A shown, focused runtime window with the input state started, in a real X
// server, for driving with xdotool.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>
#include <vorlan/vorlan.h>

#include <functional>
#include <string>

#include "gfx2d/game_window.h"
#include "input/input_state.h"
#include "support/focus_lock.h"
#include "support/process_window.h"
#include "support/subprocess.h"

namespace vorlan::test {

class InputWindow : public testing::Test {
  protected:
    void SetUp() override {
        setAutoPause(0);
        setEscQuits(0);
        gameWindow = new GameWindow();
        ASSERT_TRUE(gameWindow->createSurface(320, 240, 0, 0));
        gameWindow->leaveFullscreen();
        createInputState();
        initInput(captureMouse_);
        window_ = processWindow(getpid());
        ASSERT_FALSE(window_.empty()) << "no viewable window of this process";
        xdotool("windowfocus --sync " + window_);
        presentUntil([] { return false; }, 3);
    }

    void TearDown() override {
        shutdownInput();
        destroyInputState();
        delete gameWindow;
        gameWindow = nullptr;
    }

    // Presents frames until the condition holds, at most `frames` of them.
    static bool presentUntil(const std::function<bool()>& condition, int frames = 60) {
        for (int i = 0; i < frames; ++i) {
            if (condition()) return true;
            presentFrame();
        }
        return condition();
    }

    // Bounded, so that a wait of xdotool's (--sync) fails the test instead of holding it.
    static void xdotool(const std::string& arguments) {
        runCommand("timeout 10 xdotool " + arguments);
    }

    bool captureMouse_ = false;  // set before SetUp
    std::string window_;

  private:
    FocusLock lock_;
};

}  // namespace vorlan::test
