// Starting programs: real child processes, split by the command-line
// quoting rules and spawned without a shell.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>
#include <vorlan/vorlan.h>

#include <cmath>
#include <cstdlib>
#include <fstream>

#include "foreign/command_line.h"
#include "support/child_entry.h"
#include "support/temp_folder.h"

namespace vorlan::test {
namespace {

namespace fs = std::filesystem;

// Reports its arguments, ignored signals (1 to 31; the C library keeps its
// own above them) and descriptors above 2 (the sanitizers open their own)
// into the file the parent names.
VORLAN_TEST_CHILD(ReportLaunch) {
    std::string out, cmdline = readWholeFile("/proc/self/cmdline");
    for (size_t at = cmdline.find('\0') + 1; at < cmdline.size(); at = cmdline.find('\0', at) + 1)
        out += "arg[" + std::string(cmdline.c_str() + at) + "]\n";
    std::string status = readWholeFile("/proc/self/status");
    unsigned long ignored = std::stoul(status.substr(status.find("SigIgn:") + 7), nullptr, 16);
    out += "ignored " + std::to_string(ignored & 0x7FFFFFFF) + "\n";
    for (const auto& fd : fs::directory_iterator("/proc/self/fd")) {
        std::error_code closed;
        if (std::stoi(fd.path().filename()) > 2)
            out += "open " + fs::read_symlink(fd.path(), closed).string() + "\n";
    }
    writeWholeFile(std::getenv("VORLAN_LAUNCH_REPORT"), out);
}

TEST(CommandLine, SplitsByTheQuotingRules) {
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"", {}},
        {" \t ", {}},
        {"  prog  a\tb  ", {"prog", "a", "b"}},
        {R"("my prog" "a b" c)", {"my prog", "a b", "c"}},
        {R"(p a\b a\\b)", {"p", R"(a\b)", R"(a\\b)"}},
        {R"(p a\"b)", {"p", R"(a"b)"}},
        {R"(p a\\"b c")", {"p", R"(a\b c)"}},
        {R"(p a\\\"b)", {"p", R"(a\"b)"}},
        {R"(p "a\\" b)", {"p", R"(a\)", "b"}},
        {R"(p "x""y" "")", {"p", R"(x"y)", ""}},
        {R"(p ab"c d"e)", {"p", "abc de"}},
        {R"("C:\dir\"x y)", {R"(C:\dir\x)", "y"}},
        {R"(p "unclosed arg)", {"p", "unclosed arg"}},
    };
    for (const auto& [line, words] : cases) EXPECT_EQ(splitCommandLine(line), words) << line;
}

TEST(Launch, ArgumentsAsQuotedOnlyStandardDescriptorsNoIgnoredSignals) {
    TempFolder temp;
    int leaked[2];  // no close-on-exec
    ASSERT_EQ(pipe(leaked), 0);
    std::string leakedName = fs::read_symlink("/proc/self/fd/" + std::to_string(leaked[0]));
    auto oldPipe = signal(SIGPIPE, SIG_IGN);
    setenv("VORLAN_TEST_CHILD", "ReportLaunch", 1);
    setenv("VORLAN_LAUNCH_REPORT", temp.file("report").c_str(), 1);
    double code = -1;
    EXPECT_EQ(runProgram(R"(/proc/self/exe "a b" c\"d "e\\" $(touch x) ; | > y)", 1, 1, code), 1);
    unsetenv("VORLAN_TEST_CHILD");
    signal(SIGPIPE, oldPipe);
    close(leaked[0]);
    close(leaked[1]);
    EXPECT_EQ(code, 0);
    std::string report = readWholeFile(temp.file("report"));
    // Shell metacharacters stay text: nothing ran them.
    EXPECT_EQ(report.substr(0, report.find("open ")),
              "arg[a b]\narg[c\"d]\narg[e\\]\narg[$(touch]\narg[x)]\narg[;]\narg[|]\narg[>]\n"
              "arg[y]\nignored 0\n");
    EXPECT_EQ(report.find(leakedName), std::string::npos) << report;
    EXPECT_FALSE(fs::exists("x"));
}

// Waiting gives the exit code (128 + n after signal n, 0 when not waited
// for); a program that cannot start gives 0 and code 0.
TEST(RunProgram, ExitCodesAndFailures) {
    const std::tuple<const char*, double, double, double> cases[] = {
        {"true", 1, 1, 0},
        {"false", 1, 1, 1},
        {R"(sh -c "exit 259")", 1, 1, 259 & 0xFF},
        {R"(sh -c "kill -TERM $$")", 1, 1, 128 + SIGTERM},
        {R"(sh -c "exit 5")", 0, 1, 0},
        {R"(sh -c "exit 5")", std::nan(""), 1, 5},
        {"no-such-program-vorlan", 1, 0, 0},
        {"   ", 1, 0, 0},
        {R"("")", 1, 0, 0},
    };
    for (const auto& [text, wait, started, want] : cases) {
        double code = 77;
        RtString line(text);
        EXPECT_EQ(runProgram(line, wait, 0, code), started) << text;
        EXPECT_EQ(code, want) << text;
        EXPECT_STREQ(line.cStr(), text) << "the caller's text changed";
    }
}

// Children of this process that have ended and were not reaped, other
// than `except`.
int zombieChildren(pid_t except) {
    int zombies = 0;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string pid, name, state;
        long parent = 0;
        if (!(stat >> pid >> name >> state >> parent)) continue;
        zombies += parent == getpid() && state == "Z" && std::stol(pid) != except;
    }
    return zombies;
}

TEST(RunProgram, ProgramsNotWaitedForAreReapedAndOtherChildrenLeftAlone) {
    pid_t own = fork();
    if (own == 0) _exit(7);
    double code = -1;
    for (int i = 0; i < 5; ++i) ASSERT_EQ(runProgram("true", 0, 0, code), 1);
    int zombies = 5;
    for (int tries = 0; tries < 3000 && zombies > 0; ++tries) {
        usleep(10000);
        zombies = zombieChildren(own);
    }
    EXPECT_EQ(zombies, 0);
    int status = 0;
    ASSERT_EQ(waitpid(own, &status, 0), own) << "another child was reaped behind our back";
    EXPECT_EQ(WEXITSTATUS(status), 7);
}

}  // namespace
}  // namespace vorlan::test
