// What ends the program and what must survive its end, each in a child
// process: errors 7 and 3, saves under a file-size limit, pending changes.
#include <sys/resource.h>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <limits>

#include <vorlan/vorlan.h>

#include "core/runtime_state.h"
#include "support/child_entry.h"
#include "support/fatal_cases.h"
#include "support/temp_folder.h"

namespace vorlan {
namespace {

namespace fs = std::filesystem;
const double kNaN = std::numeric_limits<double>::quiet_NaN();
volatile double sink;

// Channel 1 reads the six bytes "ab\r\ncd"; a read that allocated what it
// was asked for would fail under the memory cap.
const test::FatalCases kChannelErrors(
    "FilesErrors",
    {
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
        {"write past the file-size limit", 3, "writeWord",
         [] {
             openChannel(2, "out.bin", 0);
             writeText(2, std::string(99, 'x').c_str());
             writeWord(2, 1);
         },
         "", true, false, 100},
    },
    [] {
        fs::current_path(std::getenv("TMPDIR"));
        test::writeWholeFile("small.bin", "ab\r\ncd");
        openChannel(1, "small.bin", 1);
    });

TEST(FilesErrors, EndTheProgramWithTheirNumber) {
    kChannelErrors.check();
}

// With `survive` a write past the limit fails with EFBIG instead of the
// signal killing the process.
void limitFileSize(rlim_t bytes, bool survive) {
    if (survive) std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{bytes, bytes};
    setrlimit(RLIMIT_FSIZE, &limit);
}

// Saves of "old.txt" that fail or are killed, and changes left to the end.
VORLAN_TEST_CHILD(FilesSave) {
    runtimeSettings.debugMode = 1;
    fs::current_path(std::getenv("TMPDIR"));
    switch (std::getenv("VORLAN_SAVE")[0]) {
        case 'c':
            test::writeWholeFile("big.bin", std::string(10000, 'b'));
            limitFileSize(5000, true);
            std::printf("copy %g\n", copyFile("big.bin", "old.txt"));
            break;
        case 'i':
            openIniFile("old.txt");
            writeIniValue("s", "k", std::string(9000, 'v').c_str());
            limitFileSize(5000, true);
            openIniFile("other.ini");
            std::printf("went on\n");
            break;
        case 'd':
            for (int i = 0; i < 9; ++i) writeDataLine("old.txt", i, std::string(1000, 'v').c_str());
            limitFileSize(5000, false);
            sink = readDataLine("other.txt", 0).length();
            break;
        case 'e':
            openIniFile("end.ini");
            writeIniValue("Game", "level", "7");
            writeDataNumber("end.txt", 1, 42);
            fs::create_directory("elsewhere");
            setCurrentDirectory("elsewhere");
            endProgram();
    }
}

// The old file keeps its bytes and mode, and no temporary file stays; a
// failed copy gives 0, a failed INI save goes on.
TEST(FilesSaves, AFailedOrKilledSaveKeepsTheOldFile) {
    const std::string old = "[keep]\r\nold=1\r\n";
    for (auto [save, exitCode, output] :
         {std::tuple{"copy", 0, "copy 0\n"}, {"ini", 0, "went on\n"}, {"data", -SIGXFSZ, ""}}) {
        test::TempFolder folder;
        test::writeWholeFile(folder.file("old.txt"), old);
        fs::permissions(folder.file("old.txt"), fs::perms(0640));
        auto child = test::startChild("FilesSave", {std::string("VORLAN_SAVE=") + save});
        EXPECT_EQ(child->waitForExit(60000), exitCode) << save << child->errors();
        EXPECT_EQ(child->output(), output) << save;
        EXPECT_EQ(test::readWholeFile(folder.file("old.txt")), old) << save;
        EXPECT_EQ(fs::status(folder.file("old.txt")).permissions(), fs::perms(0640)) << save;
        for (const auto& entry : fs::directory_iterator(folder.path())) {
            if (exitCode != 0) break;  // a killed save leaves its temporary file
            EXPECT_EQ(entry.path().filename().string().find(".old.txt"), std::string::npos) << save;
        }
    }
}

// end.txt did not exist when first used: error 3 is in the end report.
TEST(FilesSaves, PendingChangesAreSavedWhereTheDocumentsWereOpened) {
    test::TempFolder folder;
    auto child = test::startChild("FilesSave", {"VORLAN_SAVE=end"});
    EXPECT_EQ(child->waitForExit(60000), 0) << child->errors();
    EXPECT_EQ(test::readWholeFile(folder.file("ErrorLog.txt")),
              "-End On Line\r\n3\r\n-1\r\n0\r\n0\r\n");
    EXPECT_EQ(test::readWholeFile(folder.file("end.ini")), "[Game]\r\nlevel=7\r\n");
    EXPECT_EQ(test::readWholeFile(folder.file("end.txt")), "\r\n42\r\n");
    EXPECT_TRUE(fs::is_empty(folder.file("elsewhere")));
}

}  // namespace
}  // namespace vorlan
