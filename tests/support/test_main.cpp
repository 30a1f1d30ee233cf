// Entry of every test program. Sets the environment all tests share and
// re-executes itself once, so that the sanitizers (which read their options
// at process start) and every child process see the same settings.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include "support/child_entry.h"

namespace {

void setDefault(const char* name, const char* value) {
    setenv(name, value, 0);
}

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("VORLAN_TEST_ENVIRONMENT")) {
        setenv("VORLAN_TEST_ENVIRONMENT", "1", 1);
        // No run may block on a dialog or need a sound card.
        setDefault("VORLAN_NO_DIALOGS", "1");
        setDefault("SDL_AUDIODRIVER", "disk");
        setDefault("SDL_DISKAUDIOFILE", VORLAN_BINARY_DIR "/sdlaudio.raw");
        setDefault("VORLAN_BUILD_BIN", VORLAN_BINARY_DIR "/bin");
        setDefault("VORLAN_SOURCE_DIR", VORLAN_SOURCE_DIR);
        setDefault("LSAN_OPTIONS",
                   "suppressions=" VORLAN_SOURCE_DIR "/tests/lsan.supp:print_suppressions=0");
        setDefault("UBSAN_OPTIONS", "print_stacktrace=1:halt_on_error=1");
        // Mesa's shader cache writes from a thread of its own, which may still
        // hold allocations when a short test exits; nor should tests fill the
        // home folder's cache.
        setDefault("MESA_SHADER_CACHE_DISABLE", "true");
        execv("/proc/self/exe", argv);
        // Without a re-exec the settings still reach the children.
    }
    if (const char* child = std::getenv("VORLAN_TEST_CHILD")) vorlan::test::runChildEntry(child);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
