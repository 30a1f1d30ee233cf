// Writes a new version of a file beside it and swaps it in only when every
// byte is on disk: a failed or interrupted save leaves the old file as it
// was, and a failed one leaves no temporary file behind.
#pragma once

#include <cstddef>
#include <string>

namespace vorlan::platform {

class FileReplacement {
  public:
    FileReplacement() = default;
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // Starts the new version of `path`; a link is followed, so the file it
    // names is replaced, not the link.
    bool begin(const std::string& path);
    bool write(const char* bytes, size_t count);
    // Syncs the new version, gives it the old file's mode and renames it
    // over the target. False (and no temporary file) when any step failed.
    bool commit();
    void abandon();

  private:
    int fd_ = -1;
    bool failed_ = false;
    std::string target_;
    std::string temporary_;
};

// Writes the whole text as the new version of `path`.
bool replaceFile(const std::string& path, const std::string& bytes);

}  // namespace vorlan::platform
