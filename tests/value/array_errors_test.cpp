// Runtime errors 9 (bad index) and 7 (no storage) end the program: exit
// code 0 through endProgram, the next statement never reached, and in
// debug mode the end report in the log.
#include <sys/resource.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include <vorlan/vorlan.h>

#include "app/runtime_state.h"
#include "support/child_entry.h"
#include "support/sanitizer.h"
#include "support/temp_folder.h"

namespace vorlan {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

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

const ErrorCase kCases[] = {
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

VORLAN_TEST_CHILD(ArrayErrorCase) {
    const ErrorCase& c = kCases[std::atoi(std::getenv("VORLAN_ARRAY_CASE"))];
    runtimeSettings.debugMode = std::atoi(std::getenv("VORLAN_ARRAY_DEBUG"));
    if (c.realAllocationFailure && !test::underAddressSanitizer()) {
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
    if (c.text && !c.index.empty()) elementAt(texts, at(0), at(1), at(2), at(3)) = "x";
    if (!c.text && !c.index.empty()) elementAt(numbers, at(0), at(1), at(2), at(3)) = 1;
    std::printf("went on\n");
}

// The case's output and log; the log stays empty outside debug mode.
void expectEnd(size_t index, bool debug, const std::string& log) {
    const ErrorCase& c = kCases[index];
    SCOPED_TRACE(c.what);
    test::TempFolder folder;
    setenv("VORLAN_ARRAY_CASE", std::to_string(index).c_str(), 1);
    setenv("VORLAN_ARRAY_DEBUG", debug ? "1" : "0", 1);
    const char* options = std::getenv("ASAN_OPTIONS");
    const std::string oldOptions = options ? options : "";
    if (c.realAllocationFailure && test::underAddressSanitizer()) {
        // The sanitizer's shadow memory rules out an address-space limit;
        // its own allocation cap is read when the child starts.
        std::string capped = oldOptions + ":allocator_may_return_null=1:max_allocation_size_mb=256";
        setenv("ASAN_OPTIONS", capped.c_str(), 1);
    }
    auto child = test::startChild("ArrayErrorCase");
    setenv("ASAN_OPTIONS", oldOptions.c_str(), 1);
    EXPECT_EQ(child->waitForExit(20000), 0);
    EXPECT_EQ(child->output(), "");
    EXPECT_EQ(test::readWholeFile(folder.file("ErrorLog.txt")), log);
}

TEST(ArrayErrors, EndTheProgramWithTheirNumber) {
    for (size_t i = 0; i < std::size(kCases); ++i) {
        expectEnd(i, true,
                  "-End On Line\r\n" + std::to_string(kCases[i].error) + "\r\n-1\r\n0\r\n0\r\n");
    }
    expectEnd(0, false, "");
}

}  // namespace
}  // namespace vorlan
