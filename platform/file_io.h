// Plain file access for the runtime's channels and documents: descriptors
// are close-on-exec, so programs the game starts inherit none of them, and
// only files are opened as files (a directory or a FIFO never is: a FIFO
// without a writer would hang the caller).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vorlan::platform {

// Which file a name or descriptor reaches, links and "./" forms included.
struct FileIdentity {
    uint64_t device = 0;
    uint64_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

// An existing file, for reading; -1 when it cannot be opened.
int openFileForReading(const std::string& path);
// The file, created when missing, for writing; not yet truncated, so that
// the caller can refuse it first. -1 when it cannot be opened.
int openFileForWriting(const std::string& path);
bool truncateFile(int fd);
void closeFile(int fd);

// Up to count bytes: the number read, 0 at the end, -1 on failure.
int64_t readFile(int fd, char* buffer, size_t count);
// Writes every byte; false when any is missing.
bool writeFile(int fd, const char* bytes, size_t count);

// Size of the open file; -1 when unknown.
int64_t fileSizeOf(int fd);
// Read/write offset of the open file; -1 when unknown.
int64_t fileOffsetOf(int fd);
bool identityOf(int fd, FileIdentity& identity);
// Follows links; false when the name reaches nothing.
bool identityOfPath(const std::string& path, FileIdentity& identity);

// Removes a file (never a directory); false when it could not.
bool removeFile(const std::string& path);

}  // namespace vorlan::platform
