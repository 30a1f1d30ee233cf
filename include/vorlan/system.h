// The system's file dialogs and starting other programs.
#pragma once

#include <vorlan/rt_string.h>

namespace vorlan {

// Shows the open dialog (open non-zero) or the save dialog and returns the
// chosen path with "/" separators, or "NO_FILE" when it was cancelled.
// filter: "description|pattern|description|pattern...", a pattern being
// one or more "*.ext" joined by ";". The working directory is unchanged.
RtString fileRequester(double open, const RtString& filter);

// Starts a program from a command line split as the usual command-line
// quoting rules say (blanks separate, quotes group, backslashes escape
// quotes); no shell is involved. With wait non-zero it waits for the
// program and sets exitCode (128 + n after signal n). Returns 1 when the
// program started, 0 when not (exitCode 0).
double runProgram(const RtString& commandLine, double wait, double show, double& exitCode);

}  // namespace vorlan
