// Entry of every test program. Sets the environment all tests share and
// re-executes itself once, so that the sanitizers (which read their options
// at process start) and every child process see the same settings.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include "support/child_entry.h"

int main(int argc, char** argv) {
    if (!std::getenv("VORLAN_TEST_ENVIRONMENT")) {
        setenv("VORLAN_TEST_ENVIRONMENT", "1", 1);
        // No run may block on a dialog or need a sound card.
        setenv("VORLAN_NO_DIALOGS", "1", 0);
        // Windows at their surface's size, as the tests that read them
        // from the X server expect; the scaling tests ask for others.
        setenv("VORLAN_SCALE", "1", 0);
        setenv("SDL_AUDIODRIVER", "disk", 0);
        setenv("SDL_DISKAUDIOFILE", VORLAN_BINARY_DIR "/sdlaudio.raw", 0);
        setenv("VORLAN_BUILD_BIN", VORLAN_BINARY_DIR "/bin", 0);
        setenv("VORLAN_SOURCE_DIR", VORLAN_SOURCE_DIR, 0);
        setenv("LSAN_OPTIONS",
               "suppressions=" VORLAN_SOURCE_DIR "/tests/lsan.supp:print_suppressions=0", 0);
        setenv("UBSAN_OPTIONS", "print_stacktrace=1:halt_on_error=1", 0);
        // Mesa's cache thread may still hold memory when a short test exits.
        setenv("MESA_SHADER_CACHE_DISABLE", "true", 0);
#if defined(__SANITIZE_ADDRESS__)
        // The leak check at exit stops every thread; now and then it crashed
        // while the software rasterizer's worker threads were going away.
        // Rasterizing on the drawing thread leaves it none to stop.
        setenv("LP_NUM_THREADS", "0", 0);
#endif
        execv("/proc/self/exe", argv);
        // Without a re-exec the settings still reach the children.
    }
    if (const char* child = std::getenv("VORLAN_TEST_CHILD")) vorlan::test::runChildEntry(child);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
