// The game window for video tests: shown (so that X holds what was last
// presented) and with an input state, as after start-up.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "app/renderer.h"
#include "input/input_state.h"
#include "support/process_window.h"
#include "support/subprocess.h"

namespace vorlan::test {

class VideoWindow : public testing::Test {
  protected:
    void SetUp() override {
        renderer = new OpenGLZererazo();
        ASSERT_TRUE(renderer->createSurface(320, 240, 0, 60, 0));
        renderer->leaveFullscreen();
        createInputState();
        initInput(false);
    }
    // The X window id of this process's window, for xdotool and import.
    static std::string windowId() { return processWindow(getpid()); }
    void TearDown() override {
        shutdownInput();
        destroyInputState();
        delete renderer;
        renderer = nullptr;
    }
};

}  // namespace vorlan::test
