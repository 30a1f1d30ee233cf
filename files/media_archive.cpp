#include "files/media_archive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vorlan/app.h>

#include <cerrno>
#include <vector>

#include "files/archive_format.h"
#include "platform/program_path.h"
#include "platform/temp_dir.h"

namespace vorlan {

namespace {

// Created by initMediaArchives, freed by shutdownMediaArchives. Plain
// pointers so that they are constant-initialised and usable at any time.
ArchiveContext* contexts[2] = {nullptr, nullptr};

// A name on disk wins when it can be opened for reading. A directory does
// not count: it cannot be opened as a file on every platform the games
// come from, and a folder must not hide an archive entry.
bool fileOpensForReading(const std::string& name) {
    std::string path = platform::nativePath(name.c_str());
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    struct stat info {};
    bool usable = ::fstat(fd, &info) == 0 && !S_ISDIR(info.st_mode);
    ::close(fd);
    return usable;
}

// Creates or truncates the extracted file, safely in a shared temporary
// directory:
// whatever is at the path (a stale file, or a symbolic link planted by
// someone else) is removed first, and the file is then created afresh
// without following links.
bool writeExtractedFile(const std::string& path, const uint8_t* bytes, size_t size) {
    ::unlink(path.c_str());
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    size_t done = 0;
    while (done < size) {
        ssize_t n = ::write(fd, bytes + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    bool ok = done == size;
    if (::close(fd) != 0) ok = false;
    if (!ok) ::unlink(path.c_str());
    return ok;
}

// Reads, checks and decodes a found entry into its temporary file; gives
// the file's path, or "" when the entry is broken.
std::string extractEntry(archive::ArchiveReader& reader, const archive::Entry& entry) {
    // An entry name becomes part of a path in the temporary directory: one
    // that could reach outside it is refused, as is data outside the file.
    if (!archive::isSafeEntryName(entry.name) || !entry.inBounds) return {};
    std::vector<uint8_t> data;
    if (!reader.readEntryData(entry, data)) return {};
    reader.close();
    archive::DecodedData decoded;
    if (!archive::decodeEntryData(data.data(), data.size(), decoded)) return {};

    // The first letter comes from the data offset resolved from the start
    // of the file, so that end-relative (negative) offsets give a letter too.
    std::string path = platform::temporaryDirectory();
    if (path.empty()) return {};
    path += "viz";
    path += static_cast<char>('A' + entry.position % 26);
    path += static_cast<char>('A' + entry.dataSize % 26);
    path += entry.name;
    if (!writeExtractedFile(path, decoded.bytes.get(), decoded.size)) return {};
    return path;
}

// Looks a name that is not on disk up in the context's archive and extracts
// it; gives the extracted path, or "" when the archive does not yield it.
std::string extractFromArchive(ArchiveContext& context, const std::string& requested) {
    if (!context.enabled) return {};
    if (context.archiveName.empty()) {
        context.enabled = 0;
        return {};
    }
    archive::ArchiveReader reader;
    switch (reader.open(context.archiveName.c_str())) {
        case archive::ArchiveReader::OpenResult::CannotOpen:
            context.enabled = 0;
            return {};
        case archive::ArchiveReader::OpenResult::NotArchive:
            return {};
        case archive::ArchiveReader::OpenResult::Ok:
            break;
    }

    const char* wanted = archive::finalNameComponent(requested.c_str());
    size_t wantedLength = requested.size() - static_cast<size_t>(wanted - requested.c_str());
    archive::Entry entry;
    if (reader.findEntry(wanted, wantedLength, entry) != archive::ArchiveReader::Walk::Entry) {
        return {};
    }
    std::string path = extractEntry(reader, entry);
    if (path.empty())
        appendErrorLog(("cannot extract " + std::string(wanted, wantedLength)).c_str());
    return path;
}

}  // namespace

void deletePendingExtraction(ArchiveContext& context) {
    if (context.lastExtracted.empty()) return;
    ::unlink(context.lastExtracted.c_str());
    context.lastExtracted.clear();
}

int resolveMediaFile(ArchiveContext& context, const char* name, RtString& result) {
    // A copy first: the name may live in result's own buffer.
    std::string requested = name ? name : "";
    deletePendingExtraction(context);
    if (requested.empty()) {
        result = "";
        return 0;
    }
    if (fileOpensForReading(requested)) {
        result = requested.c_str();
        return 1;
    }
    std::string path = extractFromArchive(context, requested);
    if (path.empty()) {
        result = "";
        return 0;
    }
    context.lastExtracted = path;
    result = path.c_str();
    return 1;
}

void setArchiveName(const char* firstName, const char* secondName) {
    const char* names[2] = {firstName, secondName};
    for (int i = 0; i < 2; ++i) {
        if (contexts[i] == nullptr) continue;
        deletePendingExtraction(*contexts[i]);
        contexts[i]->enabled = 1;
        contexts[i]->archiveName = names[i] ? names[i] : "";
    }
}

void initMediaArchives(const char* programPath) {
    for (auto& context : contexts) {
        if (context == nullptr) context = new ArchiveContext;
    }
    std::string name = (programPath && *programPath) ? programPath : platform::programPath();
    setArchiveName(name.c_str(), name.c_str());
}

void shutdownMediaArchives() {
    for (auto& context : contexts) {
        if (context == nullptr) continue;
        deletePendingExtraction(*context);
        delete context;
        context = nullptr;
    }
}

ArchiveContext* archiveContext(int index) {
    return (index == 0 || index == 1) ? contexts[index] : nullptr;
}

int resolveMediaName(const char* name, RtString& result) {
    if (contexts[0] != nullptr) return resolveMediaFile(*contexts[0], name, result);
    // No archive yet: a context that never looks into one.
    ArchiveContext diskOnly;
    diskOnly.enabled = 0;
    return resolveMediaFile(diskOnly, name, result);
}

}  // namespace vorlan
