#include "support/process_window.h"

#include "support/subprocess.h"

namespace vorlan::test {

std::string processWindow(pid_t pid, int seconds) {
    return runCommand("timeout " + std::to_string(seconds) +
                      " xdotool search --sync --onlyvisible --pid " + std::to_string(pid) +
                      " | head -1");
}

}  // namespace vorlan::test
