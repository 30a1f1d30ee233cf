// The surface shown and focused, input started: a window for real X events.
#pragma once

#include <unistd.h>
#include <vorlan/vorlan.h>

#include <functional>
#include <string>

#include "gfx2d/gl_surface.h"
#include "input/input_state.h"
#include "support/eventually.h"
#include "support/focus_lock.h"
#include "support/process_window.h"
#include "support/subprocess.h"

namespace vorlan::test {

// Presents frames until the condition holds or the time is up: events from
// xdotool may take long to arrive on a busy machine.
inline bool presentUntil(const std::function<bool()>& condition, double seconds = 20) {
    return eventually([&] { return condition() || (presentFrame(), false); }, seconds * 1000, 0);
}

// Bounded, so that a wait of xdotool's (--sync) fails the test instead of holding it.
inline void xdotool(const std::string& arguments) {
    runCommand("timeout 30 xdotool " + arguments);
}

class InputWindow : public GLSurface {
  protected:
    void SetUp() override {
        setAutoPause(0);
        setEscQuits(0);
        GLSurface::SetUp();
        createInputState();
        initInput(captureMouse_);
        window_ = processWindow(getpid());
        ASSERT_FALSE(window_.empty()) << "no viewable window of this process";
        xdotool("windowfocus --sync " + window_);
    }
    void TearDown() override {
        shutdownInput();
        destroyInputState();
        GLSurface::TearDown();
    }

    FocusLock lock_;
    bool captureMouse_ = false;  // set before SetUp
    std::string window_;
};

}  // namespace vorlan::test
