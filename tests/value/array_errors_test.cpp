// Runtime errors 9 (bad index) and 7 (no storage) end the program. Each case
// runs in a child process, which must leave through endProgram: exit code
// 0, the statement after the failing access never reached, and in debug
// mode the end report in the log.
#include <sys/resource.h>

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <limits>
#include <map>
#include <optional>
#include <string>

#include <vorlan/vorlan.h>

#include "app/runtime_state.h"
#include "support/child_entry.h"
#include "support/sanitizer.h"
#include "support/subprocess.h"
#include "support/temp_folder.h"

namespace vorlan {
namespace {

using test::underAddressSanitizer;

// Makes large allocations fail in this (child) process: an address-space
// limit, or under the address sanitizer, whose shadow memory needs terabytes
// of address space, the sanitizer's own allocation cap, which the parent
// sets through ASAN_OPTIONS.
void limitMemory() {
    if (underAddressSanitizer()) return;
    rlimit limit{256u << 20, 256u << 20};
    setrlimit(RLIMIT_AS, &limit);
}

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// A volatile sink keeps the failing reads from being optimised away.
volatile double sink;

const std::map<std::string, std::function<void()>>& childCases() {
    static const std::map<std::string, std::function<void()>> cases = {
        // Index errors.
        {"one past the end",
         [] {
             RtNumberArray a;
             dimensionArray(a, 10, 0, 0, 0);
             elementAt(a, 9) = 1;
             sink = elementAt(a, 10);
         }},
        {"negative index",
         [] {
             RtNumberArray a;
             dimensionArray(a, 10);
             sink = elementAt(a, -1);
         }},
        {"never dimensioned",
         [] {
             RtNumberArray a;
             sink = elementAt(a, 0);
         }},
        {"empty array",
         [] {
             RtNumberArray a;
             dimensionArray(a, 0.5);
             sink = elementAt(a, 0);
         }},
        {"index in an unused dimension",
         [] {
             RtNumberArray a;
             dimensionArray(a, 10);
             sink = elementAt(a, 0, 1);
         }},
        {"second index past its size",
         [] {
             RtNumberArray a;
             dimensionArray(a, 5, 3);
             sink = elementAt(a, 0, 3);  // storage position 15 would exist
         }},
        {"fourth index past its size",
         [] {
             RtNumberArray a;
             dimensionArray(a, 2, 2, 2, 2);
             sink = elementAt(a, 0, 0, 0, 2);
         }},
        {"NaN index",
         [] {
             RtNumberArray a;
             dimensionArray(a, 10);
             sink = elementAt(a, kNaN);
         }},
        {"index beyond 32 bits",
         [] {
             RtNumberArray a;
             dimensionArray(a, 10);
             sink = elementAt(a, 4294967296.0 + 1);  // would wrap to 1
         }},
        {"text array index",
         [] {
             RtStringArray a;
             dimensionArray(a, 3);
             sink = elementAt(a, 3).length();
         }},
        // Storage errors.
        {"count overflows 32 bits",
         [] {
             RtNumberArray a;
             dimensionArray(a, 65536, 65536);  // 2^32 would wrap to 0
         }},
        {"count just beyond 32 bits",
         [] {
             RtNumberArray a;
             dimensionArray(a, 2147483647);  // its capacity would not fit
         }},
        {"four sizes whose product overflows",
         [] {
             RtNumberArray a;
             dimensionArray(a, 300, 300, 300, 300);
         }},
        {"infinite size",
         [] {
             RtNumberArray a;
             dimensionArray(a, 10, kInf);
         }},
        {"text array count overflows",
         [] {
             RtStringArray a;
             dimensionArray(a, 100000, 100000);
         }},
        {"redimension overflows",
         [] {
             RtNumberArray a;
             dimensionArray(a, 10);
             redimensionArray(a, 1e10);
         }},
        {"storage cannot be allocated",
         [] {
             // 100 million doubles against a 256 MB limit.
             limitMemory();
             RtNumberArray a;
             dimensionArray(a, 100000000);
         }},
        {"text storage cannot be allocated",
         [] {
             limitMemory();
             RtStringArray a;
             dimensionArray(a, 100000000);
         }},
    };
    return cases;
}

// The child side: runs the case named in the environment.
VORLAN_TEST_CHILD(ArrayErrorCase) {
    const char* name = std::getenv("VORLAN_ARRAY_ERROR_CASE");
    runtimeSettings.debugMode = std::getenv("VORLAN_ARRAY_ERROR_DEBUG") ? 1 : 0;
    std::printf("started\n");
    std::fflush(stdout);
    childCases().at(name)();
    std::printf("returned\n");
    std::fflush(stdout);
}

struct ChildResult {
    std::optional<int> exitCode;
    std::string output;
    std::string log;
};

ChildResult runChild(const std::string& name, bool debug) {
    test::TempFolder folder;  // also the child's TMPDIR, so its log lands here
    setenv("VORLAN_ARRAY_ERROR_CASE", name.c_str(), 1);
    if (debug) setenv("VORLAN_ARRAY_ERROR_DEBUG", "1", 1);
    std::unique_ptr<test::Subprocess> child = test::startChild("ArrayErrorCase");
    unsetenv("VORLAN_ARRAY_ERROR_CASE");
    unsetenv("VORLAN_ARRAY_ERROR_DEBUG");
    ChildResult result;
    result.exitCode = child->waitForExit(60000);
    result.output = child->output();
    std::filesystem::path log = folder.file("ErrorLog.txt");
    if (std::filesystem::exists(log)) result.log = test::readWholeFile(log);
    return result;
}

std::string endReport(int error) {
    return "-End On Line\r\n" + std::to_string(error) + "\r\n-1\r\n0\r\n0\r\n";
}

class ArrayIndexErrors : public testing::TestWithParam<const char*> {};
class ArrayStorageErrors : public testing::TestWithParam<const char*> {};

TEST_P(ArrayIndexErrors, EndTheProgramWithError9) {
    ChildResult r = runChild(GetParam(), true);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.output.find("started"), std::string::npos) << r.output;
    EXPECT_EQ(r.output.find("returned"), std::string::npos) << r.output;
    EXPECT_EQ(r.log, endReport(9));
}

TEST_P(ArrayStorageErrors, EndTheProgramWithError7) {
    std::string name = GetParam();
    bool capAllocations = name.find("cannot be allocated") != std::string::npos;
    std::string oldOptions = std::getenv("ASAN_OPTIONS") ? std::getenv("ASAN_OPTIONS") : "";
    if (capAllocations && underAddressSanitizer()) {
        setenv("ASAN_OPTIONS",
               (oldOptions + ":allocator_may_return_null=1:max_allocation_size_mb=256").c_str(), 1);
    }
    ChildResult r = runChild(name, true);
    setenv("ASAN_OPTIONS", oldOptions.c_str(), 1);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.output.find("started"), std::string::npos) << r.output;
    EXPECT_EQ(r.output.find("returned"), std::string::npos) << r.output;
    EXPECT_EQ(r.log, endReport(7));
}

std::string caseName(const testing::TestParamInfo<const char*>& info) {
    std::string name;
    for (const char* p = info.param; *p; ++p) name += std::isalnum(*p) ? *p : '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Cases, ArrayIndexErrors,
                         testing::Values("one past the end", "negative index", "never dimensioned",
                                         "empty array", "index in an unused dimension",
                                         "second index past its size", "fourth index past its size",
                                         "NaN index", "index beyond 32 bits", "text array index"),
                         caseName);

INSTANTIATE_TEST_SUITE_P(Cases, ArrayStorageErrors,
                         testing::Values("count overflows 32 bits", "count just beyond 32 bits",
                                         "four sizes whose product overflows", "infinite size",
                                         "text array count overflows", "redimension overflows",
                                         "storage cannot be allocated",
                                         "text storage cannot be allocated"),
                         caseName);

TEST(ArrayErrors, OutsideDebugModeTheProgramEndsWithoutAReport) {
    ChildResult r = runChild("one past the end", false);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.output.find("returned"), std::string::npos) << r.output;
    EXPECT_EQ(r.log, "");
}

}  // namespace
}  // namespace vorlan
