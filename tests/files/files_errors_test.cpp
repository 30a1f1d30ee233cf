// What ends the program and what must survive its end, each in a child
// process: errors 7 and 3, saves under a file-size limit, pending changes.
#include <sys/resource.h>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <limits>
#include <map>
#include <string>

#include <vorlan/vorlan.h>

#include "core/runtime_state.h"
#include "support/child_entry.h"
#include "support/subprocess.h"
#include "support/temp_folder.h"

namespace vorlan {
namespace {

namespace fs = std::filesystem;
const double kNaN = std::numeric_limits<double>::quiet_NaN();
volatile double sink;

// With `survive` a write past the limit fails with EFBIG instead of the
// signal killing the process.
void limitFileSize(rlim_t bytes, bool survive) {
    if (survive) std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{bytes, bytes};
    setrlimit(RLIMIT_FSIZE, &limit);
}

const std::map<std::string, std::function<void()>>& childCases() {
    static const std::map<std::string, std::function<void()>> cases = {
        {"7 open channel 8", [] { openChannel(8, "x", 0); }},
        {"7 read channel -1", [] { sink = readByte(-1); }},
        {"7 NaN end of channel", [] { sink = endOfChannel(kNaN); }},
        {"7 huge channel write", [] { writeLine(1e300, "x"); }},
        {"7 close channel 8", [] { closeChannel(8.0); }},
        {"3 read a closed channel", [] { sink = readLong(0); }},
        {"3 write a closed channel", [] { writeByte(0, 1); }},
        // Channel 1 reads the six bytes "ab\r\ncd".
        {"3 read past the last line",
         [] { sink = readLine(1).length() + readLine(1).length() + readLine(1).length(); }},
        {"3 short long read", [] { sink = readLong(1) + readLong(1); }},
        {"3 huge text read", [] { sink = readBytesAsText(1, 2e9).length(); }},
        {"3 write a reading channel", [] { writeLine(1, "x"); }},
        {"3 read a writing channel", [] { sink = openChannel(6, "out.bin", 0) + readByte(6); }},
        {"3 write past the file-size limit",
         [] {
             limitFileSize(100, true);
             openChannel(2, "out.bin", 0);
             writeText(2, std::string(99, 'x').c_str());
             writeWord(2, 1);
         }},
        {"copy under a file-size limit",
         [] {
             test::writeWholeFile("big.bin", std::string(10000, 'b'));
             limitFileSize(5000, true);
             std::printf("copy %g\n", copyFile("big.bin", "old.txt"));
         }},
        {"INI save under a file-size limit",
         [] {
             openIniFile("old.txt");
             writeIniValue("s", "k", std::string(9000, 'v').c_str());
             limitFileSize(5000, true);
             openIniFile("other.ini");
         }},
        {"data save killed by a file-size limit",
         [] {
             writeDataLine("old.txt", 0, std::string(1000, 'v').c_str());
             for (int i = 1; i < 9; ++i)
                 writeDataLine("old.txt", i, std::string(1000, 'w').c_str());
             limitFileSize(5000, false);
             sink = readDataLine("other.txt", 0).length();
         }},
        {"changes saved at the end",
         [] {
             openIniFile("end.ini");
             writeIniValue("Game", "level", "7");
             writeDataNumber("end.txt", 1, 42);
             fs::create_directory("elsewhere");
             setCurrentDirectory("elsewhere");
             endProgram();
         }},
    };
    return cases;
}

VORLAN_TEST_CHILD(FilesCase) {
    runtimeSettings.debugMode = 1;
    fs::current_path(std::getenv("TMPDIR"));
    test::writeWholeFile("small.bin", "ab\r\ncd");
    openChannel(1, "small.bin", 1);
#ifndef __SANITIZE_ADDRESS__  // its shadow memory needs the address space
    // A read that allocated what it was asked for would fail here.
    rlimit memory{256u << 20, 256u << 20};
    setrlimit(RLIMIT_AS, &memory);
#endif
    std::printf("started\n");
    std::fflush(stdout);
    childCases().at(std::getenv("VORLAN_FILES_CASE"))();
    std::printf("returned\n");
}

struct ChildRun {
    std::optional<int> exitCode;
    std::string output, log;
};

ChildRun runChild(const test::TempFolder& folder, const std::string& name) {
    setenv("VORLAN_FILES_CASE", name.c_str(), 1);
    std::unique_ptr<test::Subprocess> child = test::startChild("FilesCase");
    unsetenv("VORLAN_FILES_CASE");
    std::optional<int> exitCode = child->waitForExit(60000);
    const fs::path log = folder.file("ErrorLog.txt");
    return {exitCode, child->output(), fs::exists(log) ? test::readWholeFile(log) : ""};
}

std::string endReport(int error) {
    return "-End On Line\r\n" + std::to_string(error) + "\r\n-1\r\n0\r\n0\r\n";
}

TEST(FilesErrors, EndTheProgramWithTheirNumber) {
    for (const auto& [name, body] : childCases()) {
        if (!std::isdigit(name[0])) continue;  // the number the case must end with
        test::TempFolder folder;
        ChildRun run = runChild(folder, name);
        EXPECT_EQ(run.exitCode, 1) << name;
        EXPECT_EQ(run.output, "started\n") << name;
        EXPECT_EQ(run.log, endReport(name[0] - '0')) << name;
    }
}

TEST(FilesSaves, AFailedOrKilledSaveKeepsTheOldFile) {
    const std::string old = "[keep]\r\nold=1\r\n";
    for (const char* name : {"copy under a file-size limit", "INI save under a file-size limit",
                             "data save killed by a file-size limit"}) {
        test::TempFolder folder;
        test::writeWholeFile(folder.file("old.txt"), old);
        fs::permissions(folder.file("old.txt"), fs::perms(0640));
        ChildRun run = runChild(folder, name);
        EXPECT_EQ(test::readWholeFile(folder.file("old.txt")), old) << name;
        EXPECT_EQ(fs::status(folder.file("old.txt")).permissions(), fs::perms(0640)) << name;
        bool killed = std::string(name).find("killed") != std::string::npos;
        EXPECT_EQ(run.exitCode, killed ? -SIGXFSZ : 0) << name;
        if (killed) continue;
        EXPECT_NE(run.output.find(name[0] == 'c' ? "copy 0" : "returned"), std::string::npos)
            << name;
        for (const auto& entry : fs::directory_iterator(folder.path())) {
            EXPECT_EQ(entry.path().filename().string().find(".old.txt"), std::string::npos) << name;
        }
    }
}

TEST(FilesSaves, PendingChangesAreSavedWhereTheDocumentsWereOpened) {
    test::TempFolder folder;
    ChildRun run = runChild(folder, "changes saved at the end");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.log, endReport(3));  // end.txt did not exist when first used
    EXPECT_EQ(test::readWholeFile(folder.file("end.ini")), "[Game]\r\nlevel=7\r\n");
    EXPECT_EQ(test::readWholeFile(folder.file("end.txt")), "\r\n42\r\n");
    EXPECT_TRUE(fs::is_empty(folder.file("elsewhere")));
}

}  // namespace
}  // namespace vorlan
