// INI documents and line-indexed data files on real files: what reads back,
// the exact bytes saved, and texts that try to forge lines.
#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include <vorlan/files.h>

#include "files/in_folder.h"

namespace vorlan {
namespace {

namespace fs = std::filesystem;

std::string text(const RtString& value) {
    return value.cStr();
}

const char* kPlayerFile =
    "top = 1\r\n; a comment\r\n[Player]\r\n  name = Ann\r\nscore=10\r\nempty=\r\n"
    "nokey\r\n[ Other ]\r\n[Player]\r\nextra=x y \r\n";

using IniDocuments = test::InFolder;

TEST_F(IniDocuments, ReadsAnyCaseAndSavesEverySectionInOrderWhenAnotherIsOpened) {
    test::writeWholeFile("p.ini", kPlayerFile);
    fs::permissions("p.ini", fs::perms(0600));
    openIniFile("p.ini");
    const std::vector<std::vector<const char*>> table = {
        {"player", "NAME", "Ann"},      {"PLAYER", "score", "10"},
        {"Player", "level", "NO_DATA"}, {"Player", "empty", "NO_DATA"},
        {"player", "extra", "x y "},    {"nosection", "name", "NO_DATA"},
        {"Other", "top", "NO_DATA"},
    };
    for (const auto& row : table) {
        EXPECT_EQ(text(readIniValue(row[0], row[1])), row[2]) << row[0] << "." << row[1];
    }
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
    EXPECT_EQ(text(readIniValue("a", "b")), "NO_DATA");
    writeIniValue("a", "b", "c");
    EXPECT_EQ(text(readIniValue("A", "B")), "c");
    openIniFile("");
    EXPECT_EQ(test::readWholeFile("q.ini"), "[a]\r\nb=c\r\n");
}

TEST_F(IniDocuments, NamesAndValuesCannotForgeLines) {
    struct Row {
        const char *section, *key, *value;
    };
    const std::vector<Row> refused = {
        {"", "k", "v"},    {"s]\r\n[evil", "k", "v"}, {"s", "k\r\nevil", "v"}, {"s", "=k", "v"},
        {"s", "k=x", "v"}, {"s", ";k", "v"},          {"s", "", "v"},          {"s", "a b", "v"},
        {"s", "[k", "v"},  {"s t", "k", "v"},         {"s", "k\n", "v"},
    };
    openIniFile("inj.ini");
    for (const Row& row : refused) writeIniValue(row.section, row.key, row.value);
    writeIniValue("s", "ok", "v\r\n[evil]\r\nk=1");
    writeIniValue("s", "ok2", "w\nevil=2");
    writeIniValue("[s", "k[", "v");
    openIniFile("");
    EXPECT_EQ(test::readWholeFile("inj.ini"), "[s]\r\nok=v\r\nok2=w\r\n[[s]\r\nk[=v\r\n");
}

using DataFiles = test::InFolder;

TEST_F(DataFiles, LinesReadBackUnderTheirNumbers) {
    test::writeWholeFile("two.txt", "first  \r\nsecond\t\n");
    const std::vector<std::pair<double, const char*>> table = {
        {0, "first  "}, {1, "second"},  {1.9, "second"},
        {2, "NO_DATA"}, {3, "NO_DATA"}, {255, "NO_DATA"},
    };
    for (auto [line, expected] : table) EXPECT_EQ(text(readDataLine("two.txt", line)), expected);
    EXPECT_EQ(errorState.errorNumber, 0);
    for (double bad : {256.0, -1.0, std::numeric_limits<double>::quiet_NaN(), 1e20}) {
        errorState.errorNumber = 0;
        EXPECT_EQ(text(readDataLine("two.txt", bad)), "NO_DATA") << bad;
        writeDataLine("two.txt", bad, "x");
        EXPECT_EQ(errorState.errorNumber, 7) << bad;
    }
    writeDataNumber("two.txt", 5, 2.5);
    EXPECT_EQ(readDataNumber("two.txt", 5), 2.5);
    closeDataFile();
    EXPECT_EQ(test::readWholeFile("two.txt"), "first  \r\nsecond\t\r\n\r\n\r\n\r\n2.5\r\n");
}

TEST_F(DataFiles, MissingFileTakesWritesAndLongLinesKeepTheirPlace) {
    EXPECT_EQ(text(readDataLine("new.txt", 0)), "NO_FILE");
    EXPECT_EQ(errorState.errorNumber, 3);
    const std::string longest(1023, 'L');
    writeDataLine("new.txt", 0, longest.c_str());
    writeDataLine("new.txt", 1, std::string(1500, 'M').c_str());
    writeDataLine("new.txt", 2, "cut\r\nhere");
    writeDataLine("new.txt", 3, "last");
    EXPECT_EQ(text(readDataLine("new.txt", 0)), longest);
    closeDataFile();
    const std::vector<std::string> expected = {longest, std::string(1024, 'M'), "cut", "last"};
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(text(readDataLine("new.txt", static_cast<double>(i))), expected[i]) << i;
    }
}

TEST_F(DataFiles, LinesPastTheNumberedOnesSurviveASave) {
    std::string lines;
    for (int i = 0; i < 300; ++i) lines += "line " + std::to_string(i) + "\r\n";
    test::writeWholeFile("many.txt", lines);
    writeDataLine("many.txt", 0, "changed");
    fs::create_directory("sub");
    setCurrentDirectory("sub");
    closeDataFile();
    EXPECT_EQ(test::readWholeFile(folder_.file("many.txt")), "changed" + lines.substr(6));
}

}  // namespace
}  // namespace vorlan
