// Start-up and shutdown of the runtime.
#pragma once

#include <vorlan/app.h>

namespace vorlan {

// The role of WinMain: settings, start-up, the game, then endProgram.
[[noreturn]] void runGame(const char* commandLine, int showCommand);

// Brings the runtime up; returns 0, also when the window cannot be made, in
// which case the later steps are skipped.
int startRuntime(const char* title, int showCommand);
// Releases every singleton in the fixed order; tolerates any of them being
// absent. Only endProgram calls it.
void shutdownRuntime();

}  // namespace vorlan
