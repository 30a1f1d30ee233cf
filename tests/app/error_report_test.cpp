// Runtime errors, the log file and the debugger channel.
#include <gtest/gtest.h>
#include <sys/ptrace.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "app/error_report.h"
#include "app/runtime_state.h"
#include "support/temp_folder.h"

namespace vorlan {
namespace {

using test::readWholeFile;
using test::TempFolder;

TEST(ErrorLog, AppendsLinesWithCarriageReturnLineFeed) {
    TempFolder temp;
    appendErrorLog("first");
    appendErrorLog(RtString("second"));
    appendErrorLog("");
    EXPECT_EQ(readWholeFile(temp.file("ErrorLog.txt")), "first\r\nsecond\r\n\r\n");
    EXPECT_EQ(errorLogPath(), temp.file("ErrorLog.txt").string());

    deleteErrorLog();
    EXPECT_FALSE(std::filesystem::exists(temp.file("ErrorLog.txt")));
    deleteErrorLog();  // a missing log is no error
}

TEST(ErrorLog, UnwritableFolderDropsTheLineSilently) {
    TempFolder temp;
    setenv("TMPDIR", (temp.path() / "missing").c_str(), 1);
    appendErrorLog("nowhere to go");
    EXPECT_FALSE(std::filesystem::exists(temp.path() / "missing"));
}

TEST(RuntimeError, RecordsTheNumberAndTheCurrentLine) {
    errorState = ErrorState{};
    setCurrentLine(3, 42);
    EXPECT_EQ(raiseError(7), 7);
    EXPECT_EQ(errorState.errorNumber, 7);
    EXPECT_EQ(errorState.errorLine, 42);
    EXPECT_EQ(errorState.currentModule, 3);
    errorState = ErrorState{};
}

// Runs `body` in a child that must end through endProgram with exit code 0.
template <typename Body>
void expectCleanEnd(Body body) {
    EXPECT_EXIT(
        {
            body();
            std::_Exit(99);
        },
        testing::ExitedWithCode(0), "");
}

TEST(EndProgram, DebugModeAppendsTheFiveLineReport) {
    TempFolder temp;
    appendErrorLog("earlier diagnostic");
    expectCleanEnd([] {
        runtimeSettings.debugMode = 1;
        setCurrentLine(3, 42);
        raiseError(9);
        endProgram();
    });
    EXPECT_EQ(readWholeFile(temp.file("ErrorLog.txt")),
              "earlier diagnostic\r\n-End On Line\r\n9\r\n41\r\n42\r\n3\r\n");
}

TEST(EndProgram, WithoutLineReportsTheLineIsMinusOne) {
    TempFolder temp;
    expectCleanEnd([] {
        runtimeSettings.debugMode = 1;
        errorState = ErrorState{};
        raiseError(9);
        endProgram();
    });
    EXPECT_EQ(readWholeFile(temp.file("ErrorLog.txt")), "-End On Line\r\n9\r\n-1\r\n0\r\n0\r\n");
}

TEST(EndProgram, NumbersBeyondThirtyTwoBitsAreHeldNotWrapped) {
    TempFolder temp;
    expectCleanEnd([] {
        runtimeSettings.debugMode = 1;
        errorState = ErrorState{};
        setCurrentLine(-1e300, 1e300);
        raiseError(-7.9);
        endProgram();
    });
    EXPECT_EQ(readWholeFile(temp.file("ErrorLog.txt")),
              "-End On Line\r\n-7\r\n2147483647\r\n2147483647\r\n-2147483648\r\n");
}

TEST(EndProgram, OutsideDebugModeWritesNothing) {
    TempFolder temp;
    expectCleanEnd([] {
        runtimeSettings.debugMode = 0;
        raiseError(9);
        endProgram();
    });
    EXPECT_FALSE(std::filesystem::exists(temp.file("ErrorLog.txt")));
}

// Runs `body` in a child traced by this process (so that it sees a
// debugger) and returns what it wrote to standard error.
template <typename Body>
std::string debuggerChannelOf(bool traced, Body body) {
    int fds[2];
    if (pipe(fds) != 0) return "pipe failed";
    pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        dup2(fds[1], STDERR_FILENO);
        if (traced) ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
        body();
        _exit(0);
    }
    close(fds[1]);
    std::string text;
    char buffer[256];
    for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;) text.append(buffer, n);
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return text;
}

TEST(DebuggerChannel, SendsBreaksAndTextOnlyWhileTraced) {
    auto talk = [] {
        debugBreak(255);
        debugBreak(-1);
        debugOutput("hello");
    };
    EXPECT_EQ(debuggerChannelOf(true, talk), "BPff\nBPffffffff\nTXhello\n");
    EXPECT_EQ(debuggerChannelOf(false, talk), "");
}

}  // namespace
}  // namespace vorlan
