#include "foreign/library_table.h"

#include <vorlan/app.h>
#include <vorlan/foreign.h>
#include <vorlan/value.h>

#include <string>
#include <vector>

#include "core/runtime_state.h"
#include "platform/dynamic_library.h"
#include "platform/program_path.h"

namespace vorlan {

namespace {

// Handles in load order beside their lower-case names.
struct LibraryTable {
    std::vector<void*> handles;
    std::vector<RtString> names;
};

LibraryTable libraryTable;

void* findLoaded(const RtString& key) {
    for (size_t i = 0; i < libraryTable.names.size(); ++i) {
        if (isEqual(libraryTable.names[i], key) != 0) return libraryTable.handles[i];
    }
    return nullptr;
}

// File names are case-sensitive here: the name as written first, then the
// lower-case spelling that other platforms would have matched.
void* load(const std::string& asGiven, const std::string& lower) {
    std::vector<std::string> candidates;
    if (asGiven.find('/') == std::string::npos) {
        // A bare name: beside the program, then the system's search, whose
        // rules never include the current folder.
        std::string program = platform::programPath();
        std::string folder = program.substr(0, program.find_last_of('/') + 1);
        candidates = {folder + asGiven, folder + lower, asGiven, lower};
    } else {
        candidates = {asGiven, lower};
    }
    for (const std::string& candidate : candidates) {
        if (void* handle = platform::openLibrary(candidate)) return handle;
    }
    return nullptr;
}

}  // namespace

void resolveLibraryFunction(const RtString& library, const RtString& function, void*& address) {
    address = nullptr;
    // An empty name would open the program itself.
    if (library.length() == 0) return;
    RtString key = toLowerText(library);
    void* handle = findLoaded(key);
    if (!handle) {
        handle = load(library.cStr(), key.cStr());
        if (!handle) {
            if (runtimeSettings.debugMode != 0) {
                debugOutput(concat("Failed to load: ", library));
            }
            return;
        }
        libraryTable.handles.push_back(handle);
        libraryTable.names.push_back(key);
    }
    address = platform::librarySymbol(handle, function.cStr());
}

void closeForeignLibraries() {
    for (size_t i = libraryTable.handles.size(); i-- > 0;) {
        platform::closeLibrary(libraryTable.handles[i]);
    }
    libraryTable.handles.clear();
    libraryTable.names.clear();
}

}  // namespace vorlan
