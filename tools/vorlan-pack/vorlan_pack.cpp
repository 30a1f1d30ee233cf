// vorlan-pack: writes, appends and lists packed media archives.
//
//   vorlan-pack create OUT FILE...    write a new archive OUT (replaced if it exists)
//   vorlan-pack append EXE FILE...    append an archive to an existing file, e.g. a game
//   vorlan-pack list ARCHIVE          print the entry names, one a line
//
// Entries are named by each file's final name component and compressed with
// LZO1X-999. Errors go to standard error with exit code 1 (2 for usage).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "files/archive_format.h"

namespace {

using vorlan::archive::ArchiveReader;

constexpr int kFailure = 1;
constexpr int kUsage = 2;

const char kUsageText[] =
    "usage: vorlan-pack create OUT FILE...\n"
    "       vorlan-pack append EXE FILE...\n"
    "       vorlan-pack list ARCHIVE\n"
    "\n"
    "create  writes a new archive OUT holding the FILEs (OUT is replaced).\n"
    "append  appends an archive holding the FILEs to EXE, which keeps working;\n"
    "        a Vorlan program finds the entries in its own file.\n"
    "list    prints the entry names of ARCHIVE, one a line.\n"
    "\n"
    "Each entry is named by its file's final name component, compared without\n"
    "regard to case; names of more than 255 bytes, names holding \"\\\" or \"..\",\n"
    "and duplicate names are refused, as is appending to a file that already\n"
    "ends in an archive.\n";

int fail(const std::string& message) {
    std::fprintf(stderr, "vorlan-pack: %s\n", message.c_str());
    return kFailure;
}

std::string systemError() {
    return std::strerror(errno);
}

struct PendingEntry {
    std::string path;
    std::string name;
    std::vector<uint8_t> block;  // size header + LZO1X stream
};

bool readWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = "cannot open " + path + ": " + systemError();
        return false;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        error = path + " is not a regular file";
        return false;
    }
    if (static_cast<uint64_t>(info.st_size) > vorlan::archive::kMaxUncompressedSize) {
        ::close(fd);
        error = path + " is larger than 1 GiB";
        return false;
    }
    bytes.resize(static_cast<size_t>(info.st_size));
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ::close(fd);
            error = "cannot read " + path;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    ::close(fd);
    return true;
}

// Names, checks and compresses the input files.
bool prepareEntries(const std::vector<std::string>& paths, std::vector<PendingEntry>& entries,
                    std::string& error) {
    for (const std::string& path : paths) {
        PendingEntry entry;
        entry.path = path;
        size_t slash = path.find_last_of('/');
        entry.name = slash == std::string::npos ? path : path.substr(slash + 1);
        if (entry.name.size() > vorlan::archive::kMaxNameLength) {
            error = "entry name of " + path + " is longer than 255 bytes";
            return false;
        }
        if (!vorlan::archive::isSafeEntryName(entry.name)) {
            error = "entry name \"" + entry.name + "\" of " + path +
                    " is empty or holds \"\\\" or \"..\"";
            return false;
        }
        for (const PendingEntry& other : entries) {
            if (vorlan::archive::namesEqualIgnoringCase(other.name.data(), other.name.size(),
                                                        entry.name.data(), entry.name.size())) {
                error = "duplicate entry name: " + other.path + " and " + path +
                        " (names are compared without regard to case)";
                return false;
            }
        }
        entries.push_back(std::move(entry));
    }
    for (PendingEntry& entry : entries) {
        std::vector<uint8_t> bytes;
        if (!readWholeFile(entry.path, bytes, error)) return false;
        if (!vorlan::archive::encodeEntryData(bytes.data(), bytes.size(), true, entry.block)) {
            error = "cannot compress " + entry.path;
            return false;
        }
    }
    return true;
}

void appendSigned(std::vector<uint8_t>& out, int64_t value) {
    vorlan::archive::appendLe32(out, static_cast<uint32_t>(static_cast<int32_t>(value)));
}

// The archive block: entry data, directory, end marker and trailer. With
// `endRelative` every offset counts back from the end of the file, so the
// block works wherever it ends up (after an executable); otherwise offsets
// count from the start of the block, which starts the file.
bool buildArchive(const std::vector<PendingEntry>& entries, bool endRelative,
                  std::vector<uint8_t>& out, std::string& error) {
    uint64_t total = 0;
    for (const PendingEntry& entry : entries)
        total += entry.block.size() + 1 + entry.name.size() + 8;
    total += 1 + vorlan::archive::kTrailerSize;
    if (total > static_cast<uint64_t>(INT32_MAX)) {
        error = "the archive would exceed 2 GiB, beyond the reach of its 32-bit offsets";
        return false;
    }
    auto offsetOf = [&](uint64_t position) -> int64_t {
        return endRelative ? static_cast<int64_t>(position) - static_cast<int64_t>(total)
                           : static_cast<int64_t>(position);
    };
    out.clear();
    out.reserve(static_cast<size_t>(total));
    std::vector<uint64_t> positions;
    for (const PendingEntry& entry : entries) {
        positions.push_back(out.size());
        out.insert(out.end(), entry.block.begin(), entry.block.end());
    }
    uint64_t directory = out.size();
    for (size_t i = 0; i < entries.size(); ++i) {
        out.push_back(static_cast<uint8_t>(entries[i].name.size()));
        out.insert(out.end(), entries[i].name.begin(), entries[i].name.end());
        appendSigned(out, offsetOf(positions[i]));
        vorlan::archive::appendLe32(out, static_cast<uint32_t>(entries[i].block.size()));
    }
    out.push_back(0);
    out.insert(out.end(), vorlan::archive::kMagic, vorlan::archive::kMagic + 3);
    appendSigned(out, offsetOf(directory));
    return true;
}

bool writeAll(int fd, const std::vector<uint8_t>& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// True when the file's last 7 bytes start with the archive magic.
bool endsInArchive(int fd, uint64_t size) {
    if (size < vorlan::archive::kTrailerSize) return false;
    char magic[3];
    ssize_t n =
        ::pread(fd, magic, sizeof magic, static_cast<off_t>(size - vorlan::archive::kTrailerSize));
    return n == 3 && std::memcmp(magic, vorlan::archive::kMagic, 3) == 0;
}

int createArchive(const std::string& out, const std::vector<std::string>& files) {
    std::vector<PendingEntry> entries;
    std::string error;
    std::vector<uint8_t> archive;
    if (!prepareEntries(files, entries, error) || !buildArchive(entries, false, archive, error)) {
        return fail(error);
    }
    // Written beside the target and renamed over it, so that a failure
    // leaves any earlier file untouched.
    std::string temporary = out + ".vorlan-pack-XXXXXX";
    int fd = ::mkstemp(temporary.data());
    if (fd < 0) return fail("cannot create " + out + ": " + systemError());
    bool ok = writeAll(fd, archive) && ::fchmod(fd, 0644) == 0;
    if (::close(fd) != 0) ok = false;
    if (!ok || ::rename(temporary.c_str(), out.c_str()) != 0) {
        std::string reason = systemError();
        ::unlink(temporary.c_str());
        return fail("cannot write " + out + ": " + reason);
    }
    return 0;
}

int appendArchive(const std::string& target, const std::vector<std::string>& files) {
    int fd = ::open(target.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return fail("cannot open " + target + ": " + systemError());
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return fail(target + " is not a regular file");
    }
    uint64_t size = static_cast<uint64_t>(info.st_size);
    if (endsInArchive(fd, size)) {
        ::close(fd);
        return fail(target + " already ends in an archive");
    }
    std::vector<PendingEntry> entries;
    std::string error;
    std::vector<uint8_t> archive;
    if (!prepareEntries(files, entries, error) || !buildArchive(entries, true, archive, error)) {
        ::close(fd);
        return fail(error);
    }
    bool ok = ::lseek(fd, 0, SEEK_END) == static_cast<off_t>(size) && writeAll(fd, archive);
    if (!ok) {
        std::string reason = systemError();
        // Leave the file as it was.
        if (::ftruncate(fd, static_cast<off_t>(size)) != 0) reason += " (and cannot restore it)";
        ::close(fd);
        return fail("cannot append to " + target + ": " + reason);
    }
    if (::close(fd) != 0) return fail("cannot append to " + target + ": " + systemError());
    return 0;
}

int listArchive(const std::string& path) {
    ArchiveReader reader;
    switch (reader.open(path.c_str())) {
        case ArchiveReader::OpenResult::CannotOpen:
            return fail("cannot open " + path + " as a file");
        case ArchiveReader::OpenResult::NotArchive:
            return fail(path + " does not end in an archive");
        case ArchiveReader::OpenResult::Ok:
            break;
    }
    vorlan::archive::Entry entry;
    ArchiveReader::Walk walk;
    while ((walk = reader.nextEntry(entry)) == ArchiveReader::Walk::Entry) {
        std::fwrite(entry.name.data(), 1, entry.name.size(), stdout);
        std::fputc('\n', stdout);
    }
    if (std::fflush(stdout) != 0) return fail("cannot write the list");
    if (walk == ArchiveReader::Walk::Broken) return fail(path + ": the directory is cut short");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::fputs(kUsageText, stdout);
        return 0;
    }
    if (args.size() >= 3 && (args[0] == "create" || args[0] == "append")) {
        std::vector<std::string> files(args.begin() + 2, args.end());
        return args[0] == "create" ? createArchive(args[1], files) : appendArchive(args[1], files);
    }
    if (args.size() == 2 && args[0] == "list") return listArchive(args[1]);
    std::fputs(kUsageText, stderr);
    return kUsage;
}
