// Whole-file operations by name, the working directory and its listing.
#include <vorlan/files.h>

#include <algorithm>
#include <string>
#include <vector>

#include "files/file_names.h"
#include "platform/directory.h"
#include "platform/file_io.h"
#include "platform/file_replace.h"
#include "platform/program_path.h"

namespace vorlan {

namespace {

// Case-insensitive first, bytes second, so the order never depends on the
// file system.
bool listedBefore(const std::string& a, const std::string& b) {
    auto byFoldedByte = [](char x, char y) {
        return static_cast<unsigned char>(foldCase(x)) < static_cast<unsigned char>(foldCase(y));
    };
    if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), byFoldedByte)) {
        return true;
    }
    if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), byFoldedByte)) {
        return false;
    }
    return a < b;
}

bool copyContents(int source, platform::FileReplacement& target) {
    std::vector<char> block(64 * 1024);
    for (;;) {
        int64_t n = platform::readFile(source, block.data(), block.size());
        if (n < 0) return false;
        if (n == 0) return true;
        if (!target.write(block.data(), static_cast<size_t>(n))) return false;
    }
}

}  // namespace

double fileSize(const RtString& name) {
    std::string path;
    if (!nativeFileName(name, path)) return 0.0;
    int fd = platform::openFileForReading(path);
    if (fd < 0) return 0.0;
    int64_t size = platform::fileSizeOf(fd);
    platform::closeFile(fd);
    return size > 0 ? static_cast<double>(size) : 0.0;
}

double fileExists(const RtString& name) {
    std::string path;
    if (!nativeFileName(name, path)) return 0.0;
    int fd = platform::openFileForReading(path);
    platform::closeFile(fd);
    return fd >= 0 ? 1.0 : 0.0;
}

double deleteFile(const RtString& name) {
    std::string path;
    return nativeFileName(name, path) && platform::removeFile(path) ? 1.0 : 0.0;
}

double copyFile(const RtString& sourceName, const RtString& targetName) {
    std::string sourcePath;
    std::string targetPath;
    if (!nativeFileName(sourceName, sourcePath) || !nativeFileName(targetName, targetPath)) {
        return 0.0;
    }
    int source = platform::openFileForReading(sourcePath);
    if (source < 0) return 0.0;
    // Whatever route the target name takes ("./a", a link), it must not be
    // the source: replacing it would lose the very bytes being copied.
    platform::FileIdentity from;
    platform::FileIdentity to;
    bool same = !platform::identityOf(source, from) ||
                (platform::identityOfPath(targetPath, to) && from == to);
    platform::FileReplacement target;
    bool ok = !same && target.begin(targetPath) && copyContents(source, target) && target.commit();
    platform::closeFile(source);
    return ok ? 1.0 : 0.0;
}

RtString currentDirectory() {
    std::string folder = platform::workingDirectory();
    std::replace(folder.begin(), folder.end(), '\\', '/');
    if (folder.empty() || folder.back() != '/') folder += '/';
    return RtString(folder.c_str());
}

double setCurrentDirectory(const RtString& name) {
    std::string path;
    return nativeFileName(name, path) && platform::changeDirectory(path) ? 1.0 : 0.0;
}

double listDirectory(const RtString& pattern, RtStringArray& names) {
    std::vector<platform::DirectoryEntry> entries;
    platform::listWorkingDirectory(entries);
    std::vector<std::string> folders;
    std::vector<std::string> files;
    for (platform::DirectoryEntry& entry : entries) {
        if (entry.isDirectory) {
            folders.push_back(std::move(entry.name));
        } else if (wildcardMatch(pattern, RtString(entry.name.c_str())) != 0) {
            files.push_back(std::move(entry.name));
        }
    }
    // "." and ".." lead, as every listing of a living folder has them.
    auto rank = [](const std::string& name) { return name == "." ? 0 : name == ".." ? 1 : 2; };
    std::sort(folders.begin(), folders.end(), [&](const std::string& a, const std::string& b) {
        return rank(a) != rank(b) ? rank(a) < rank(b) : listedBefore(a, b);
    });
    std::sort(files.begin(), files.end(), listedBefore);

    dimensionArray(names, static_cast<double>(folders.size() + files.size()));
    double index = 0;
    for (const std::string& name : folders) elementAt(names, index++) = name.c_str();
    for (const std::string& name : files) elementAt(names, index++) = name.c_str();
    return static_cast<double>(folders.size()) * 65536 + static_cast<double>(files.size());
}

double wildcardMatch(const RtString& patternText, const RtString& nameText) {
    const char* pattern = patternText.cStr();
    const char* name = nameText.cStr();
    // Where the last "*" stands, and where in the name it began to match:
    // on a mismatch that "*" takes one byte more and the rest is retried.
    const char* star = nullptr;
    const char* retry = nullptr;
    while (*name != '\0') {
        if (*pattern == '*') {
            while (*pattern == '*') ++pattern;
            if (*pattern == '\0') return 1.0;
            star = pattern;
            retry = name;
        } else if ((*pattern == '?' && *name != '.') ||
                   (*pattern != '?' && *pattern != '\0' && foldCase(*pattern) == foldCase(*name))) {
            ++pattern;
            ++name;
        } else if (star != nullptr) {
            pattern = star;
            name = ++retry;
        } else {
            return 0.0;
        }
    }
    while (*pattern == '*') ++pattern;
    return *pattern == '\0' ? 1.0 : 0.0;
}

}  // namespace vorlan
