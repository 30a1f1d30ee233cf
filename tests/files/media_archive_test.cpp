// Media name resolution: files on disk, archive lookups and extraction, and
// archives with odd or hostile layouts, all built by hand.
#include "files/media_archive.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "files/test_archives.h"
#include "platform/program_path.h"
#include "support/temp_folder.h"

namespace vorlan {
namespace {

namespace fs = std::filesystem;
using test::ArchiveBytes;
using test::DirectoryEntry;
using test::lzoBlock;

class MediaArchiveTest : public ::testing::Test {
  protected:
    void SetUp() override { fs::create_directory(work); }
    void TearDown() override { shutdownMediaArchives(); }

    std::string writeFile(const std::string& name, const std::string& bytes) {
        fs::path path = work / name;
        test::writeWholeFile(path, bytes);
        return path.string();
    }
    ArchiveContext contextFor(const std::string& archivePath) {
        ArchiveContext context;
        context.archiveName = archivePath;
        return context;
    }
    // Files in the temporary directory (TMPDIR) made by extractions.
    std::vector<std::string> extractedFiles() const {
        std::vector<std::string> names;
        for (const auto& item : fs::directory_iterator(temp.path())) {
            std::string name = item.path().filename().string();
            if (name.rfind("viz", 0) == 0) names.push_back(name);
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    // The extracted file's path: the temporary directory, "viz", a letter for
    // the data's position and one for its stored size, then the entry name.
    std::string expectedPath(uint64_t position, uint32_t size, const std::string& name) const {
        std::string path = temp.path().string() + "/viz";
        path += static_cast<char>('A' + position % 26);
        path += static_cast<char>('A' + size % 26);
        return path + name;
    }

    test::TempFolder temp;  // also TMPDIR, where extractions land
    fs::path work = temp.path() / "work";
};

TEST_F(MediaArchiveTest, ExistingFileIsUsedUnchangedEvenWhenTheArchiveHoldsIt) {
    ArchiveBytes archive;
    archive.addEntry("bush.png", "from the archive");
    ArchiveContext context = contextFor(writeFile("media.viz", archive.finish()));
    fs::create_directory(work / "gfx");
    std::string onDisk = writeFile("gfx/bush.png", "from the disk");

    RtString result;
    EXPECT_EQ(resolveMediaFile(context, onDisk.c_str(), result), 1);
    EXPECT_STREQ(result.cStr(), onDisk.c_str());
    // Backslashes are separators too; the name comes back as it was given.
    std::string backslashed = work.string() + "\\gfx\\bush.png";
    EXPECT_EQ(resolveMediaFile(context, backslashed.c_str(), result), 1);
    EXPECT_STREQ(result.cStr(), backslashed.c_str());
    EXPECT_TRUE(extractedFiles().empty());
    EXPECT_TRUE(context.lastExtracted.empty());
}

TEST_F(MediaArchiveTest, FinalNameComponentMatchesAnEntryWithoutRegardToCase) {
    ArchiveBytes archive;
    archive.add("some leading bytes");
    archive.addEntry("tree.png", "a tree");
    archive.addEntry("bush.png", "a bush, twice: a bush");
    ArchiveContext context = contextFor(writeFile("media.viz", archive.finish()));
    const DirectoryEntry& bush = archive.entries()[1];

    for (const char* request : {"gfx/Bush.PNG", "gfx\\BUSH.png", "bush.png", "x/y\\z/bUsH.pNg"}) {
        RtString result;
        ASSERT_EQ(resolveMediaFile(context, request, result), 1) << request;
        std::string expected =
            expectedPath(static_cast<uint32_t>(bush.dataOffset), bush.dataSize, "bush.png");
        EXPECT_EQ(std::string(result.cStr()), expected) << request;
        EXPECT_EQ(test::readWholeFile(expected), "a bush, twice: a bush");
        EXPECT_EQ(context.lastExtracted, expected);
    }
    RtString result;
    EXPECT_EQ(resolveMediaFile(context, "gfx/bush.pn", result), 0);
    EXPECT_EQ(resolveMediaFile(context, "gfx/bush.png/", result), 0);
    EXPECT_STREQ(result.cStr(), "");
    EXPECT_EQ(context.enabled, 1);
}

TEST_F(MediaArchiveTest, OnlyTheLastExtractionStaysOnDisk) {
    ArchiveBytes archive;
    archive.addEntry("one.txt", "first");
    archive.addEntry("two.txt", "second");
    ArchiveContext context = contextFor(writeFile("media.viz", archive.finish()));

    RtString first, second;
    ASSERT_EQ(resolveMediaFile(context, "one.txt", first), 1);
    ASSERT_EQ(resolveMediaFile(context, "two.txt", second), 1);
    EXPECT_FALSE(fs::exists(first.cStr()));
    EXPECT_EQ(test::readWholeFile(second.cStr()), "second");
    EXPECT_EQ(extractedFiles().size(), 1u);

    // A lookup that finds nothing still deletes the pending file, and so
    // does an empty name, which gives nothing.
    RtString again;
    ASSERT_EQ(resolveMediaFile(context, "one.txt", again), 1);
    EXPECT_EQ(resolveMediaFile(context, "three.txt", again), 0);
    EXPECT_TRUE(extractedFiles().empty());
    ASSERT_EQ(resolveMediaFile(context, "one.txt", again), 1);
    EXPECT_EQ(resolveMediaFile(context, "", again), 0);
    EXPECT_STREQ(again.cStr(), "");
    EXPECT_TRUE(extractedFiles().empty());
    EXPECT_TRUE(context.lastExtracted.empty());
}

TEST_F(MediaArchiveTest, ResultMayShareItsBufferWithTheName) {
    ArchiveBytes archive;
    archive.addEntry("bush.png", "leaves");
    ArchiveContext context = contextFor(writeFile("media.viz", archive.finish()));
    RtString name("gfx/Bush.PNG");
    ASSERT_EQ(resolveMediaFile(context, name.cStr(), name), 1);
    EXPECT_EQ(test::readWholeFile(name.cStr()), "leaves");
    RtString missing("gfx/none.png");
    EXPECT_EQ(resolveMediaFile(context, missing.cStr(), missing), 0);
    EXPECT_STREQ(missing.cStr(), "");
}

TEST_F(MediaArchiveTest, UnopenableArchiveDisablesTheContextForGood) {
    std::string path = (work / "later.viz").string();
    ArchiveContext context = contextFor(path);
    RtString result;
    EXPECT_EQ(resolveMediaFile(context, "bush.png", result), 0);
    EXPECT_EQ(context.enabled, 0);

    // The archive appearing later changes nothing: the context stays off.
    ArchiveBytes archive;
    archive.addEntry("bush.png", "leaves");
    writeFile("later.viz", archive.finish());
    EXPECT_EQ(resolveMediaFile(context, "bush.png", result), 0);
    EXPECT_STREQ(result.cStr(), "");
    // Files on disk are still found.
    EXPECT_EQ(resolveMediaFile(context, path.c_str(), result), 1);
}

TEST_F(MediaArchiveTest, FolderOrEmptyNameAsArchiveDisablesTheContext) {
    // The program's folder can never serve as the archive.
    ArchiveContext folder = contextFor(work.string());
    RtString result;
    EXPECT_EQ(resolveMediaFile(folder, "bush.png", result), 0);
    EXPECT_EQ(folder.enabled, 0);

    ArchiveContext unnamed = contextFor("");
    EXPECT_EQ(resolveMediaFile(unnamed, "bush.png", result), 0);
    EXPECT_EQ(unnamed.enabled, 0);

    // A folder is not a file on disk either: it does not hide an entry.
    ArchiveBytes archive;
    archive.addEntry("gfx", "an entry named like a folder");
    ArchiveContext context = contextFor(writeFile("media.viz", archive.finish()));
    fs::create_directory(work / "gfx");
    ASSERT_EQ(resolveMediaFile(context, (work / "gfx").c_str(), result), 1);
    EXPECT_EQ(test::readWholeFile(result.cStr()), "an entry named like a folder");
}

TEST_F(MediaArchiveTest, NamedPipeAsArchiveDisablesTheContextWithoutBlocking) {
    std::string path = (work / "pipe.viz").string();
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    ArchiveContext context = contextFor(path);
    RtString result;
    EXPECT_EQ(resolveMediaFile(context, "bush.png", result), 0);
    EXPECT_EQ(context.enabled, 0);
}

TEST_F(MediaArchiveTest, BadMagicOrShortFileFailsThisLookupOnly) {
    ArchiveBytes archive;
    archive.addEntry("bush.png", "leaves");
    std::string path = writeFile("media.viz", archive.finish(true, "viz"));
    ArchiveContext context = contextFor(path);
    RtString result;
    EXPECT_EQ(resolveMediaFile(context, "bush.png", result), 0);
    EXPECT_EQ(context.enabled, 1);

    writeFile("media.viz", "viZ");
    EXPECT_EQ(resolveMediaFile(context, "bush.png", result), 0);
    EXPECT_EQ(context.enabled, 1);
    writeFile("media.viz", "");
    EXPECT_EQ(resolveMediaFile(context, "bush.png", result), 0);
    EXPECT_EQ(context.enabled, 1);

    // Mended, the same context finds the entry.
    writeFile("media.viz", archive.finish());
    ASSERT_EQ(resolveMediaFile(context, "bush.png", result), 1);
    EXPECT_EQ(test::readWholeFile(result.cStr()), "leaves");
}

TEST_F(MediaArchiveTest, EndRelativeOffsetsFindTheirData) {
    ArchiveBytes archive;
    archive.add(std::string(1000, '\x7F'));  // stands for the program file
    archive.addEntry("music.ogg", std::string(5000, 'm'));
    archive.addEntry("Font.BMP", "glyphs");
    std::string bytes = archive.finishEndRelative();
    ArchiveContext context = contextFor(writeFile("game", bytes));

    RtString result;
    ASSERT_EQ(resolveMediaFile(context, "fonts/font.bmp", result), 1);
    const DirectoryEntry& font = archive.entries()[1];
    // The letters come from the data's position from the start of the file.
    EXPECT_EQ(std::string(result.cStr()),
              expectedPath(static_cast<uint32_t>(font.dataOffset), font.dataSize, "Font.BMP"));
    EXPECT_EQ(test::readWholeFile(result.cStr()), "glyphs");
    ASSERT_EQ(resolveMediaFile(context, "music.ogg", result), 1);
    EXPECT_EQ(test::readWholeFile(result.cStr()), std::string(5000, 'm'));
}

TEST_F(MediaArchiveTest, FirstOfTwoEqualNamesWins) {
    ArchiveBytes archive;
    archive.addEntry("Bush.png", "first");
    archive.addEntry("bush.PNG", "second");
    ArchiveContext context = contextFor(writeFile("media.viz", archive.finish()));
    RtString result;
    ASSERT_EQ(resolveMediaFile(context, "bush.png", result), 1);
    EXPECT_EQ(test::readWholeFile(result.cStr()), "first");
}

TEST_F(MediaArchiveTest, CutDirectoryFindsOnlyWhatWasReadBeforeTheCut) {
    ArchiveBytes archive;
    archive.addEntry("one.txt", "first");
    archive.addEntry("two.txt", "second");
    // No end marker: after the last entry the walk runs into the trailer
    // and then off the end of the file.
    ArchiveContext context = contextFor(writeFile("media.viz", archive.finish(false)));
    RtString result;
    ASSERT_EQ(resolveMediaFile(context, "two.txt", result), 1);
    EXPECT_EQ(test::readWholeFile(result.cStr()), "second");
    EXPECT_EQ(resolveMediaFile(context, "three.txt", result), 0);
    EXPECT_EQ(context.enabled, 1);

    // A directory that starts in the middle of the trailer.
    std::string bytes = archive.finish();
    ArchiveContext intoTrailer =
        contextFor(writeFile("cut.viz", archive.finishWithOffset(static_cast<int32_t>(-5))));
    EXPECT_EQ(resolveMediaFile(intoTrailer, "one.txt", result), 0);
    // A name length that runs past the end of the file.
    std::string cutName = archive.finishWithOffset(static_cast<int32_t>(bytes.size() - 8));
    cutName[bytes.size() - 8] = '\x40';  // the end marker becomes a name length
    ArchiveContext longName = contextFor(writeFile("cut2.viz", cutName));
    EXPECT_EQ(resolveMediaFile(longName, "one.txt", result), 0);
    EXPECT_TRUE(extractedFiles().empty());
}

TEST_F(MediaArchiveTest, DirectoryOffsetOutsideTheFileFailsCleanly) {
    ArchiveBytes archive;
    archive.addEntry("bush.png", "leaves");
    std::string size = std::to_string(archive.finish().size());
    for (int32_t offset : {INT32_MAX, INT32_MIN, -100000, 100000, -1000}) {
        ArchiveContext context =
            contextFor(writeFile("media.viz", archive.finishWithOffset(offset)));
        RtString result;
        EXPECT_EQ(resolveMediaFile(context, "bush.png", result), 0) << offset << " of " << size;
        EXPECT_EQ(context.enabled, 1);
    }
}

TEST_F(MediaArchiveTest, EntryValuesOutsideTheArchiveFailTheLookupCleanly) {
    std::string good = lzoBlock("leaves");
    struct Case {
        const char* what;
        int32_t offset;
        uint32_t size;
        std::string block;
    } cases[] = {
        {"offset past the end", 1 << 20, 10, ""},
        {"offset at INT32_MAX", INT32_MAX, 10, ""},
        {"offset before the start", INT32_MIN, 10, ""},
        {"end-relative offset before the start", -(1 << 20), 10, ""},
        {"size past the end", 0, 1 << 30, good},
        {"size of UINT32_MAX", 0, UINT32_MAX, good},
        {"size without room for the size header", 0, 3, good},
        {"uncompressed size of 4 GiB - 1", 0, 0, "\xFF\xFF\xFF\xFF" + good.substr(4)},
        {"uncompressed size 2 GiB from 10 bytes", 0, 0,
         std::string("\0\0\0\x80", 4) + "0123456789"},
        {"uncompressed size far beyond the stream", 0, 0,
         std::string("\0\0\x10\0", 4) + good.substr(4)},
    };
    for (const Case& c : cases) {
        ArchiveBytes archive;
        uint32_t at = archive.add(c.block);
        uint32_t size = c.size != 0 ? c.size : static_cast<uint32_t>(c.block.size());
        int32_t offset = c.offset != 0 ? c.offset : static_cast<int32_t>(at);
        archive.addDirectoryEntry({"bush.png", offset, size});
        ArchiveContext context = contextFor(writeFile("media.viz", archive.finish()));
        RtString result;
        EXPECT_EQ(resolveMediaFile(context, "bush.png", result), 0) << c.what;
        EXPECT_STREQ(result.cStr(), "") << c.what;
        EXPECT_EQ(context.enabled, 1) << c.what;
        EXPECT_TRUE(extractedFiles().empty()) << c.what;
    }
}

TEST_F(MediaArchiveTest, StreamThatFailsToDecodeGivesAnEmptyFile) {
    std::string good = lzoBlock(std::string(300, 'a') + "bcdefgh");
    struct Case {
        const char* what;
        std::string block;
    } cases[] = {
        {"garbage stream", std::string("\x20\0\0\0", 4) + "\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF"},
        {"declared size larger than the stream gives",
         std::string("\x40\x01\0\0", 4) + good.substr(4)},
        {"declared size smaller than the stream gives",
         std::string("\x10\0\0\0", 4) + good.substr(4)},
        {"stream cut short", good.substr(0, good.size() - 3)},
        {"bytes after the end of the stream", good + "junk"},
    };
    for (const Case& c : cases) {
        ArchiveBytes archive;
        uint32_t at = archive.add(c.block);
        archive.addDirectoryEntry(
            {"bush.png", static_cast<int32_t>(at), static_cast<uint32_t>(c.block.size())});
        ArchiveContext context = contextFor(writeFile("media.viz", archive.finish()));
        RtString result;
        ASSERT_EQ(resolveMediaFile(context, "bush.png", result), 1) << c.what;
        EXPECT_TRUE(fs::exists(result.cStr())) << c.what;
        EXPECT_EQ(fs::file_size(result.cStr()), 0u) << c.what;
    }
}

TEST_F(MediaArchiveTest, EmptyEntryExtractsToAnEmptyFile) {
    ArchiveBytes archive;
    archive.addEntry("empty.dat", "");
    ArchiveContext context = contextFor(writeFile("media.viz", archive.finish()));
    RtString result;
    ASSERT_EQ(resolveMediaFile(context, "empty.dat", result), 1);
    EXPECT_EQ(fs::file_size(result.cStr()), 0u);
}

TEST_F(MediaArchiveTest, EntryNamesThatCouldLeaveTheTemporaryFolderAreRefused) {
    ArchiveBytes archive;
    std::string block = lzoBlock("escaped");
    uint32_t at = archive.add(block);
    auto size = static_cast<uint32_t>(block.size());
    for (const char* name :
         {"..", "a..b", "../../escape.txt", "..\\escape.txt", "sub/escape.txt"}) {
        archive.addDirectoryEntry({name, static_cast<int32_t>(at), size});
    }
    archive.addDirectoryEntry({std::string("nul\0byte", 8), static_cast<int32_t>(at), size});
    archive.addEntry("fine.txt", "fine");
    ArchiveContext context = contextFor(writeFile("media.viz", archive.finish()));

    RtString result;
    for (const char* request : {"x/..", "..", "a..b", "../../escape.txt", "..\\escape.txt",
                                "sub/escape.txt", "escape.txt", "nul"}) {
        EXPECT_EQ(resolveMediaFile(context, request, result), 0) << request;
    }
    EXPECT_TRUE(extractedFiles().empty());
    EXPECT_FALSE(fs::exists(temp.path().parent_path() / "escape.txt"));
    ASSERT_EQ(resolveMediaFile(context, "fine.txt", result), 1);
    EXPECT_EQ(context.enabled, 1);
}

TEST_F(MediaArchiveTest, PlantedLinkAtTheExtractionPathIsReplacedNotFollowed) {
    ArchiveBytes archive;
    archive.addEntry("bush.png", "leaves");
    ArchiveContext context = contextFor(writeFile("media.viz", archive.finish()));
    const DirectoryEntry& bush = archive.entries()[0];
    std::string target =
        expectedPath(static_cast<uint32_t>(bush.dataOffset), bush.dataSize, "bush.png");
    std::string victim = writeFile("victim.txt", "precious");
    fs::create_symlink(victim, target);

    RtString result;
    ASSERT_EQ(resolveMediaFile(context, "bush.png", result), 1);
    EXPECT_EQ(std::string(result.cStr()), target);
    EXPECT_FALSE(fs::is_symlink(target));
    EXPECT_EQ(test::readWholeFile(target), "leaves");
    EXPECT_EQ(test::readWholeFile(victim), "precious");
}

TEST_F(MediaArchiveTest, StartUpNamesBothContextsAndShutdownDeletesPendingFiles) {
    ArchiveBytes archive;
    archive.addEntry("bush.png", "leaves");
    std::string path = writeFile("media.viz", archive.finish());

    RtString result;
    // Before start-up only files on disk are found.
    EXPECT_EQ(resolveMediaName("bush.png", result), 0);
    EXPECT_EQ(resolveMediaName(path.c_str(), result), 1);

    initMediaArchives(path.c_str());
    ASSERT_NE(archiveContext(0), nullptr);
    ASSERT_NE(archiveContext(1), nullptr);
    EXPECT_EQ(archiveContext(0)->archiveName, path);
    EXPECT_EQ(archiveContext(1)->archiveName, path);
    EXPECT_EQ(archiveContext(2), nullptr);

    ASSERT_EQ(resolveMediaName("gfx/BUSH.png", result), 1);
    std::string first = result.cStr();
    EXPECT_TRUE(fs::exists(first));
    // Naming the archives again deletes the pending file and enables both.
    archiveContext(0)->enabled = 0;
    setArchiveName(path.c_str(), "elsewhere.viz");
    EXPECT_FALSE(fs::exists(first));
    EXPECT_EQ(archiveContext(0)->enabled, 1);
    EXPECT_EQ(archiveContext(1)->archiveName, "elsewhere.viz");

    // The second context resolves on its own but is never used by lookups.
    ArchiveContext& second = *archiveContext(1);
    second.archiveName = path;
    ASSERT_EQ(resolveMediaFile(second, "bush.png", result), 1);
    ASSERT_EQ(resolveMediaName("bush.png", result), 1);
    EXPECT_EQ(extractedFiles().size(), 1u);  // both extracted to the same name

    shutdownMediaArchives();
    EXPECT_TRUE(extractedFiles().empty());
    EXPECT_EQ(archiveContext(0), nullptr);
    EXPECT_EQ(resolveMediaName("bush.png", result), 0);
    shutdownMediaArchives();  // twice is harmless
}

TEST_F(MediaArchiveTest, StartUpWithoutANameUsesTheProgramFile) {
    initMediaArchives(nullptr);
    ASSERT_NE(archiveContext(0), nullptr);
    EXPECT_EQ(archiveContext(0)->archiveName, platform::programPath());
    // This test program carries no archive: missing names are simply not
    // found, and the context stays usable.
    RtString result;
    EXPECT_EQ(resolveMediaName("no-such-media.png", result), 0);
    EXPECT_EQ(archiveContext(0)->enabled, 1);
}

}  // namespace
}  // namespace vorlan
