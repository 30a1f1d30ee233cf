// Files by name, the working directory and its listing, on real folders.
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <vorlan/files.h>

#include "files/in_folder.h"

namespace vorlan {
namespace {

namespace fs = std::filesystem;

std::string bytes(size_t size) {
    std::string text(size, '\0');
    for (size_t i = 0; i < size; ++i) text[i] = static_cast<char>(i * 7 + i / 251);
    return text;
}

using FileSystem = test::InFolder;

TEST_F(FileSystem, CopiesEveryByteAndKeepsTheTargetsMode) {
    for (size_t size : {0u, 4096u, 4097u, 200000u}) {
        test::writeWholeFile("from.bin", bytes(size));
        test::writeWholeFile("to.bin", "old longer content than some sources");
        fs::permissions("to.bin", fs::perms(0604));
        EXPECT_EQ(copyFile("from.bin", "to.bin"), 1.0) << size;
        EXPECT_EQ(test::readWholeFile("to.bin"), bytes(size)) << size;
        EXPECT_EQ(fs::status("to.bin").permissions(), fs::perms(0604)) << size;
    }
    EXPECT_EQ(copyFile("missing", "to.bin"), 0.0);
    EXPECT_EQ(copyFile("from.bin", "no/such/folder/x"), 0.0);
    EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 2);
}

TEST_F(FileSystem, CopyOntoItselfIsRefusedByEveryRoute) {
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
}

TEST_F(FileSystem, SizesBeyondFourGibibytes) {
    test::writeWholeFile("sparse.bin", "");
    fs::resize_file("sparse.bin", (5ull << 30) + 3);
    EXPECT_EQ(fileSize("sparse.bin"), 5368709123.0);
    EXPECT_EQ(deleteFile("sparse.bin"), 1.0);
    EXPECT_EQ(fileExists("sparse.bin"), 0.0);
    EXPECT_EQ(deleteFile("sparse.bin"), 0.0);
    fs::create_directory("dir");
    EXPECT_EQ(deleteFile("dir"), 0.0);
    EXPECT_EQ(fileSize("dir"), 0.0);
}

TEST_F(FileSystem, WorkingDirectoryOfAnyLength) {
    std::string deep = fs::current_path().string();
    while (deep.size() < 1500) {
        fs::create_directory(std::string(100, 'd'));
        ASSERT_EQ(setCurrentDirectory(std::string(100, 'd').c_str()), 1.0);
        deep += "/" + std::string(100, 'd');
        EXPECT_EQ(std::string(currentDirectory().cStr()), deep + "/");
    }
    EXPECT_EQ(setCurrentDirectory("missing"), 0.0);
}

// Saves go to the user's data folder, named by the program, made private.
TEST_F(FileSystem, UserDataFolderIsMadePrivateUnderTheDataHome) {
    const std::string here = fs::current_path().string(), program = "/files_tests/";
    test::writeWholeFile("plain", "a file where a folder should be");
    std::pair<const char*, std::optional<std::string>> saved[] = {{"HOME", {}},
                                                                  {"XDG_DATA_HOME", {}}};
    for (auto& [name, value] : saved) {
        if (const char* now = std::getenv(name)) value = now;
    }
    const struct {
        const char *dataHome, *home;
        std::string folder;  // "" when none can be had
    } cases[] = {
        {"/data/deep", "/home", here + "/data/deep" + program},
        {nullptr, "/home", here + "/home/.local/share" + program},
        {"relative/ignored", "/home", here + "/home/.local/share" + program},
        {"/plain", "/home", ""},
    };
    for (const auto& c : cases) {
        std::string home = here + c.home, dataHome = c.dataHome ? c.dataHome : "";
        if (!dataHome.empty() && dataHome[0] == '/') dataHome = here + dataHome;
        setenv("HOME", home.c_str(), 1);
        c.dataHome ? setenv("XDG_DATA_HOME", dataHome.c_str(), 1) : unsetenv("XDG_DATA_HOME");
        std::string folder = userDataFolder().cStr();
        EXPECT_EQ(folder, c.folder) << dataHome;
        if (folder.empty()) continue;
        // Every folder made on the way is private.
        for (fs::path made = folder; made.string().size() > here.size();
             made = made.parent_path()) {
            if (made.filename().empty()) continue;
            EXPECT_EQ(fs::status(made).permissions(), fs::perms::owner_all) << made;
        }
        openIniFile(folder + "scores.ini");
        writeIniValue("best", "score", "10");
        openIniFile("");
        EXPECT_EQ(test::readWholeFile(folder + "scores.ini"), "[best]\r\nscore=10\r\n");
    }
    EXPECT_FALSE(fs::exists("plain/files_tests"));
    for (auto& [name, value] : saved) {
        value ? setenv(name, value->c_str(), 1) : unsetenv(name);
    }
}

TEST_F(FileSystem, ListingPutsFoldersFirstInCaseInsensitiveOrder) {
    for (const char* file : {"b.png", "A.PNG", "c.Png", "notes.txt", "png"}) {
        test::writeWholeFile(file, "x");
    }
    fs::create_directory("Zeta");
    fs::create_directory("alpha.png");
    fs::create_directory_symlink("Zeta", "linked");
    fs::create_symlink("gone", "dangling.png");
    struct Row {
        const char* pattern;
        std::vector<std::string> files;
    };
    const std::vector<Row> table = {
        {"*.png", {"A.PNG", "b.png", "c.Png", "dangling.png"}},
        {"*.PNG", {"A.PNG", "b.png", "c.Png", "dangling.png"}},
        {"?.png", {"A.PNG", "b.png", "c.Png"}},
        {"*", {"A.PNG", "b.png", "c.Png", "dangling.png", "notes.txt", "png"}},
        {"nothing", {}},
    };
    for (const Row& row : table) {
        RtStringArray names;
        double result = listDirectory(row.pattern, names);
        std::vector<std::string> expected = {".", "..", "alpha.png", "linked", "Zeta"};
        expected.insert(expected.end(), row.files.begin(), row.files.end());
        EXPECT_EQ(result, 5 * 65536.0 + static_cast<double>(row.files.size())) << row.pattern;
        std::vector<std::string> listed;
        for (size_t i = 0; i < expected.size(); ++i) {
            listed.push_back(elementAt(names, static_cast<double>(i)).cStr());
        }
        EXPECT_EQ(listed, expected) << row.pattern;
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
    if (*pattern == '*') {
        return referenceMatch(pattern + 1, name) || (*name && referenceMatch(pattern, name + 1));
    }
    if (*name == '\0') return false;
    bool same = *pattern == '?' ? *name != '.' : std::tolower(*pattern) == std::tolower(*name);
    return same && referenceMatch(pattern + 1, name + 1);
}

TEST(Wildcards, AgreeWithTheRecursiveDefinition) {
    std::mt19937 random(20261206);
    const std::string patternBytes = "*?*.aAbB";
    const std::string nameBytes = ".aAbBc";
    for (int i = 0; i < 200000; ++i) {
        std::string pattern, name;
        for (size_t n = random() % 9; n > 0; --n) pattern += patternBytes[random() % 8];
        for (size_t n = random() % 12; n > 0; --n) name += nameBytes[random() % 6];
        ASSERT_EQ(wildcardMatch(pattern.c_str(), name.c_str()),
                  referenceMatch(pattern.c_str(), name.c_str()) ? 1.0 : 0.0)
            << pattern << " / " << name;
    }
}

}  // namespace
}  // namespace vorlan
