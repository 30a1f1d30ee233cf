// Runtime errors, the log file and the debugger channel.
#include <gtest/gtest.h>
#include <sys/ptrace.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/error_report.h"
#include "app/runtime_state.h"
#include "support/temp_folder.h"

namespace vorlan {
namespace {

using test::readWholeFile;
using test::TempFolder;

TEST(ErrorLog, AppendsLinesWithCrLfAndDropsThemSilentlyWithoutAFolder) {
    TempFolder temp;
    appendErrorLog("first");
    appendErrorLog(RtString(""));
    EXPECT_EQ(readWholeFile(temp.file("ErrorLog.txt")), "first\r\n\r\n");
    deleteErrorLog();
    EXPECT_FALSE(std::filesystem::exists(temp.file("ErrorLog.txt")));
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
        {1, 0, -1, 9, "-End On Line\r\n9\r\n-1\r\n0\r\n0\r\n"},  // no line: -1
        {1, -1e300, 1e300, -7.9,
         "-End On Line\r\n-7\r\n2147483647\r\n2147483647\r\n-2147483648\r\n"},
        {0, 3, 42, 9, ""},
    };
    for (const Case& c : cases) {
        TempFolder temp;
        appendErrorLog("earlier");
        runtimeSettings.debugMode = c.debugMode;
        errorState = ErrorState{};
        if (c.line >= 0) setCurrentLine(c.module, c.line);
        // The program ends with exit code 0; the statement after never runs.
        EXPECT_EXIT((raiseError(c.error), endProgram(), std::_Exit(99)), testing::ExitedWithCode(0),
                    "");
        EXPECT_EQ(readWholeFile(temp.file("ErrorLog.txt")), std::string("earlier\r\n") + c.log);
    }
    runtimeSettings.debugMode = 0;
    errorState = ErrorState{};
}

// What a child writes to standard error through the debugger channel, traced
// by this process or not.
std::string debuggerChannelOf(bool traced) {
    int fds[2];
    if (pipe(fds) != 0) return "pipe failed";
    pid_t child = fork();
    if (child == 0) {
        dup2(fds[1], STDERR_FILENO);
        if (traced) ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
        debugBreak(255);
        debugBreak(-1);
        debugOutput("hello");
        _exit(0);
    }
    close(fds[1]);
    std::string text;
    char buffer[256];
    for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;) text.append(buffer, size_t(n));
    close(fds[0]);
    waitpid(child, nullptr, 0);
    return text;
}

TEST(DebuggerChannel, SendsBreaksAndTextOnlyWhileTraced) {
    EXPECT_EQ(debuggerChannelOf(true), "BPff\nBPffffffff\nTXhello\n");
    EXPECT_EQ(debuggerChannelOf(false), "");
}

}  // namespace
}  // namespace vorlan
