#include "platform/user_data.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace vorlan::platform {

namespace {

std::string homeFolder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home == '/') return home;
    const struct passwd* user = ::getpwuid(::geteuid());
    return user != nullptr && user->pw_dir != nullptr && *user->pw_dir == '/' ? user->pw_dir : "";
}

// Makes every missing folder of the absolute `path`; false with `why` set
// when one cannot be made or something that is no folder is in the way.
bool makeFolders(const std::string& path, std::string& why) {
    for (size_t end = path.find('/', 1); end != std::string::npos; end = path.find('/', end + 1)) {
        std::string folder = path.substr(0, end);
        if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
            why = folder + ": " + std::strerror(errno);
            return false;
        }
        struct stat info {};
        if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
            why = folder + ": not a folder";
            return false;
        }
    }
    return true;
}

}  // namespace

std::string userDataFolder(const std::string& name, std::string& why) {
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) {
        why = "no program name to name the folder by";
        return {};
    }
    // A relative XDG_DATA_HOME is to be ignored, as the base directory
    // convention says.
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    std::string base;
    if (dataHome != nullptr && *dataHome == '/') {
        base = dataHome;
    } else {
        std::string home = homeFolder();
        if (home.empty()) {
            why = "neither XDG_DATA_HOME nor HOME names a folder";
            return {};
        }
        base = home + "/.local/share";
    }
    if (base.back() != '/') base += '/';
    std::string folder = base + name + "/";
    return makeFolders(folder, why) ? folder : std::string();
}

}  // namespace vorlan::platform
