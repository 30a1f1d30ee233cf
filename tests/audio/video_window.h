// The game window for video tests: shown (so that X holds what was last
// presented) and with an input state, as after start-up.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "gfx2d/game_window.h"
#include "input/input_state.h"
#include "support/process_window.h"
#include "support/subprocess.h"

namespace vorlan::test {

class VideoWindow : public testing::Test {
  protected:
    void SetUp() override {
        gameWindow = new GameWindow();
        ASSERT_TRUE(gameWindow->createSurface(320, 240, 0, 0));
        gameWindow->leaveFullscreen();
        createInputState();
        initInput(false);
    }
    // The X window id of this process's window, for xdotool and import.
    static std::string windowId() { return processWindow(getpid()); }
    void TearDown() override {
        shutdownInput();
        destroyInputState();
        delete gameWindow;
        gameWindow = nullptr;
    }
};

}  // namespace vorlan::test
