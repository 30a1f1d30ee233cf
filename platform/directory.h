// The working directory and its listing.
#pragma once

#include <string>
#include <vector>

namespace vorlan::platform {

// The working directory, of any length; empty when it cannot be known.
std::string workingDirectory();
// The name made absolute against the working directory (no link is
// resolved), so it still names the same file after a change of directory.
std::string absolutePath(const std::string& path);

struct DirectoryEntry {
    std::string name;
    // Links count as what they reach; a dangling link is no directory.
    bool isDirectory = false;
};

// Every entry of the working directory, "." and ".." included, in the file
// system's order. False when the directory cannot be read.
bool listWorkingDirectory(std::vector<DirectoryEntry>& entries);

}  // namespace vorlan::platform
