#include "support/process_window.h"

#include <chrono>
#include <thread>

#include "support/subprocess.h"

namespace vorlan::test {

std::string processWindow(pid_t pid, int seconds) {
    // Not xdotool's --sync: xdotool ends at the first X error, which a window
    // closed by another program during the search raises, so we search again.
    const std::string search = "timeout 5 xdotool search --onlyvisible --pid " +
                               std::to_string(pid) + " 2>/dev/null | head -1";
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    for (;;) {
        std::string window = runCommand(search);
        if (!window.empty() || std::chrono::steady_clock::now() > deadline) return window;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

}  // namespace vorlan::test
