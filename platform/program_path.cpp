#include "platform/program_path.h"

#include <unistd.h>

#include <filesystem>

#include <vector>

namespace vorlan::platform {

std::string programPath() {
    std::vector<char> buffer(1024);
    for (;;) {
        ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0) return std::string();
        if (static_cast<size_t>(n) < buffer.size()) return std::string(buffer.data(), n);
        buffer.resize(buffer.size() * 2);
    }
}

std::string programName() {
    std::string path = programPath();
    return path.substr(path.find_last_of('/') + 1);
}

bool changeDirectory(const std::string& path) {
    return chdir(path.c_str()) == 0;
}

std::string currentDirectory() {
    std::error_code error;
    std::filesystem::path path = std::filesystem::current_path(error);
    return error ? std::string() : path.string();
}

}  // namespace vorlan::platform
