// Runtime errors, the log file and the debugger channel.
#include <gtest/gtest.h>
#include <sys/ptrace.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/errors.h"
#include "core/runtime_state.h"
#include "support/temp_folder.h"

namespace vorlan {
namespace {

using test::readWholeFile;
using test::TempFolder;

TEST(ErrorLog, AppendsLinesWithCrLfNeverThroughALinkAndSilentlyWithoutAFolder) {
    TempFolder temp;
    appendErrorLog("first");
    appendErrorLog(RtString(""));
    EXPECT_EQ(readWholeFile(temp.file("ErrorLog.txt")), "first\r\n\r\n");
    deleteErrorLog();
    EXPECT_FALSE(std::filesystem::exists(temp.file("ErrorLog.txt")));
    // Another user may plant a link under the log's name in a shared folder.
    test::writeWholeFile(temp.file("victim.txt"), "untouched");
    std::filesystem::create_symlink(temp.file("victim.txt"), temp.file("ErrorLog.txt"));
    appendErrorLog("must not land in the victim");
    EXPECT_EQ(readWholeFile(temp.file("victim.txt")), "untouched");
    EXPECT_TRUE(std::filesystem::is_symlink(temp.file("ErrorLog.txt")));
    setenv("TMPDIR", temp.file("missing").c_str(), 1);
    appendErrorLog("nowhere to go");
    EXPECT_FALSE(std::filesystem::exists(temp.file("missing")));
}

TEST(EndProgram, ReportsInDebugModeOnlyWithNumbersHeldToThirtyTwoBits) {
    struct Case {
        int debugMode;
        double module, line, error;
        const char* log;  // after "earlier\r\n"
    };
    const Case cases[] = {
        {1, 3, 42, 9, "-End On Line\r\n9\r\n41\r\n42\r\n3\r\n"},
        {1, -1e300, 1e300, -7.9,
         "-End On Line\r\n-7\r\n2147483647\r\n2147483647\r\n-2147483648\r\n"},
        {0, 3, 42, 9, ""},
    };
    for (const Case& c : cases) {
        TempFolder temp;
        appendErrorLog("earlier");
        runtimeSettings.debugMode = c.debugMode;
        errorState = ErrorState{};
        setCurrentLine(c.module, c.line);
        // The program ends with exit code 0; the statement after never runs.
        EXPECT_EXIT((raiseError(c.error), endProgram(), std::_Exit(99)), testing::ExitedWithCode(0),
                    "");
        EXPECT_EQ(readWholeFile(temp.file("ErrorLog.txt")), std::string("earlier\r\n") + c.log);
    }
    runtimeSettings.debugMode = 0;
    errorState = ErrorState{};
}

// The debugger channel is standard error; a death test's child is traced
// by the test when it asks to be.
TEST(DebuggerChannel, SendsBreaksAndTextOnlyWhileTraced) {
    for (bool traced : {true, false}) {
        EXPECT_EXIT(
            {
                if (traced) ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
                debugBreak(255);
                debugBreak(-1);
                debugOutput("hello");
                std::_Exit(0);
            },
            testing::ExitedWithCode(0), traced ? "^BPff\nBPffffffff\nTXhello\n$" : "^$");
    }
}

}  // namespace
}  // namespace vorlan
