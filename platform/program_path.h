// The program's own file and the working directory.
#pragma once

#include <string>

namespace vorlan::platform {

// Full path of the running program file (from /proc/self/exe).
std::string programPath();
// The program file's name without its folder; "" when it cannot be told.
std::string programName();
bool changeDirectory(const std::string& path);
// The working directory; empty when it cannot be told.
std::string currentDirectory();

}  // namespace vorlan::platform
