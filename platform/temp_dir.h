// Temporary directory and file-name spelling for this platform.
#pragma once

#include <string>

namespace vorlan::platform {

// The runtime's temporary folder, ending in "/": TMPDIR when set, else
// XDG_RUNTIME_DIR when it is the user's own folder, else a private
// /tmp/vorlan-UID (mode 0700). "" when that private folder exists but is not
// safely the user's own: callers then go without the log and extraction.
std::string temporaryDirectory();

// Game code may write names with "\" as on the original platform; the file
// system here wants "/".
std::string nativePath(const char* name);

}  // namespace vorlan::platform
