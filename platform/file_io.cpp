#include "platform/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace vorlan::platform {

namespace {

// O_NONBLOCK keeps open() itself from waiting on a FIFO; a file proper
// never blocks, so the flag is dropped again once the type is known.
int openChecked(const std::string& path, int flags) {
    int fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0666);
    if (fd < 0) return -1;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode) || S_ISFIFO(info.st_mode) ||
        S_ISSOCK(info.st_mode)) {
        ::close(fd);
        return -1;
    }
    int status = ::fcntl(fd, F_GETFL);
    if (status >= 0) ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK);
    return fd;
}

}  // namespace

int openFileForReading(const std::string& path) {
    return openChecked(path, O_RDONLY);
}

int openFileForWriting(const std::string& path) {
    return openChecked(path, O_WRONLY | O_CREAT);
}

bool truncateFile(int fd) {
    return ::ftruncate(fd, 0) == 0;
}

void closeFile(int fd) {
    if (fd >= 0) ::close(fd);
}

int64_t readFile(int fd, char* buffer, size_t count) {
    for (;;) {
        ssize_t n = ::read(fd, buffer, count);
        if (n < 0 && errno == EINTR) continue;
        return n;
    }
}

bool writeFile(int fd, const char* bytes, size_t count) {
    while (count > 0) {
        ssize_t n = ::write(fd, bytes, count);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes += n;
        count -= static_cast<size_t>(n);
    }
    return true;
}

int64_t fileSizeOf(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) return -1;
    return info.st_size;
}

int64_t fileOffsetOf(int fd) {
    return ::lseek(fd, 0, SEEK_CUR);
}

bool identityOf(int fd, FileIdentity& identity) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) return false;
    identity = {static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino)};
    return true;
}

bool identityOfPath(const std::string& path, FileIdentity& identity) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return false;
    identity = {static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino)};
    return true;
}

bool removeFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

}  // namespace vorlan::platform
