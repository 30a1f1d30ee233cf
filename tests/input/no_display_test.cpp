// A display that cannot be opened, as while the X server resets.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "gfx2d/game_window.h"
#include "support/child_entry.h"

namespace vorlan::test {
namespace {

VORLAN_TEST_CHILD(SurfaceOnAnUnreachableDisplay) {
    gameWindow = new GameWindow();
    std::puts(gameWindow->createSurface(320, 240, 0, 0) ? "made" : "refused");
    delete gameWindow;
    gameWindow = nullptr;
}

// SDL would fall back to drawing off screen: the game would run with no
// window, and whoever waits for its window would wait for ever.
TEST(NoDisplay, TheSurfaceIsRefusedInsteadOfDrawnOffScreen) {
    const std::string display = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
    setenv("DISPLAY", ":65000", 1);
    auto child = startChild("SurfaceOnAnUnreachableDisplay");
    setenv("DISPLAY", display.c_str(), 1);
    EXPECT_TRUE(child->waitForLine("refused", 20000)) << child->output();
    EXPECT_EQ(child->waitForExit(5000), 0);
}

}  // namespace
}  // namespace vorlan::test
