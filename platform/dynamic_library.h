// Dynamic libraries: loading, symbol look-up and release.
#pragma once

#include <string>

namespace vorlan::platform {

// Loads with every symbol bound at once and none shared with later loads;
// nullptr on failure.
void* openLibrary(const std::string& path);
// The address of `name` when the library itself defines it; a symbol that
// only one of its dependencies defines gives nullptr.
void* librarySymbol(void* library, const char* name);
void closeLibrary(void* library);

}  // namespace vorlan::platform
