// The per-user folder where a program keeps its saves.
#pragma once

#include <string>

namespace vorlan::platform {

// $XDG_DATA_HOME/<name>/ when XDG_DATA_HOME is an absolute path, else
// $HOME/.local/share/<name>/ (HOME from the user database when unset).
// Folders on the way that are missing are made private (0700); existing
// ones keep their modes. The path ends in "/"; "" when it cannot be had,
// with `why` saying what failed.
std::string userDataFolder(const std::string& name, std::string& why);

}  // namespace vorlan::platform
