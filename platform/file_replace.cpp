#include "platform/file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

#include "platform/file_io.h"

namespace vorlan::platform {

namespace {

std::string followLinks(const std::string& path) {
    char* real = ::realpath(path.c_str(), nullptr);
    if (real == nullptr) return path;
    std::string result = real;
    std::free(real);
    return result;
}

// The mode a plain create would have given: the old file's, or 0666 less
// the process's umask.
mode_t modeFor(const std::string& target) {
    struct stat info {};
    if (::stat(target.c_str(), &info) == 0) return info.st_mode & 07777;
    mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

FileReplacement::~FileReplacement() {
    abandon();
}

bool FileReplacement::begin(const std::string& path) {
    abandon();
    failed_ = false;
    target_ = followLinks(path);
    size_t slash = target_.rfind('/');
    std::string folder = slash == std::string::npos ? std::string() : target_.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? target_ : target_.substr(slash + 1);
    // Same folder, so the final rename stays on one file system.
    temporary_ = folder + "." + base + ".XXXXXX";
    fd_ = ::mkostemp(temporary_.data(), O_CLOEXEC);
    if (fd_ < 0) {
        temporary_.clear();
        return false;
    }
    return true;
}

bool FileReplacement::write(const char* bytes, size_t count) {
    if (fd_ < 0 || failed_) return false;
    if (!writeFile(fd_, bytes, count)) failed_ = true;
    return !failed_;
}

bool FileReplacement::commit() {
    if (fd_ < 0) return false;
    bool ok = !failed_ && ::fchmod(fd_, modeFor(target_)) == 0 && ::fsync(fd_) == 0;
    ok = ::close(fd_) == 0 && ok;
    fd_ = -1;
    if (ok && ::rename(temporary_.c_str(), target_.c_str()) == 0) {
        temporary_.clear();
        return true;
    }
    abandon();
    return false;
}

void FileReplacement::abandon() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
    temporary_.clear();
}

bool replaceFile(const std::string& path, const std::string& bytes) {
    FileReplacement replacement;
    return replacement.begin(path) && replacement.write(bytes.data(), bytes.size()) &&
           replacement.commit();
}

}  // namespace vorlan::platform
