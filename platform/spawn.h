// Starting other programs.
#pragma once

#include <string>
#include <vector>

namespace vorlan::platform {

// Starts argv[0], searched on PATH, with these arguments, the caller's
// environment and working directory, only descriptors 0-2 and default
// signal handling. The process id, or -1 when it could not be started.
int spawnProgram(const std::vector<std::string>& argv);
// Waits for the program to end: its exit code, or 128 + n for signal n.
int waitForProgram(int pid);
// Reaps the program when it ends, without waiting for it here.
void reapWhenDone(int pid);

}  // namespace vorlan::platform
