// Runtime errors, the log file and the debugger channel.
#include <gtest/gtest.h>
#include <sys/ptrace.h>

#include <cstdlib>
#include <filesystem>

#include "core/errors.h"
#include "support/fatal_cases.h"
#include "support/temp_folder.h"

namespace vorlan::test {
namespace {

// Another user may plant a link under the log's name in a shared folder.
TEST(ErrorLog, NeverWritesThroughALinkAndIsSilentWithoutAFolder) {
    TempFolder temp;
    writeWholeFile(temp.file("victim.txt"), "untouched");
    std::filesystem::create_symlink(temp.file("victim.txt"), temp.file("ErrorLog.txt"));
    appendErrorLog("must not land in the victim");
    EXPECT_EQ(readWholeFile(temp.file("victim.txt")), "untouched");
    EXPECT_TRUE(std::filesystem::is_symlink(temp.file("ErrorLog.txt")));
    setenv("TMPDIR", temp.file("missing").c_str(), 1);
    appendErrorLog("nowhere to go");
    EXPECT_FALSE(std::filesystem::exists(temp.file("missing")));
}

// The end report names the error and where the game was, in debug mode only,
// with its numbers held to 32 bits.
const FatalCases kEnds("EndReport",
                       {
                           {"at a line of a module", 9, "elementAt",
                            [] {
                                setCurrentLine(3, 42);
                                fatalRuntimeError(RuntimeError::IndexOutOfRange, "elementAt");
                            },
                            "9\r\n41\r\n42\r\n3\r\n"},
                           {"numbers beyond 32 bits, through endProgram", 0, "",
                            [] {
                                setCurrentLine(-1e300, 1e300);
                                raiseError(-7.9);
                                endProgram();
                            },
                            "-7\r\n2147483647\r\n2147483647\r\n-2147483648\r\n"},
                           {"outside debug mode", 7, "dimensionArray",
                            [] { fatalRuntimeError(RuntimeError::OutOfRange, "dimensionArray"); },
                            "", false},
                       });

TEST(EndProgram, ReportsInDebugModeOnlyWithNumbersHeldToThirtyTwoBits) {
    kEnds.check();
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
}  // namespace vorlan::test
