// A fresh folder for one test, removed afterwards. It is TMPDIR meanwhile,
// so the runtime's log and temporary files land inside it.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>

namespace vorlan::test {

class TempFolder {
  public:
    TempFolder() {
        std::string pattern = "/tmp/vorlan-test-XXXXXX";
        if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
        if (const char* old = std::getenv("TMPDIR")) oldTmpdir_ = old;
        setenv("TMPDIR", path_.c_str(), 1);
    }
    ~TempFolder() {
        if (oldTmpdir_) setenv("TMPDIR", oldTmpdir_->c_str(), 1);
        if (!oldTmpdir_) unsetenv("TMPDIR");
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path file(const std::string& name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
    std::optional<std::string> oldTmpdir_;
};

inline std::string readWholeFile(const std::filesystem::path& path) {
    std::ostringstream out;
    out << std::ifstream(path, std::ios::binary).rdbuf();
    return out.str();
}

inline void writeWholeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace vorlan::test
