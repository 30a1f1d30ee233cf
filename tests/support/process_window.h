// The X window a process shows, looked up with xdotool within a time limit,
// so that a window that never appears fails the test instead of holding it.
#pragma once

#include <sys/types.h>

#include <string>

namespace vorlan::test {

// The id of a viewable window carrying the process's _NET_WM_PID, or ""
// when none appears within `seconds`.
std::string processWindow(pid_t pid, int seconds = 20);

}  // namespace vorlan::test
