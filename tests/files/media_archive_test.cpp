// Lookups in hand-built (hostile) archives, extraction and clean-up, and the
// packing tool down to a program that finds the archive appended to itself.
#include "files/media_archive.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "files/test_archives.h"
#include "support/child_entry.h"
#include "support/temp_folder.h"

namespace vorlan {
namespace {

namespace fs = std::filesystem;
using namespace test;

class MediaArchiveTest : public ::testing::Test {
  protected:
    void TearDown() override { shutdownMediaArchives(); }
    std::string put(const std::string& name, const std::string& bytes) {
        fs::create_directories(temp.file(name).parent_path());
        test::writeWholeFile(temp.file(name), bytes);
        return temp.file(name).string();
    }
    int extractedFiles() const {
        int count = 0;
        for (const auto& item : fs::directory_iterator(temp.path()))
            count += item.path().filename().string().rfind("viz", 0) == 0;
        return count;
    }
    // The packing tool.
    test::ProcessResult pack(std::vector<std::string> args) {
        args.insert(args.begin(), (test::buildBin() / "vorlan-pack").string());
        return test::runToEnd(args);
    }

    test::TempFolder temp;  // also TMPDIR, where extractions land
};

// An archive holding one entry for `name` whose block is `block`.
std::string withBlock(const std::string& name, const std::string& block, int32_t offset = 0,
                      uint32_t size = 0) {
    ArchiveBytes archive;
    uint32_t at = archive.add(block);
    archive.entries.push_back(
        {name, offset ? offset : int32_t(at), size ? size : uint32_t(block.size())});
    return archive.finish();
}

// Found but not extractable: the lookup fails with a line in the log, and a
// broken archive fails that one lookup only.
TEST_F(MediaArchiveTest, LookupsExtractionStartUpAndShutdown) {
    ArchiveBytes two, program;
    two.add("leading bytes");
    two.addEntry("Bush.png", "first");
    two.addEntry("bush.PNG", "second");
    two.addEntry("tree.png", "a tree");
    program.add(std::string(1000, '\x7F'));  // stands for the program file
    program.addEntry("Font.BMP", "glyphs");
    const std::string good = lzoBlock(std::string(300, 'a') + "bcdefgh");
    const std::string stream = good.substr(4);  // the block without its size
    const std::string goodBytes = two.finish();
    std::string cutName = two.finish(true, "viZ", int32_t(goodBytes.size() - 8));
    cutName[goodBytes.size() - 8] = '\x40';  // the end marker becomes a name length
    const char* broken = "cannot extract ";
    struct Case {
        const char* what;
        std::string archive;
        const char *request, *content;  // nullptr: not found
    };
    const Case cases[] = {
        {"final component, any case", goodBytes, "x/y\\z/bUsH.pNg", "first"},  // first of equals
        {"not a prefix", goodBytes, "gfx/bush.pn", nullptr},
        {"end-relative offsets", program.finish(true, "viZ", {}, true), "f/font.bmp", "glyphs"},
        {"no end marker: what came before", two.finish(false), "tree.png", "a tree"},
        {"bad magic", two.finish(true, "viz"), "tree.png", nullptr},
        {"trailer only", "viZ", "tree.png", nullptr},
        {"directory in the trailer", two.finish(true, "viZ", -5), "tree.png", nullptr},
        {"directory past the end", two.finish(true, "viZ", INT32_MAX), "tree.png", nullptr},
        {"directory before the start", two.finish(true, "viZ", INT32_MIN), "tree.png", nullptr},
        {"name length past the end", cutName, "tree.png", nullptr},
        {"entry past the end", withBlock("e", "", 1 << 20, 10), "e", broken},
        {"entry before the start", withBlock("e", "", INT32_MIN, 10), "e", broken},
        {"size past the end", withBlock("e", good, 0, UINT32_MAX), "e", broken},
        {"no room for the size", withBlock("e", good, 0, 3), "e", broken},
        {"4 GiB declared", withBlock("e", "\xFF\xFF\xFF\xFF" + stream), "e", broken},
        {"far beyond", withBlock("e", std::string("\0\0\x10\0", 4) + stream), "e", broken},
        {"garbage stream", withBlock("e", std::string("\x20\0\0\0\xFF\xFF\xFF", 7)), "e", broken},
        {"too large", withBlock("e", std::string("\x40\x01\0\0", 4) + stream), "e", broken},
        {"stream cut short", withBlock("e", good.substr(0, good.size() - 3)), "e", broken},
        {"bytes after the stream", withBlock("e", good + "junk"), "e", broken},
        {"empty entry", withBlock("e", lzoBlock("")), "e", ""},
        {"parent folder", withBlock("..", lzoBlock("x")), "x/..", broken},
        {"dots inside", withBlock("a..b", lzoBlock("x")), "a..b", broken},
        {"backslash", withBlock("..\\escape", lzoBlock("x")), "..\\escape", nullptr},
        {"slash", withBlock("sub/escape", lzoBlock("x")), "escape", nullptr},
        {"NUL byte", withBlock(std::string("nul\0byte", 8), lzoBlock("x")), "nul", nullptr},
    };
    for (const Case& c : cases) {
        ArchiveContext context{1, put("media.viz", c.archive), ""};
        RtString result;
        fs::remove(temp.file("ErrorLog.txt"));
        const bool found = c.content && c.content != broken;
        ASSERT_EQ(resolveMediaFile(context, c.request, result), found) << c.what;
        std::string log = test::readWholeFile(temp.file("ErrorLog.txt"));
        EXPECT_EQ(log.find(broken) != std::string::npos, c.content == broken) << c.what << log;
        EXPECT_EQ(found ? test::readWholeFile(result.cStr()) : result.cStr(),
                  found ? c.content : "")
            << c.what;
        EXPECT_EQ(context.enabled, 1) << c.what;
        EXPECT_EQ(extractedFiles(), found ? 1 : 0) << c.what;
        deletePendingExtraction(context);
    }
    ASSERT_EQ(mkfifo(temp.file("pipe").c_str(), 0600), 0);
    const std::string later = temp.file("later.viz").string();
    RtString result;
    for (std::string name : {temp.path().string(), temp.file("pipe").string(), {}, later}) {
        ArchiveContext context{1, name, ""};
        EXPECT_EQ(resolveMediaFile(context, "shrub.png", result), 0) << name;
        EXPECT_EQ(context.enabled, 0) << name;
        if (name != later) continue;
        put("later.viz", withBlock("shrub.png", lzoBlock("x")));
        EXPECT_EQ(resolveMediaFile(context, "shrub.png", result), 0);    // off for good
        EXPECT_EQ(resolveMediaFile(context, later.c_str(), result), 1);  // disk still works
    }
    ArchiveBytes archive;
    archive.addEntry("one.txt", "first");
    archive.addEntry("gfx", "an entry named like a folder");
    ArchiveContext context{1, put("media.viz", archive.finish()), ""};
    const test::DirectoryEntry& one = archive.entries[0];
    std::string path = temp.path().string() + "/viz";
    path += char('A' + one.dataOffset % 26);
    path += char('A' + one.dataSize % 26);
    path += "one.txt";
    // A link planted at the extraction path is replaced, not followed.
    put("victim", "precious");
    fs::create_symlink(temp.file("victim"), path);
    RtString name("ONE.TXT");  // the found may share the name's buffer
    ASSERT_EQ(resolveMediaFile(context, name.cStr(), name), 1);
    EXPECT_EQ(std::string(name.cStr()), path);
    EXPECT_EQ(test::readWholeFile(path), "first");
    EXPECT_EQ(test::readWholeFile(temp.file("victim")), "precious");
    // A folder on disk does not hide an entry; a file on disk does, unchanged.
    fs::create_directory(temp.file("gfx"));
    RtString found;
    ASSERT_EQ(resolveMediaFile(context, temp.file("gfx").c_str(), found), 1);
    EXPECT_FALSE(fs::exists(path));  // only the last extraction stays
    EXPECT_EQ(test::readWholeFile(found.cStr()), "an entry named like a folder");
    std::string onDisk = temp.path().string() + "\\victim";
    ASSERT_EQ(resolveMediaFile(context, onDisk.c_str(), found), 1);
    EXPECT_EQ(std::string(found.cStr()), onDisk);
    EXPECT_EQ(extractedFiles(), 0);  // any new lookup deletes the pending file
    const std::string media = put("shrub.viz", withBlock("shrub.png", lzoBlock("leaves")));
    EXPECT_EQ(resolveMediaName("shrub.png", found), 0);  // before start-up: disk only
    initMediaArchives(nullptr);
    EXPECT_EQ(resolveMediaName("shrub.png", found), 0);  // this program has no archive
    archiveContext(0)->enabled = 0;
    setArchiveName(media.c_str(), "elsewhere.viz");
    EXPECT_EQ(archiveContext(0)->enabled, 1);
    EXPECT_EQ(archiveContext(1)->archiveName, "elsewhere.viz");
    ASSERT_EQ(resolveMediaName("gfx/SHRUB.png", found), 1);
    setArchiveName(media.c_str(), media.c_str());  // deletes the pending file
    EXPECT_EQ(extractedFiles(), 0);
    ASSERT_EQ(resolveMediaName("shrub.png", found), 1);
    shutdownMediaArchives();
    EXPECT_EQ(extractedFiles(), 0);
    EXPECT_EQ(archiveContext(0), nullptr);
}

// A copy of this program with an archive appended stands for a built game: it
// names the archives like start-up and prints each entry, or "none", and "|".
VORLAN_TEST_CHILD(AppendedArchiveGame) {
    initMediaArchives(nullptr);
    for (const char* request : {"gfx/bush.png", "LEVEL.DAT", "missing.png"}) {
        RtString path;
        std::string bytes =
            (resolveMediaName(request, path) ? test::readWholeFile(path.cStr()) : "none") + "|";
        std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    }
    shutdownMediaArchives();
}

TEST_F(MediaArchiveTest, PackToolAndAProgramWithAnAppendedArchive) {
    const std::vector<std::pair<std::string, std::string>> files = {
        {"gfx/Bush.PNG", noise(200000, 7)},
        {"empty.dat", ""},
        {"zeros.bin", std::string(3 << 20, 0)}};
    const std::string archive = temp.file("pack.viz").string();
    std::vector<std::string> args{"create", archive};
    for (const auto& [name, bytes] : files) args.push_back(put(name, bytes));
    test::ProcessResult created = pack(args);
    ASSERT_EQ(created.exitCode, 0) << created.err;
    EXPECT_LT(fs::file_size(archive), 200000u + 65536);  // the zeros shrink
    EXPECT_EQ(pack({"list", archive}).out, "Bush.PNG\nempty.dat\nzeros.bin\n");
    for (const auto& [name, bytes] : files) {
        ArchiveContext context{1, archive, ""};
        RtString path;
        ASSERT_EQ(resolveMediaFile(context, ("x/" + name).c_str(), path), 1) << name;
        EXPECT_EQ(test::readWholeFile(path.cStr()), bytes) << name;
        deletePendingExtraction(context);
    }
    ASSERT_EQ(pack({"create", archive, put("two.txt", "2")}).exitCode, 0);
    EXPECT_EQ(pack({"list", archive}).out, "two.txt\n");
    // Refusals leave no archive and no changed target; a program with an
    // appended archive finds its entries, and nothing extracted outlives it.
    const std::string out = temp.file("out.viz").string(), game = temp.file("game").string();
    const std::string a = put("one/Bush.png", "a"), picture = noise(50000, 3);
    fs::copy_file(test::buildBin() / "files_tests", game);
    ASSERT_EQ(pack({"append", game, a, put("assets/level.dat", picture)}).exitCode, 0);
    const std::string appended = test::readWholeFile(game);
    const std::tuple<std::vector<std::string>, int, const char*> cases[] = {
        {{"create", out, a, put("two/bush.PNG", "b")}, 1, "duplicate"},
        {{"create", out, temp.file(std::string(256, 'n')).string()}, 1, "255"},
        {{"create", out, put("gfx\\bush.png", "c")}, 1, "\\"},
        {{"create", out, put("bush..png", "d")}, 1, ".."},
        {{"create", out, a, temp.file("missing.png").string()}, 1, "missing.png"},
        {{"create", out, temp.file("one").string()}, 1, "regular"},
        {{"append", game, put("b.txt", "b")}, 1, "already ends in an archive"},
        {{"list", put("plain.txt", "no archive")}, 1, "does not end in an archive"},
        {{}, 2, ""},
        {{"create", "only-output"}, 2, ""},
        {{"unpack", "a", "b"}, 2, ""}};
    for (const auto& [args, exitCode, message] : cases) {
        test::ProcessResult result = pack(args);
        EXPECT_EQ(result.exitCode, exitCode) << result.err;
        EXPECT_NE(result.err.find(message), std::string::npos) << result.err;
        EXPECT_FALSE(fs::exists(out)) << result.err;
        EXPECT_EQ(test::readWholeFile(game), appended);
    }
    test::ProcessResult run = test::runToEnd({game}, {"VORLAN_TEST_CHILD=AppendedArchiveGame"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "a|" + picture + "|none|");
    EXPECT_EQ(extractedFiles(), 0);
    // A directory cut short: the names read before the cut, then an error.
    std::string bytes = appended;
    bytes[bytes.size() - 8] = '\x30';  // the end marker becomes a name length
    test::writeWholeFile(game, bytes);
    test::ProcessResult cut = pack({"list", game});
    EXPECT_EQ(cut.exitCode, 1);
    EXPECT_EQ(cut.out, "Bush.png\nlevel.dat\n");
    EXPECT_NE(cut.err.find("cut short"), std::string::npos);
}

}  // namespace
}  // namespace vorlan
