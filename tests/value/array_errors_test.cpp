// Runtime errors 9 (bad index) and 7 (no storage) end the program: in a
// child process, exit code 0 through endProgram, the next statement never
// reached, and in debug mode the end report in the log.
#include <sys/resource.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include <vorlan/vorlan.h>

#include "core/runtime_state.h"
#include "support/sanitizer.h"
#include "support/temp_folder.h"

namespace vorlan {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
volatile double sink;  // keeps the failing reads

using test::underAddressSanitizer;

// Dimensions the array (unless `dimension` is empty), then reads the index
// or redimensions to `resize`.
struct ErrorCase {
    const char* what;
    int error;
    std::vector<double> dimension;
    std::vector<double> index;
    bool text = false;
    double resize = 0;
    bool realAllocationFailure = false;
};

void runCase(const ErrorCase& c) {
    if (c.realAllocationFailure && !underAddressSanitizer()) {
        rlimit limit{256u << 20, 256u << 20};
        setrlimit(RLIMIT_AS, &limit);
    }
    auto size = [&](size_t i) { return i < c.dimension.size() ? c.dimension[i] : 0.0; };
    auto at = [&](size_t i) { return i < c.index.size() ? c.index[i] : 0.0; };
    RtNumberArray numbers;
    RtStringArray texts;
    if (c.text && !c.dimension.empty()) dimensionArray(texts, size(0), size(1), size(2), size(3));
    if (!c.text && !c.dimension.empty())
        dimensionArray(numbers, size(0), size(1), size(2), size(3));
    if (c.resize != 0) redimensionArray(numbers, c.resize);
    if (c.index.empty()) return;
    if (c.text) sink = elementAt(texts, at(0), at(1), at(2), at(3)).length();
    if (!c.text) sink = elementAt(numbers, at(0), at(1), at(2), at(3));
}

TEST(ArrayErrors, EndTheProgramWithTheirNumber) {
    const ErrorCase cases[] = {
        {"one past the end", 9, {10}, {10}},
        {"negative", 9, {10}, {-1}},
        {"never dimensioned", 9, {}, {0}},
        {"unused dimension", 9, {10}, {0, 1}},
        {"second index past its size, storage there", 9, {5, 3}, {0, 3}},
        {"NaN", 9, {10}, {kNaN}},
        {"wraps to 1", 9, {10}, {4294967297.0}},
        {"text index", 9, {3}, {3}, true},
        {"2^32 wraps to 0", 7, {65536, 65536}, {}},
        {"capacity past 32 bits", 7, {2147483647}, {}},
        {"infinite size", 7, {10, kInf}, {}},
        {"four sizes overflow together", 7, {300, 300, 300, 300}, {}},
        {"text count", 7, {100000, 100000}, {}, true},
        {"redimension", 7, {10}, {}, false, 1e10},
        {"no memory", 7, {100000000}, {}, false, 0, true},
        {"no text memory", 7, {100000000}, {}, true, 0, true},
    };
    const std::string oldOptions = std::getenv("ASAN_OPTIONS") ? std::getenv("ASAN_OPTIONS") : "";
    for (size_t i = 0; i < std::size(cases); ++i) {
        const ErrorCase& c = cases[i];
        // The child's log folder. A child started afresh (below) runs this
        // body again up to its case: it must keep its parent's folder.
        const std::string key = "VORLAN_ARRAY_ERROR_LOG_" + std::to_string(i);
        std::optional<test::TempFolder> folder;
        if (!std::getenv(key.c_str())) setenv(key.c_str(), folder.emplace().path().c_str(), 1);
        const std::filesystem::path logFolder = std::getenv(key.c_str());
        runtimeSettings.debugMode = 1;
        if (c.realAllocationFailure && underAddressSanitizer()) {
            // The sanitizer's shadow memory rules out an address-space limit;
            // its own allocation cap is read when the child starts.
            setenv("ASAN_OPTIONS",
                   (oldOptions + ":allocator_may_return_null=1:max_allocation_size_mb=256").c_str(),
                   1);
            GTEST_FLAG_SET(death_test_style, "threadsafe");
        }
        // One line on standard error names the error and the operation.
        EXPECT_EXIT((setenv("TMPDIR", logFolder.c_str(), 1), runCase(c), std::_Exit(99)),
                    testing::ExitedWithCode(1),
                    c.error == 9 ? "runtime error 9 \\(index out of range\\) in elementAt\n"
                                 : "runtime error 7 \\(out of range or out of memory\\) in "
                                   "dimensionArray\n")
            << c.what;
        GTEST_FLAG_SET(death_test_style, "fast");
        setenv("ASAN_OPTIONS", oldOptions.c_str(), 1);
        unsetenv(key.c_str());
        runtimeSettings.debugMode = 0;
        EXPECT_EQ(test::readWholeFile(logFolder / "ErrorLog.txt"),
                  "-End On Line\r\n" + std::to_string(c.error) + "\r\n-1\r\n0\r\n0\r\n")
            << c.what;
    }
    test::TempFolder folder;  // outside debug mode: no report
    EXPECT_EXIT((runCase(cases[0]), std::_Exit(99)), testing::ExitedWithCode(1), "");
    EXPECT_FALSE(std::filesystem::exists(folder.file("ErrorLog.txt")));
}

}  // namespace
}  // namespace vorlan
