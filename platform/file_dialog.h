// The system's file chooser, shown inside this process.
#pragma once

#include <string>
#include <vector>

namespace vorlan::platform {

struct FileFilter {
    std::string description;
    std::vector<std::string> patterns;  // "*.txt"
};

// Shows the open or the save dialog, starting in `folder`, and waits for
// it. True with the chosen path when the dialog was accepted.
bool chooseFile(bool open, const std::vector<FileFilter>& filters, const std::string& folder,
                std::string& chosen);

}  // namespace vorlan::platform
