// Starting programs: real child processes, split by the command-line
// quoting rules and spawned without a shell.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>
#include <vorlan/vorlan.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "app/command_line.h"
#include "support/child_entry.h"
#include "support/temp_folder.h"

namespace vorlan::test {
namespace {

// The child reports its arguments, open descriptors and ignored signals
// into the file the parent names.
VORLAN_TEST_CHILD(ReportLaunch) {
    std::string out;
    std::string cmdline = readWholeFile("/proc/self/cmdline");
    for (size_t at = cmdline.find('\0') + 1; at < cmdline.size();) {
        size_t end = cmdline.find('\0', at);
        out += "arg[" + cmdline.substr(at, end - at) + "]\n";
        at = end + 1;
    }
    std::istringstream status(readWholeFile("/proc/self/status"));
    for (std::string line; std::getline(status, line);) {
        // Signals 1 to 31; the C library keeps its own above them.
        if (line.rfind("SigIgn:", 0) == 0) {
            unsigned long ignored = std::stoul(line.substr(7), nullptr, 16) & 0x7FFFFFFF;
            out += "ignored " + std::to_string(ignored) + "\n";
        }
    }
    // What each descriptor above 2 is (the sanitizers open their own).
    DIR* fds = opendir("/proc/self/fd");
    while (dirent* entry = readdir(fds)) {
        int fd = std::atoi(entry->d_name);
        if (entry->d_name[0] != '.' && fd > 2 && fd != dirfd(fds)) {
            out += "open " +
                   std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(fd)).string() +
                   "\n";
        }
    }
    closedir(fds);
    writeWholeFile(std::getenv("VORLAN_LAUNCH_REPORT"), out);
}

class Launch : public testing::Test {
  protected:
    void SetUp() override {
        setenv("VORLAN_TEST_CHILD", "ReportLaunch", 1);
        setenv("VORLAN_LAUNCH_REPORT", report_.c_str(), 1);
    }
    void TearDown() override { unsetenv("VORLAN_TEST_CHILD"); }

    std::string reportOf(const std::string& arguments) {
        std::filesystem::remove(report_);
        double code = -1;
        EXPECT_EQ(runProgram(RtString(("/proc/self/exe " + arguments).c_str()), 1, 1, code), 1);
        EXPECT_EQ(code, 0);
        return readWholeFile(report_);
    }

    TempFolder temp_;
    std::string report_ = temp_.file("report").string();
};

TEST(CommandLine, SplitsByTheQuotingRules) {
    using Words = std::vector<std::string>;
    struct Case {
        const char* line;
        Words words;
    };
    const Case cases[] = {
        {"", {}},
        {" \t ", {}},
        {"prog", {"prog"}},
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
    for (const Case& c : cases) EXPECT_EQ(splitCommandLine(c.line), c.words) << c.line;
}

TEST_F(Launch, ArgumentsAsQuotedOnlyStandardDescriptorsNoIgnoredSignals) {
    writeWholeFile(temp_.file("leak-marker"), "");
    int leaked = open(temp_.file("leak-marker").c_str(), O_RDONLY);  // no close-on-exec
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    auto oldPipe = signal(SIGPIPE, SIG_IGN);
    auto oldHup = signal(SIGHUP, SIG_IGN);
    std::string pipeName =
        std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(pipeEnds[0]));
    std::string report = reportOf(R"("a b" c\"d "e\\" $(touch x) ; | > y)");
    signal(SIGPIPE, oldPipe);
    signal(SIGHUP, oldHup);
    close(leaked);
    close(pipeEnds[0]);
    close(pipeEnds[1]);
    // Shell metacharacters stay text: nothing ran them.
    EXPECT_EQ(report.substr(0, report.find("ignored ")),
              "arg[a b]\narg[c\"d]\narg[e\\]\narg[$(touch]\narg[x)]\narg[;]\narg[|]\narg[>]\n"
              "arg[y]\n");
    EXPECT_NE(report.find("ignored 0\n"), std::string::npos) << report;
    EXPECT_EQ(report.find("leak-marker"), std::string::npos) << report;
    EXPECT_EQ(report.find(pipeName), std::string::npos) << report;
    EXPECT_FALSE(std::filesystem::exists("x"));
}

TEST(RunProgram, ExitCodesAndFailures) {
    struct Case {
        const char* line;
        double wait;
        double started;
        double code;
    };
    const Case cases[] = {
        {"true", 1, 1, 0},
        {"false", 1, 1, 1},
        {R"(sh -c "exit 42")", 1, 1, 42},
        {R"(sh -c "exit 259")", 1, 1, 259 & 0xFF},
        {R"(sh -c "kill -TERM $$")", 1, 1, 128 + SIGTERM},
        {R"(sh -c "exit 5")", 0, 1, 0},
        {R"(sh -c "exit 5")", std::nan(""), 1, 5},
        {"no-such-program-vorlan", 1, 0, 0},
        {"true; touch never", 1, 0, 0},
        {"   ", 1, 0, 0},
        {"", 1, 0, 0},
        {R"("")", 1, 0, 0},
    };
    for (const Case& c : cases) {
        double code = 77;
        RtString line(c.line);
        EXPECT_EQ(runProgram(line, c.wait, 0, code), c.started) << c.line;
        EXPECT_EQ(code, c.code) << c.line;
        EXPECT_STREQ(line.cStr(), c.line) << "the caller's text changed";
    }
}

// Children of this process that have ended and were not reaped, other
// than `except`.
int zombieChildren(pid_t except) {
    int zombies = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string pid, name, state;
        long parent = 0;
        if (!(stat >> pid >> name >> state >> parent)) continue;
        if (parent == getpid() && state == "Z" && std::stol(pid) != except) ++zombies;
    }
    return zombies;
}

TEST(RunProgram, ProgramsNotWaitedForAreReapedAndOtherChildrenLeftAlone) {
    pid_t own = fork();
    if (own == 0) _exit(7);
    double code = -1;
    for (int i = 0; i < 5; ++i) ASSERT_EQ(runProgram("true", 0, 0, code), 1);
    int zombies = 5;
    for (int tries = 0; tries < 500 && zombies > 0; ++tries) {
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
