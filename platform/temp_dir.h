// Temporary directory and file-name spelling for this platform.
#pragma once

#include <string>

namespace vorlan::platform {

// The user's temporary directory, ending in "/".
std::string temporaryDirectory();

// Game code may write names with "\" as on the original platform; the file
// system here wants "/".
std::string nativePath(const char* name);

}  // namespace vorlan::platform
