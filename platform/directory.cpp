#include "platform/directory.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace vorlan::platform {

std::string workingDirectory() {
    std::string buffer(256, '\0');
    for (;;) {
        if (::getcwd(buffer.data(), buffer.size()) != nullptr) {
            buffer.resize(buffer.find('\0'));
            return buffer;
        }
        if (errno != ERANGE) return std::string();
        buffer.assign(buffer.size() * 2, '\0');
    }
}

std::string absolutePath(const std::string& path) {
    if (!path.empty() && path[0] == '/') return path;
    std::string folder = workingDirectory();
    if (folder.empty()) return path;
    if (folder.back() != '/') folder += '/';
    return folder + path;
}

bool listWorkingDirectory(std::vector<DirectoryEntry>& entries) {
    entries.clear();
    DIR* dir = ::opendir(".");  // glibc opens it close-on-exec
    if (dir == nullptr) return false;
    while (dirent* item = ::readdir(dir)) {
        DirectoryEntry entry;
        entry.name = item->d_name;
        if (item->d_type == DT_DIR) {
            entry.isDirectory = true;
        } else if (item->d_type == DT_LNK || item->d_type == DT_UNKNOWN) {
            struct stat info {};
            entry.isDirectory =
                ::fstatat(::dirfd(dir), item->d_name, &info, 0) == 0 && S_ISDIR(info.st_mode);
        }
        entries.push_back(std::move(entry));
    }
    ::closedir(dir);
    return true;
}

}  // namespace vorlan::platform
