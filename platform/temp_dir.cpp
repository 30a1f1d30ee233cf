#include "platform/temp_dir.h"

#include <filesystem>
#include <system_error>

namespace vorlan::platform {

std::string temporaryDirectory() {
    std::error_code error;
    std::string dir = std::filesystem::temp_directory_path(error).string();
    if (error || dir.empty()) dir = "/tmp";
    if (dir.back() != '/') dir += '/';
    return dir;
}

std::string nativePath(const char* name) {
    std::string path = name ? name : "";
    for (char& c : path) {
        if (c == '\\') c = '/';
    }
    return path;
}

}  // namespace vorlan::platform
