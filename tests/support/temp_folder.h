// A fresh folder for one test, removed afterwards. It also becomes TMPDIR,
// so the runtime's log and temporary files land inside it.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace vorlan::test {

class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path file(const std::string& name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
    std::optional<std::string> oldTmpdir_;
};

std::string readWholeFile(const std::filesystem::path& path);
void writeWholeFile(const std::filesystem::path& path, const std::string& bytes);

}  // namespace vorlan::test
