#include "platform/dynamic_library.h"

#include <dlfcn.h>
#include <link.h>

namespace vorlan::platform {

void* openLibrary(const std::string& path) {
    return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* librarySymbol(void* library, const char* name) {
    void* address = dlsym(library, name);
    if (!address) return nullptr;
    // dlsym also searches the library's dependencies; only its own count.
    link_map* own = nullptr;
    if (dlinfo(library, RTLD_DI_LINKMAP, &own) != 0 || !own) return nullptr;
    Dl_info info{};
    void* found = nullptr;
    if (dladdr1(address, &info, &found, RTLD_DL_LINKMAP) == 0) return nullptr;
    return static_cast<link_map*>(found) == own ? address : nullptr;
}

void closeLibrary(void* library) {
    if (library) dlclose(library);
}

}  // namespace vorlan::platform
