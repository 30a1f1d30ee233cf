// Treats arbitrary bytes as a packed media archive: every entry named in its
// directory (and one missing name) is looked up and extracted. Extractions
// must stay inside the temporary folder, and nothing may be left behind.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "files/archive_format.h"
#include "files/media_archive.h"
#include "platform/temp_dir.h"

namespace {

std::string folder;       // private temporary folder, also TMPDIR
std::string archivePath;  // the archive under test, inside it

void removeFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

size_t folderEntries() {
    size_t count = 0;
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) std::abort();
    while (dirent* item = readdir(dir)) {
        std::string name = item->d_name;
        if (name != "." && name != "..") ++count;
    }
    closedir(dir);
    return count;
}

std::string upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::string pattern = vorlan::platform::temporaryDirectory() + "vorlan-archive-fuzz-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    folder = pattern;
    setenv("TMPDIR", folder.c_str(), 1);
    archivePath = folder + "/archive.viz";
    std::atexit(removeFolder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::FILE* file = std::fopen(archivePath.c_str(), "wb");
    if (file == nullptr) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
    std::fclose(file);

    std::vector<std::string> names;
    {
        vorlan::archive::ArchiveReader reader;
        if (reader.open(archivePath.c_str()) == vorlan::archive::ArchiveReader::OpenResult::Ok) {
            vorlan::archive::Entry entry;
            while (names.size() < 8 &&
                   reader.nextEntry(entry) == vorlan::archive::ArchiveReader::Walk::Entry) {
                names.push_back(entry.name);
            }
        }
    }
    names.push_back("missing.png");

    vorlan::ArchiveContext context;
    context.archiveName = archivePath;
    for (const std::string& name : names) {
        // Behind a folder that does not exist, so the name is never on disk.
        std::string request = folder + "/none/" + upper(name);
        vorlan::RtString result;
        if (vorlan::resolveMediaFile(context, request.c_str(), result) != 1) {
            if (result.length() != 0) std::abort();
            continue;
        }
        std::string path = result.cStr();
        std::string prefix = folder + "/viz";
        if (path.compare(0, prefix.size(), prefix) != 0) std::abort();
        if (path.find('/', prefix.size()) != std::string::npos) std::abort();
        struct stat info {};
        if (lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) std::abort();
        if (context.lastExtracted != path) std::abort();
    }
    vorlan::deletePendingExtraction(context);
    if (folderEntries() != 1) std::abort();  // only the archive itself
    if (context.enabled != 1) std::abort();  // a readable file never disables
    return 0;
}
