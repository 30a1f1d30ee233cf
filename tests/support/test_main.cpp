// Entry of every test program. Sets the environment all tests share and
// starts itself again, so that the sanitizers (which read their options at
// process start) and every child process see the same settings.
#include <gtest/gtest.h>
#include <unistd.h>

#include "support/child_entry.h"

int main(int argc, char** argv) {
    if (!std::getenv("VORLAN_TEST_ENVIRONMENT")) {
        setenv("VORLAN_TEST_ENVIRONMENT", "1", 1);
        // No run may block on a dialog or need a sound card; windows at
        // their surface's size, as the tests that read them expect.
        for (auto [name, value] : {std::pair{"VORLAN_NO_DIALOGS", "1"},
                                   {"VORLAN_SCALE", "1"},
                                   {"SDL_AUDIODRIVER", "disk"},
                                   {"SDL_DISKAUDIOFILE", VORLAN_BINARY_DIR "/sdlaudio.raw"},
                                   {"VORLAN_BUILD_BIN", VORLAN_BINARY_DIR "/bin"},
                                   {"VORLAN_SOURCE_DIR", VORLAN_SOURCE_DIR},
                                   {"LSAN_OPTIONS", "suppressions=" VORLAN_SOURCE_DIR
                                                    "/tests/lsan.supp:print_suppressions=0"},
                                   {"UBSAN_OPTIONS", "print_stacktrace=1:halt_on_error=1"},
                                   // Mesa's cache thread may hold memory when a short test exits.
                                   {"MESA_SHADER_CACHE_DISABLE", "true"}}) {
            setenv(name, value, 0);
        }
#if defined(__SANITIZE_ADDRESS__)
        // The leak check at exit crashed now and then while the software
        // rasterizer's worker threads went away: rasterize on the drawing thread.
        setenv("LP_NUM_THREADS", "0", 0);
#endif
        execv("/proc/self/exe", argv);
    }
    if (const char* child = std::getenv("VORLAN_TEST_CHILD")) vorlan::test::runChildEntry(child);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
