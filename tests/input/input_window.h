// A shown, focused runtime window with the input state started, in a real
// X server, for driving with xdotool.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>
#include <vorlan/vorlan.h>

#include <functional>
#include <string>

#include "app/renderer.h"
#include "input/input_state.h"
#include "support/focus_lock.h"
#include "support/subprocess.h"

namespace vorlan::test {

class InputWindow : public testing::Test {
  protected:
    void startInput(bool captureMouse) {
        setAutoPause(0);
        setEscQuits(0);
        renderer = new OpenGLZererazo();
        ASSERT_TRUE(renderer->createSurface(320, 240, 0, 60, 0));
        renderer->leaveFullscreen();
        createInputState();
        initInput(captureMouse);
        window_ = runCommand("xdotool search --sync --onlyvisible --pid " +
                             std::to_string(getpid()) + " | head -1");
        ASSERT_FALSE(window_.empty());
        runCommand("xdotool windowfocus --sync " + window_);
        presentUntil([] { return false; }, 3);
    }

    void TearDown() override {
        shutdownInput();
        destroyInputState();
        delete renderer;
        renderer = nullptr;
    }

    // Presents frames until the condition holds, at most `frames` of them.
    static bool presentUntil(const std::function<bool()>& condition, int frames = 60) {
        for (int i = 0; i < frames; ++i) {
            if (condition()) return true;
            presentFrame();
        }
        return condition();
    }

    static void xdotool(const std::string& arguments) { runCommand("xdotool " + arguments); }
    const std::string& window() const { return window_; }

  private:
    FocusLock lock_;
    std::string window_;
};

}  // namespace vorlan::test
