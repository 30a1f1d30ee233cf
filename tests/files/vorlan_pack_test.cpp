// The packing tool end to end: archives it writes are read back by the
// runtime's lookup, including an archive appended to a program that then
// finds the entries in its own file.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "files/media_archive.h"
#include "support/child_entry.h"
#include "support/run_process.h"
#include "support/temp_folder.h"

namespace vorlan {
namespace {

namespace fs = std::filesystem;

// The game of the appended-archive test, run in a copy of this program: like
// start-up it names the archives with its own file, then copies what the
// requested name resolves to. Exit code 3: not found.
VORLAN_TEST_CHILD(AppendedArchiveGame) {
    initMediaArchives(nullptr);
    RtString path;
    int found = resolveMediaName(std::getenv("VORLAN_ARCHIVE_CHILD_REQUEST"), path);
    if (!found) std::exit(3);
    test::writeWholeFile(std::getenv("VORLAN_ARCHIVE_CHILD_OUT"), test::readWholeFile(path.cStr()));
    shutdownMediaArchives();
}

class VorlanPackTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(fs::exists(pack)) << pack;
        fs::create_directory(work);
        fs::create_directory(scratch);
    }

    std::string writeFile(const std::string& name, const std::string& bytes) {
        fs::path path = work / name;
        fs::create_directories(path.parent_path());
        test::writeWholeFile(path, bytes);
        return path.string();
    }
    test::ProcessResult runPack(const std::vector<std::string>& args) {
        std::vector<std::string> argv{pack.string()};
        argv.insert(argv.end(), args.begin(), args.end());
        return test::runProcess(argv, scratch);
    }
    // Extracts one entry with the runtime's lookup.
    std::string extract(const std::string& archive, const std::string& name) {
        ArchiveContext context;
        context.archiveName = archive;
        RtString path;
        if (resolveMediaFile(context, name.c_str(), path) != 1) return "<not found>";
        std::string bytes = test::readWholeFile(path.cStr());
        deletePendingExtraction(context);
        return bytes;
    }

    test::TempFolder temp;
    fs::path work = temp.path() / "work";
    fs::path scratch = temp.path() / "scratch";
    fs::path pack = test::buildBin() / "vorlan-pack";
};

// Deterministic bytes that LZO cannot shrink.
std::string noise(size_t size, uint32_t seed) {
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        seed = seed * 1664525u + 1013904223u;
        c = static_cast<char>(seed >> 24);
    }
    return bytes;
}

TEST_F(VorlanPackTest, CreatesListsAndReplacesArchives) {
    std::vector<std::pair<std::string, std::string>> files = {
        {"gfx/Bush.PNG", noise(200000, 7)},
        {"empty.dat", ""},
        {"zeros.bin", std::string(3 << 20, '\0')}};
    std::string archive = (work / "media.viz").string();
    std::vector<std::string> args{"create", archive};
    for (const auto& [name, bytes] : files) args.push_back(writeFile(name, bytes));
    test::ProcessResult created = runPack(args);
    ASSERT_EQ(created.exitCode, 0) << created.err;
    EXPECT_LT(fs::file_size(archive), 200000u + 65536);  // the zeros shrink
    EXPECT_EQ(runPack({"list", archive}).out, "Bush.PNG\nempty.dat\nzeros.bin\n");
    EXPECT_EQ(extract(archive, "bush.png"), files[0].second);
    EXPECT_EQ(extract(archive, "empty.dat"), "");
    EXPECT_EQ(extract(archive, "zeros.bin"), files[2].second);
    ASSERT_EQ(runPack({"create", archive, writeFile("two.txt", "2")}).exitCode, 0);
    EXPECT_EQ(runPack({"list", archive}).out, "two.txt\n");
}

TEST_F(VorlanPackTest, RefusalsLeaveNoArchiveAndNoChangedTarget) {
    std::string out = (work / "out.viz").string();
    std::string a = writeFile("one/Bush.png", "a");
    std::string target = writeFile("game", "program bytes");
    ASSERT_EQ(runPack({"append", target, a}).exitCode, 0);
    const std::string appended = test::readWholeFile(target);
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        const char* message;
    };
    const Case cases[] = {
        {{"create", out, a, writeFile("two/bush.PNG", "b")}, 1, "duplicate"},
        {{"create", out, (work / std::string(256, 'n')).string()}, 1, "255"},
        {{"create", out, writeFile("gfx\\bush.png", "c")}, 1, "\\"},
        {{"create", out, writeFile("bush..png", "d")}, 1, ".."},
        {{"create", out, a, (work / "missing.png").string()}, 1, "missing.png"},
        {{"create", out, work.string() + "/one"}, 1, "regular"},
        {{"append", target, writeFile("b.txt", "b")}, 1, "already ends in an archive"},
        {{"list", writeFile("plain.txt", "no archive")}, 1, "does not end in an archive"},
        {{}, 2, ""},
        {{"create", "only-output"}, 2, ""},
        {{"unpack", "a", "b"}, 2, ""},
    };
    for (const Case& c : cases) {
        test::ProcessResult result = runPack(c.args);
        EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_FALSE(fs::exists(out)) << result.err;
        EXPECT_EQ(test::readWholeFile(target), appended);
    }
    // A directory cut short: the names read before the cut, then an error.
    std::string bytes = appended;
    bytes[bytes.size() - 8] = '\x30';  // the end marker becomes a name length
    test::writeWholeFile(target, bytes);
    test::ProcessResult cut = runPack({"list", target});
    EXPECT_EQ(cut.exitCode, 1);
    EXPECT_EQ(cut.out, "Bush.png\n");
    EXPECT_NE(cut.err.find("cut short"), std::string::npos);
}

TEST_F(VorlanPackTest, ProgramWithAnAppendedArchiveFindsItsEntries) {
    // This very test program stands for a built game, and still runs.
    fs::path game = work / "game";
    fs::copy_file(test::buildBin() / "files_tests", game);
    fs::permissions(game, fs::perms::owner_all);
    const std::string picture = noise(50000, 3);
    ASSERT_EQ(runPack({"append", game.string(), writeFile("assets/Hedge.PNG", picture),
                       writeFile("assets/level.dat", "level")})
                  .exitCode,
              0);
    fs::path out = work / "child.out";
    const std::pair<const char*, int> requests[] = {
        {"gfx/hedge.png", 0}, {"LEVEL.DAT", 0}, {"missing.png", 3}};
    for (auto [request, exitCode] : requests) {
        test::ProcessResult run =
            test::runProcess({game.string()}, scratch,
                             {"VORLAN_TEST_CHILD=AppendedArchiveGame",
                              std::string("VORLAN_ARCHIVE_CHILD_REQUEST=") + request,
                              "VORLAN_ARCHIVE_CHILD_OUT=" + out.string()});
        EXPECT_EQ(run.exitCode, exitCode) << request << run.err;
    }
    EXPECT_EQ(test::readWholeFile(out), "level");
    for (const auto& item :
         fs::directory_iterator(temp.path())) {  // nothing extracted outlives them
        EXPECT_NE(item.path().filename().string().rfind("viz", 0), 0u) << item.path();
    }
}

}  // namespace
}  // namespace vorlan
