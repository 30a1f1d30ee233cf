// Files on real folders: copies, folders, listings, INI and data files, channels;
// in child processes, what ends the program and what must survive its end.
#include <sys/resource.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <filesystem>
#include <optional>

#include <vorlan/vorlan.h>

#include "core/runtime_state.h"
#include "files/data_file.h"
#include "files/test_archives.h"
#include "support/child_entry.h"
#include "support/fatal_cases.h"
#include "support/temp_folder.h"

namespace vorlan {
namespace {

namespace fs = std::filesystem;

// A fresh working folder, the error state cleared, the documents closed after.
class InFolder : public testing::Test {
  protected:
    InFolder() : previous_(fs::current_path()) {
        fs::current_path(folder_.path());
        errorState = ErrorState();
    }
    ~InFolder() override {
        openIniFile("");
        closeDataFile();
        fs::current_path(previous_);
    }
    test::TempFolder folder_;
    fs::path previous_;
};

TEST_F(InFolder, CopiesSizesDirectoriesAndListings) {
    for (size_t size : {0u, 4096u, 4097u, 200000u}) {
        test::writeWholeFile("from.bin", test::noise(size, 7));
        test::writeWholeFile("to.bin", "old longer content than some sources");
        fs::permissions("to.bin", fs::perms(0604));
        EXPECT_EQ(copyFile("from.bin", "to.bin"), 1.0) << size;
        EXPECT_EQ(test::readWholeFile("to.bin"), test::noise(size, 7)) << size;
        EXPECT_EQ(fs::status("to.bin").permissions(), fs::perms(0604)) << size;
    }
    EXPECT_EQ(copyFile("missing", "to.bin"), 0.0);
    EXPECT_EQ(copyFile("from.bin", "no/such/folder/x"), 0.0);
    EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 2);
    // A copy onto itself is refused by every route.
    test::writeWholeFile("a.txt", "precious");
    fs::create_hard_link("a.txt", "hard.txt");
    fs::create_symlink("a.txt", "soft.txt");
    fs::create_directory("sub");
    for (const char* target :
         {"a.txt", "./a.txt", "sub/../a.txt", "hard.txt", "soft.txt", "sub\\..\\a.txt"}) {
        EXPECT_EQ(copyFile("a.txt", target), 0.0) << target;
        EXPECT_EQ(copyFile("soft.txt", target), 0.0) << target;
        EXPECT_EQ(test::readWholeFile("a.txt"), "precious") << target;
    }
    // A copy onto a link replaces the file it names and keeps the link.
    test::writeWholeFile("b.txt", "other");
    EXPECT_EQ(copyFile("b.txt", "soft.txt"), 1.0);
    EXPECT_TRUE(fs::is_symlink("soft.txt"));
    EXPECT_EQ(test::readWholeFile("a.txt"), "other");
    test::writeWholeFile("sparse.bin", "");
    fs::resize_file("sparse.bin", (5ull << 30) + 3);
    EXPECT_EQ(fileSize("sparse.bin"), 5368709123.0);
    EXPECT_EQ(deleteFile("sparse.bin"), 1.0);
    EXPECT_EQ(fileExists("sparse.bin"), 0.0);
    EXPECT_EQ(deleteFile("sparse.bin"), 0.0);
    fs::create_directory("dir");
    EXPECT_EQ(deleteFile("dir"), 0.0);
    EXPECT_EQ(fileSize("dir"), 0.0);
    // A working directory of any length.
    std::string deep = fs::current_path().string();
    while (deep.size() < 1500) {
        fs::create_directory(std::string(100, 'd'));
        ASSERT_EQ(setCurrentDirectory(std::string(100, 'd').c_str()), 1.0);
        deep += "/" + std::string(100, 'd');
        EXPECT_EQ(std::string(currentDirectory().cStr()), deep + "/");
    }
    EXPECT_EQ(setCurrentDirectory("missing"), 0.0);
    // Saves go to the user's data folder, named by the program, made private.
    fs::current_path(folder_.path());
    const std::string here = folder_.path().string(), program = "/files_tests/";
    test::writeWholeFile("plain", "a file where a folder should be");
    std::pair<const char*, std::optional<std::string>> saved[] = {{"HOME", {}},
                                                                  {"XDG_DATA_HOME", {}}};
    for (auto& [name, value] : saved)
        if (const char* now = std::getenv(name)) value = now;
    const struct {
        const char *dataHome, *home;
        std::string folder;  // "" when none can be had
    } cases[] = {{"/data/deep", "/home", here + "/data/deep" + program},
                 {nullptr, "/home", here + "/home/.local/share" + program},
                 {"relative/ignored", "/home", here + "/home/.local/share" + program},
                 {"/plain", "/home", ""}};
    for (const auto& c : cases) {
        std::string home = here + c.home, dataHome = c.dataHome ? c.dataHome : "";
        if (!dataHome.empty() && dataHome[0] == '/') dataHome = here + dataHome;
        setenv("HOME", home.c_str(), 1);
        c.dataHome ? setenv("XDG_DATA_HOME", dataHome.c_str(), 1) : unsetenv("XDG_DATA_HOME");
        std::string folder = userDataFolder().cStr();
        EXPECT_EQ(folder, c.folder) << dataHome;
        if (folder.empty()) continue;
        // Every folder made on the way exists and is private.
        for (fs::path made = fs::path(folder).parent_path(); made.string().size() > here.size();
             made = made.parent_path())
            EXPECT_EQ(fs::status(made).permissions(), fs::perms::owner_all) << made;
    }
    for (auto& [name, value] : saved) value ? setenv(name, value->c_str(), 1) : unsetenv(name);
    // Listings put folders first, in case-insensitive order.
    fs::create_directory("listed");
    fs::current_path("listed");
    for (const char* file : {"b.png", "A.PNG", "c.Png", "notes.txt", "png"})
        test::writeWholeFile(file, "x");
    fs::create_directory("Zeta");
    fs::create_directory("alpha.png");
    fs::create_directory_symlink("Zeta", "linked");
    fs::create_symlink("gone", "dangling.png");
    const std::pair<const char*, std::vector<std::string>> table[] = {
        {"*.png", {"A.PNG", "b.png", "c.Png", "dangling.png"}},
        {"*", {"A.PNG", "b.png", "c.Png", "dangling.png", "notes.txt", "png"}},
        {"nothing", {}}};
    for (const auto& [pattern, files] : table) {
        RtStringArray names;
        EXPECT_EQ(listDirectory(pattern, names), 5 * 65536.0 + double(files.size())) << pattern;
        std::vector<std::string> expected = {".", "..", "alpha.png", "linked", "Zeta"}, listed;
        expected.insert(expected.end(), files.begin(), files.end());
        for (int i = 0; i < names.elementCount(); ++i) listed.push_back(elementAt(names, i).cStr());
        EXPECT_EQ(listed, expected) << pattern;
    }
    // A removed working folder lists nothing, not even "." and "..".
    fs::create_directory("gone");
    setCurrentDirectory("gone");
    fs::remove("../gone");
    RtStringArray names;
    EXPECT_EQ(listDirectory("*", names), 0.0);
    EXPECT_EQ(names.elementCount(), 0);
}

// The plain recursive definition of the pattern language.
bool referenceMatch(const char* pattern, const char* name) {
    if (*pattern == '\0') return *name == '\0';
    if (*pattern == '*')
        return referenceMatch(pattern + 1, name) || (*name && referenceMatch(pattern, name + 1));
    if (*name == '\0') return false;
    bool same = *pattern == '?' ? *name != '.' : std::tolower(*pattern) == std::tolower(*name);
    return same && referenceMatch(pattern + 1, name + 1);
}

TEST(Wildcards, AgreeWithTheRecursiveDefinition) {
    std::mt19937 random(20261206);
    const std::string patternBytes = "*?*.aAbB", nameBytes = ".aAbBc";
    for (int i = 0; i < 200000; ++i) {
        std::string pattern, name;
        for (size_t n = random() % 9; n > 0; --n) pattern += patternBytes[random() % 8];
        for (size_t n = random() % 12; n > 0; --n) name += nameBytes[random() % 6];
        ASSERT_EQ(wildcardMatch(pattern.c_str(), name.c_str()),
                  referenceMatch(pattern.c_str(), name.c_str()) ? 1.0 : 0.0)
            << pattern << " / " << name;
    }
}

const char* kPlayerFile =
    "top = 1\r\n; a comment\r\n[Player]\r\n  name = Ann\r\nscore=10\r\nempty=\r\n"
    "nokey\r\n[ Other ]\r\n[Player]\r\nextra=x y \r\n";

TEST_F(InFolder, IniDocumentsReadAnyCaseSaveInOrderAndCannotBeForged) {
    test::writeWholeFile("p.ini", kPlayerFile);
    fs::permissions("p.ini", fs::perms(0600));
    openIniFile("p.ini");
    const std::vector<std::vector<const char*>> table = {
        {"player", "NAME", "Ann"},      {"PLAYER", "score", "10"},
        {"Player", "level", "NO_DATA"}, {"Player", "empty", "NO_DATA"},
        {"player", "extra", "x y "},    {"nosection", "name", "NO_DATA"},
        {"Other", "top", "NO_DATA"}};
    for (const auto& row : table)
        EXPECT_EQ(std::string(readIniValue(row[0], row[1])), row[2]) << row[0] << "." << row[1];
    writeIniValue("player", "Score", "11");
    writeIniValue("PLAYER", "level", "3");
    writeIniValue("New", "k", "v");
    fs::create_directory("sub");
    setCurrentDirectory("sub");
    openIniFile("q.ini");
    EXPECT_EQ(test::readWholeFile(folder_.file("p.ini")),
              "top=1\r\n[Player]\r\nname=Ann\r\nscore=11\r\nlevel=3\r\n[Other]\r\n"
              "[Player]\r\nextra=x y \r\n[New]\r\nk=v\r\n");
    EXPECT_EQ(fs::status(folder_.file("p.ini")).permissions(), fs::perms(0600));
    EXPECT_FALSE(fs::exists("p.ini"));
    // A document that did not exist starts empty and takes writes.
    EXPECT_EQ(std::string(readIniValue("a", "b")), "NO_DATA");
    writeIniValue("a", "b", "c");
    EXPECT_EQ(std::string(readIniValue("A", "B")), "c");
    openIniFile("");
    EXPECT_EQ(test::readWholeFile("q.ini"), "[a]\r\nb=c\r\n");
    const std::pair<const char*, const char*> refused[] = {
        {"", "k"},    {"s]\r\n[evil", "k"}, {"s", "k\r\nevil"}, {"s", "=k"},
        {"s", "k=x"}, {"s", ";k"},          {"s", ""},          {"s", "a b"},
        {"s", "[k"},  {"s t", "k"},         {"s", "k\n"}};
    openIniFile("inj.ini");
    for (const auto& [section, key] : refused) writeIniValue(section, key, "v");
    writeIniValue("s", "ok", "v\r\n[evil]\r\nk=1");
    writeIniValue("s", "ok2", "w\nevil=2");
    writeIniValue("[s", "k[", "v");
    openIniFile("");
    EXPECT_EQ(test::readWholeFile("inj.ini"), "[s]\r\nok=v\r\nok2=w\r\n[[s]\r\nk[=v\r\n");
}

TEST_F(InFolder, DataFileLinesUnderTheirNumbersLongLinesAndMissingFiles) {
    test::writeWholeFile("two.txt", "first  \r\nsecond\t\n");
    const std::pair<double, const char*> table[] = {{0, "first  "},  {1, "second"},
                                                    {1.9, "second"}, {2, "NO_DATA"},
                                                    {3, "NO_DATA"},  {255, "NO_DATA"}};
    for (auto [line, expected] : table)
        EXPECT_EQ(std::string(readDataLine("two.txt", line)), expected);
    EXPECT_EQ(errorState.errorNumber, 0);
    for (double bad : {256.0, -1.0, double(NAN), 1e20}) {
        errorState.errorNumber = 0;
        EXPECT_EQ(std::string(readDataLine("two.txt", bad)), "NO_DATA") << bad;
        writeDataLine("two.txt", bad, "x");
        EXPECT_EQ(errorState.errorNumber, 7) << bad;
    }
    writeDataNumber("two.txt", 5, 2.5);
    EXPECT_EQ(readDataNumber("two.txt", 5), 2.5);
    closeDataFile();
    EXPECT_EQ(test::readWholeFile("two.txt"), "first  \r\nsecond\t\r\n\r\n\r\n\r\n2.5\r\n");
    EXPECT_EQ(std::string(readDataLine("new.txt", 0)), "NO_FILE");
    EXPECT_EQ(errorState.errorNumber, 3);
    const std::string longest(1023, 'L');
    writeDataLine("new.txt", 0, longest.c_str());
    writeDataLine("new.txt", 1, std::string(1500, 'M').c_str());
    writeDataLine("new.txt", 2, "cut\r\nhere");
    writeDataLine("new.txt", 3, "last");
    EXPECT_EQ(std::string(readDataLine("new.txt", 0)), longest);
    closeDataFile();
    const std::vector<std::string> expected = {longest, std::string(1024, 'M'), "cut", "last"};
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(std::string(readDataLine("new.txt", double(i))), expected[i]) << i;
    std::string lines;
    for (int i = 0; i < 300; ++i) lines += "line " + std::to_string(i) + "\r\n";
    test::writeWholeFile("many.txt", lines);
    writeDataLine("many.txt", 0, "changed");
    fs::create_directory("sub");
    setCurrentDirectory("sub");
    closeDataFile();
    EXPECT_EQ(test::readWholeFile(folder_.file("many.txt")), "changed" + lines.substr(6));
}

std::string run(size_t length, char first = 'a') {
    std::string text;
    for (size_t i = 0; i < length; ++i) text += static_cast<char>(first + i % 23);
    return text;
}

TEST_F(InFolder, ChannelNumbersLinesAndWhoMayOpenWhat) {
    const std::pair<double, uint64_t> table[] = {
        {1, 1}, {258, 258}, {65539, 65539}, {-1, ~0ull}, {NAN, 0}, {4294967295.0, 4294967295}};
    for (const auto& [value, bits] : table) {
        ASSERT_EQ(openChannel(3, "n.bin", 0), 1.0);
        writeByte(3, value), writeWord(3, value), writeLong(3, value);
        closeChannel(3);
        std::string expected;
        for (int size : {1, 2, 4}) test::appendLe(expected, bits, size);
        EXPECT_EQ(test::readWholeFile("n.bin"), expected) << value;
    }
    // Values read back unsigned.
    test::writeWholeFile("v.bin", "\xFF\xFF\xFF\xFF\xFF\xFF\x80");
    ASSERT_EQ(openChannel(0, "v.bin", 1), 1.0);
    EXPECT_EQ(readLong(0), 4294967295.0);
    EXPECT_EQ(readWord(0), 65535.0);
    EXPECT_EQ(readByte(0), 128.0);
    closeChannel(0);
    // Every kind reads back as written, on channel 7.9 (= 7).
    ASSERT_EQ(openChannel(7.9, "copy.bin", 0), 1.0);
    EXPECT_EQ(endOfChannel(7), 1.0);
    writeDouble(7, -2.5e-300);
    writeText(7, "ab");
    writeLine(7, "cd");
    writeNumberLine(7, 0.25);
    closeChannel(7);
    ASSERT_EQ(openChannel(7, "copy.bin", 1), 1.0);
    EXPECT_EQ(readDouble(7), -2.5e-300);
    EXPECT_EQ(compareText(readBytesAsText(7, 2), "ab"), 0);
    EXPECT_EQ(compareText(readLine(7), "cd"), 0);
    EXPECT_EQ(readNumberLine(7), 0.25);
    EXPECT_EQ(endOfChannel(7), 1.0);
    EXPECT_EQ(readBytesAsText(7, -5).length(), 0u);
    closeChannel(7);
    struct Row {
        const char* what;
        std::string bytes;
        std::vector<std::string> lines;
    };
    // A full line keeps its last CR, at the end of the file or not.
    // clang-format off
    const Row lineCases[] = {
        {"CR LF, last line", "ab\r\ncd", {"ab", "cd"}}, {"1024", run(1024), {run(1024)}},
        {"1500", run(1500) + "\n", {run(1024), run(1500).substr(1024)}},
        {"1023 + CR LF", run(1023) + "\r\nnext", {run(1023), "next"}},
        {"1024 + LF", run(1024) + "\nnext", {run(1024), "next"}},
        {"1024 + CR LF", run(1024) + "\r\nnext\n", {run(1024), "next"}},
        {"1024 + CR at the end", run(1024) + "\r", {run(1024)}},
        {"1023 + CR at the end", run(1023) + "\r", {run(1023) + "\r"}},
        {"1023 + CR, more after", run(1023) + "\rz", {run(1023) + "\r", "z"}},
        {"1022 + CR at the end", run(1022) + "\r", {run(1022)}},
        {"lone CR", "a\rb\r\nc\r", {"a\rb", "c"}}, {"empty lines", "\n\r\n\nq", {"", "", "", "q"}},
        {"NUL cuts the text", std::string("a\0b\nc", 5), {"a", "c"}},
        {"NUL in a full line", std::string(1030, '\0') + "\nd", {"", "", "d"}}};
    // clang-format on
    for (const Row& row : lineCases) {
        test::writeWholeFile("l.txt", row.bytes);
        ASSERT_EQ(openChannel(2, "l.txt", 1), 1.0);
        for (const std::string& line : row.lines) {
            EXPECT_EQ(endOfChannel(2), 0.0) << row.what;
            RtString got = readLine(2);
            EXPECT_EQ(std::string(got.cStr(), got.length()), line) << row.what;
        }
        EXPECT_EQ(endOfChannel(2), 1.0) << row.what;
        closeChannel(2);
    }
    // Writers and readers of a file exclude each other; descriptors close on exec.
    test::writeWholeFile("shared.txt", "keep\r\n");
    std::filesystem::create_symlink("shared.txt", "link.txt");
    ASSERT_EQ(openChannel(0, "shared.txt", 1), 1.0);
    EXPECT_EQ(openChannel(1, "./shared.txt", 1), 1.0);  // two readers are fine
    EXPECT_EQ(openChannel(2, "link.txt", 0), 0.0);      // a writer would empty it
    EXPECT_EQ(test::readWholeFile("shared.txt"), "keep\r\n");
    closeChannel(0);
    closeChannel(1);
    ASSERT_EQ(openChannel(2, "link.txt", 0), 1.0);
    EXPECT_EQ(openChannel(3, "shared.txt", 1), 0.0);
    EXPECT_EQ(openChannel(3, "./shared.txt", 0), 0.0);
    // Reopening its own channel is no clash: the old file closes first.
    EXPECT_EQ(openChannel(2, "shared.txt", 0), 1.0);
    closeChannel(2);
    // Only files open.
    std::filesystem::create_directory("dir");
    ASSERT_EQ(mkfifo("fifo", 0600), 0);
    for (const char* name : {"dir", "fifo", "missing"}) {
        const double isFile = name[0] == 'm' ? 1.0 : 0.0;
        EXPECT_EQ(openChannel(4, name, 1), 0.0) << name;
        EXPECT_EQ(openChannel(4, name, 0), isFile) << name;
        closeChannel(4);
        EXPECT_EQ(fileExists(name), isFile) << name;
    }
    EXPECT_EQ(openChannel(4, RtString(("x" + std::string(1100, 'y')).c_str()), 0), 0.0);

    // A program started now sees none of the channel's descriptors.
    ASSERT_EQ(openChannel(5, "missing", 1), 1.0);
    std::string inherited = test::runCommand("ls -l /proc/$$/fd");
    EXPECT_EQ(inherited.find(folder_.file("missing").string()), std::string::npos) << inherited;
    EXPECT_NE(inherited.find("/dev/"), std::string::npos) << inherited;
    closeChannel(5);
}

const double kNaN = NAN;
volatile double sink;

// Channel 1 reads the six bytes "ab\r\ncd"; a read that allocated what it
// was asked for would fail under the memory cap.
// clang-format off
const test::FatalCases kChannelErrors("FilesErrors", {
    {"open channel 8", 7, "openChannel", [] { openChannel(8, "x", 0); }},
    {"read channel -1", 7, "readByte", [] { sink = readByte(-1); }},
    {"NaN end of channel", 7, "endOfChannel", [] { sink = endOfChannel(kNaN); }},
    {"huge channel write", 7, "writeLine", [] { writeLine(1e300, "x"); }},
    {"close channel 8", 7, "closeChannel", [] { closeChannel(8.0); }},
    {"read a closed channel", 3, "readLong", [] { sink = readLong(0); }},
    {"write a closed channel", 3, "writeByte", [] { writeByte(0, 1); }},
    {"read past the last line", 3, "readLine",
     [] { sink = readLine(1).length() + readLine(1).length() + readLine(1).length(); }},
    {"short long read", 3, "readLong", [] { sink = readLong(1) + readLong(1); }},
    {"huge text read", 3, "readBytesAsText", [] { sink = readBytesAsText(1, 2e9).length(); },
     "", true, true},
    {"write a reading channel", 3, "writeLine", [] { writeLine(1, "x"); }},
    {"read a writing channel", 3, "readByte",
     [] { sink = openChannel(6, "out.bin", 0) + readByte(6); }},
    {"write past the file-size limit", 3, "writeWord", [] {
         openChannel(2, "out.bin", 0), writeText(2, std::string(99, 'x').c_str()), writeWord(2, 1);
     }, "", true, false, 100}},
    [] {
        fs::current_path(std::getenv("TMPDIR"));
        test::writeWholeFile("small.bin", "ab\r\ncd");
        openChannel(1, "small.bin", 1);
    });
// clang-format on

TEST(FilesErrors, EndTheProgramWithTheirNumber) {
    kChannelErrors.check();
}

// Saves of "old.txt" past a 5000-byte file-size limit: "fail" (SIGXFSZ
// ignored) fails a data save, a copy and an INI save, goes on and leaves
// changes to the end of the program; "kill" is killed in the data save.
VORLAN_TEST_CHILD(FilesSave) {
    fs::current_path(std::getenv("TMPDIR"));
    for (int i = 0; i < 9; ++i) writeDataLine("old.txt", i, std::string(1000, 'v').c_str());
    openIniFile("old.txt"), writeIniValue("s", "k", std::string(9000, 'v').c_str());
    test::writeWholeFile("big.bin", std::string(10000, 'b'));
    std::signal(SIGXFSZ, std::getenv("VORLAN_SAVE")[0] == 'k' ? SIG_DFL : SIG_IGN);
    rlimit limit{5000, 5000};
    setrlimit(RLIMIT_FSIZE, &limit);
    writeDataNumber("end.txt", 1, 42);
    std::printf("copy %g\n", copyFile("big.bin", "old.txt"));
    openIniFile("end.ini");
    writeIniValue("Game", "level", "7");
    fs::create_directory("elsewhere");
    setCurrentDirectory("elsewhere");
    endProgram();
}

// The old file keeps its bytes and mode; only a killed save leaves its
// temporary file.
TEST(FilesSaves, AFailedOrKilledSaveKeepsTheOldFile) {
    const std::string old = "[keep]\r\nold=1\r\n";
    for (auto [save, exitCode] : {std::pair{"fail", 0}, {"kill", -SIGXFSZ}}) {
        test::TempFolder folder;
        test::writeWholeFile(folder.file("old.txt"), old);
        fs::permissions(folder.file("old.txt"), fs::perms(0640));
        auto child = test::startChild("FilesSave", {std::string("VORLAN_SAVE=") + save});
        EXPECT_EQ(child->waitForExit(60000), exitCode) << save << child->errors();
        EXPECT_EQ(test::readWholeFile(folder.file("old.txt")), old) << save;
        EXPECT_EQ(fs::status(folder.file("old.txt")).permissions(), fs::perms(0640)) << save;
        if (exitCode != 0) continue;
        EXPECT_EQ(child->output(), "copy 0\n");
        EXPECT_EQ(test::readWholeFile(folder.file("end.ini")), "[Game]\r\nlevel=7\r\n");
        EXPECT_EQ(test::readWholeFile(folder.file("end.txt")), "\r\n42\r\n");
        EXPECT_TRUE(fs::is_empty(folder.file("elsewhere")));
        // old.txt, big.bin, end.ini, end.txt, elsewhere/ and the log.
        EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), {}), 6);
    }
}

}  // namespace
}  // namespace vorlan
