// Foreign calls into a real library built with the tests (libVorlanSample.so
// beside the test programs), and programs started as real child processes.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>
#include <vorlan/vorlan.h>

#include <cmath>
#include <fstream>

#include "foreign/command_line.h"
#include "support/child_entry.h"
#include "support/eventually.h"
#include "support/temp_folder.h"

namespace vorlan::test {
namespace {

namespace fs = std::filesystem;
const char* kSample = "libVorlanSample.so";

// Loads the sample (twice, and asks it for a missing function) and a copy
// under another name, then ends the program: each closes once, in reverse.
VORLAN_TEST_CHILD(LoadTwoLibrariesThenEnd) {
    for (const char* function : {"sampleAdd", "noSuchFunction", "sampleGreet"})
        ForeignFunction<void()>(kSample, function);
    ForeignFunction<int32_t(int32_t, int32_t)> add(std::getenv("VORLAN_TEST_SECOND"), "sampleAdd");
    std::printf("%d\n", add ? add(2, 3) : -1);
    endProgram();
}

TEST(ForeignCall, ResolvesOnlyWhatTheLibraryItselfExportsAndClosesAtTheEnd) {
    ForeignFunction<int32_t(int32_t, int32_t)> add(kSample, "sampleAdd");
    ForeignFunction<const char*(const char*)> greet(kSample, "sampleGreet");
    ASSERT_TRUE(add && greet);
    EXPECT_EQ(add(-7, 3), -4);
    EXPECT_STREQ(greet("Brinna"), "hello Brinna");
    // A copy in the current folder, where a bare name must not find it.
    TempFolder folder;
    const fs::path copy = folder.file("libCurrentOnly.so"), previous = fs::current_path();
    fs::copy_file(buildBin() / kSample, copy);
    fs::current_path(folder.path());
    // clang-format off
    const std::tuple<std::string, const char*, bool> cases[] = {
        {"LIBVORLANSAMPLE.SO", "sampleAdd", true},  // the table's lower-case key finds the load
        {(buildBin() / kSample).string(), "sampleAdd", true},  // capitals in the path
        {kSample, "noSuchFunction", false}, {kSample, "strlen", false},  // libc is a dependency
        {"libc.so.6", "strlen", true}, {"libNoSuchLibrary.so", "sampleAdd", false},
        {"", "strlen", false},  // would be the program itself
        {"libCurrentOnly.so", "sampleAdd", false}, {"./libCurrentOnly.so", "sampleAdd", true}};
    // clang-format on
    for (const auto& [library, function, found] : cases) {
        void* address = reinterpret_cast<void*>(1);
        resolveLibraryFunction(library.c_str(), function, address);
        EXPECT_EQ(address != nullptr, found) << library << " " << function;
    }
    fs::current_path(previous);
    const fs::path log = folder.file("unloads.txt");
    auto result = runToEnd({"/proc/self/exe"}, {"VORLAN_TEST_CHILD=LoadTwoLibrariesThenEnd",
                                                "VORLAN_SAMPLE_LOG=" + log.string(),
                                                "VORLAN_TEST_SECOND=" + copy.string()});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "5\n");
    EXPECT_EQ(readWholeFile(log), copy.string() + "\n" + (buildBin() / kSample).string() + "\n");
}

// Reports its arguments, ignored signals (1 to 31; the C library keeps its
// own above them) and open descriptors into the file the parent names.
VORLAN_TEST_CHILD(ReportLaunch) {
    std::string out, cmdline = readWholeFile("/proc/self/cmdline");
    for (size_t at = cmdline.find('\0') + 1; at < cmdline.size(); at = cmdline.find('\0', at) + 1)
        out += "arg[" + std::string(cmdline.c_str() + at) + "]\n";
    std::string status = readWholeFile("/proc/self/status");
    unsigned long ignored = std::stoul(status.substr(status.find("SigIgn:") + 7), nullptr, 16);
    out += "ignored " + std::to_string(ignored & 0x7FFFFFFF) + "\n";
    std::error_code closed;  // the listing's own descriptor is gone when read
    for (const auto& fd : fs::directory_iterator("/proc/self/fd"))
        out += "open " + fs::read_symlink(fd.path(), closed).string() + "\n";
    writeWholeFile(std::getenv("VORLAN_LAUNCH_REPORT"), out);
}

// Children of this process other than `except`, ended or not.
int otherChildren(pid_t except) {
    int children = 0;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string pid, name, state;
        long parent = 0;
        if (stat >> pid >> name >> state >> parent)
            children += parent == getpid() && std::stol(pid) != except;
    }
    return children;
}

// A launched program gets its arguments as quoted (no shell), only the standard
// descriptors and no ignored signal; unwaited ones are reaped, the game's own child is not.
TEST(RunProgram, SplitsLaunchesGivesExitCodesAndReaps) {
    // clang-format off
    const std::pair<const char*, std::vector<std::string>> lines[] = {
        {"", {}}, {" \t ", {}}, {"  prog  a\tb  ", {"prog", "a", "b"}},
        {R"(p a\b a\\b)", {"p", R"(a\b)", R"(a\\b)"}},
        {R"("my prog" "a b" c)", {"my prog", "a b", "c"}},
        {R"(p a\"b)", {"p", R"(a"b)"}}, {R"(p a\\"b c")", {"p", R"(a\b c)"}},
        {R"(p a\\\"b)", {"p", R"(a\"b)"}}, {R"(p "a\\" b)", {"p", R"(a\)", "b"}},
        {R"(p "x""y" "")", {"p", R"(x"y)", ""}}, {R"(p ab"c d"e)", {"p", "abc de"}},
        {R"("C:\dir\"x y)", {R"(C:\dir\x)", "y"}}, {R"(p "unclosed arg)", {"p", "unclosed arg"}}};
    // clang-format on
    for (const auto& [line, words] : lines) EXPECT_EQ(splitCommandLine(line), words) << line;
    pid_t own = fork();
    if (own == 0) _exit(7);
    TempFolder temp;
    int leaked[2];  // no close-on-exec
    ASSERT_EQ(pipe(leaked), 0);
    std::string leakedName = fs::read_symlink("/proc/self/fd/" + std::to_string(leaked[0]));
    auto oldPipe = signal(SIGPIPE, SIG_IGN);
    double code = -1;
    const std::string launch =
        "env VORLAN_TEST_CHILD=ReportLaunch VORLAN_LAUNCH_REPORT=" + temp.file("report").string() +
        " " + (buildBin() / "foreign_tests").string() + R"( "a b" c\"d "e\\" $(touch x) ; | > y)";
    EXPECT_EQ(runProgram(launch.c_str(), 1, 1, code), 1);
    signal(SIGPIPE, oldPipe);
    close(leaked[0]), close(leaked[1]);
    EXPECT_EQ(code, 0);
    std::string report = readWholeFile(temp.file("report"));
    EXPECT_EQ(report.substr(0, report.find("open ")),
              "arg[a b]\narg[c\"d]\narg[e\\]\narg[$(touch]\narg[x)]\narg[;]\narg[|]\narg[>]\n"
              "arg[y]\nignored 0\n");
    EXPECT_EQ(report.find(leakedName), std::string::npos) << report;
    EXPECT_FALSE(fs::exists("x"));
    // clang-format off
    const std::tuple<const char*, double, double, double> cases[] = {
        {"true", 1, 1, 0}, {"false", 1, 1, 1}, {R"(sh -c "exit 259")", 1, 1, 259 & 0xFF},
        {R"(sh -c "kill -TERM $$")", 1, 1, 128 + SIGTERM}, {R"(sh -c "exit 5")", 0, 1, 0},
        {R"(sh -c "exit 5")", std::nan(""), 1, 5}, {"no-such-program-vorlan", 1, 0, 0},
        {"   ", 1, 0, 0}, {R"("")", 1, 0, 0}, {"true", 0, 1, 0}, {"true", 0, 1, 0}};
    // clang-format on
    for (const auto& [text, wait, started, want] : cases) {
        RtString line(text);
        code = 77;
        EXPECT_EQ(runProgram(line, wait, 0, code), started) << text;
        EXPECT_EQ(code, want) << text;
        EXPECT_STREQ(line.cStr(), text) << "the caller's text changed";
    }
    EXPECT_TRUE(eventually([&] { return otherChildren(own) == 0; }, 60000, 10));
    int status = 0;
    ASSERT_EQ(waitpid(own, &status, 0), own) << "another child was reaped behind our back";
    EXPECT_EQ(WEXITSTATUS(status), 7);
}

}  // namespace
}  // namespace vorlan::test
