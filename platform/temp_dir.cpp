#include "platform/temp_dir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace vorlan::platform {

namespace {

std::string withSlash(std::string dir) {
    if (dir.back() != '/') dir += '/';
    return dir;
}

bool isOwnFolder(const struct stat& info) {
    return S_ISDIR(info.st_mode) && info.st_uid == ::geteuid();
}

// /tmp is shared by every user: a folder of our name that someone else
// made, or a link, could hand them our log and extracted media.
std::string privateFolderInTmp() {
    std::string dir = "/tmp/vorlan-" + std::to_string(::geteuid());
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return {};
    struct stat info {};
    if (::lstat(dir.c_str(), &info) == 0 && isOwnFolder(info) && (info.st_mode & 077) == 0) {
        return withSlash(dir);
    }
    static std::atomic<bool> told{false};
    if (!told.exchange(true)) {
        std::fprintf(stderr, "%s is not a private folder of this user: no log, no archive media\n",
                     dir.c_str());
    }
    return {};
}

}  // namespace

std::string temporaryDirectory() {
    // Read on every call: tests and tools move TMPDIR while the process runs.
    const char* tmpdir = std::getenv("TMPDIR");
    if (tmpdir != nullptr && *tmpdir != '\0') return withSlash(tmpdir);
    const char* runtimeDir = std::getenv("XDG_RUNTIME_DIR");
    struct stat info {};
    if (runtimeDir != nullptr && *runtimeDir == '/' && ::stat(runtimeDir, &info) == 0 &&
        isOwnFolder(info)) {
        return withSlash(runtimeDir);
    }
    return privateFolderInTmp();
}

std::string nativePath(const char* name) {
    std::string path = name ? name : "";
    for (char& c : path) {
        if (c == '\\') c = '/';
    }
    return path;
}

}  // namespace vorlan::platform
