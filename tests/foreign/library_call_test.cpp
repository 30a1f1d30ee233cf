// Foreign calls into a real library built with the tests (libVorlanSample.so
// beside the test programs).
#include <gtest/gtest.h>
#include <vorlan/app.h>
#include <vorlan/foreign.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/child_entry.h"
#include "support/temp_folder.h"

namespace vorlan {
namespace {

namespace fs = std::filesystem;

const char* kSample = "libVorlanSample.so";

TEST(ForeignCall, ResolvesOnlyWhatTheLibraryItselfExports) {
    ForeignFunction<int32_t(int32_t, int32_t)> add(kSample, "sampleAdd");
    ForeignFunction<double(double, double)> scale(kSample, "sampleScale");
    ForeignFunction<const char*(const char*)> greet(kSample, "sampleGreet");
    ASSERT_TRUE(add && scale && greet);
    EXPECT_EQ(add(-7, 3), -4);
    EXPECT_DOUBLE_EQ(scale(2.5, -4.0), -10.0);
    EXPECT_STREQ(greet("Brinna"), "hello Brinna");
    // A copy in the current folder, where a bare name must not find it.
    test::TempFolder folder;
    fs::copy_file(test::buildBin() / kSample, folder.file("libCurrentOnly.so"));
    const fs::path previous = fs::current_path();
    fs::current_path(folder.path());
    const std::tuple<std::string, const char*, bool> cases[] = {
        // No file has this spelling: the table's lower-case key finds the load.
        {"LIBVORLANSAMPLE.SO", "sampleAdd", true},
        {(test::buildBin() / kSample).string(), "sampleScale", true},  // capitals in the path
        {kSample, "noSuchFunction", false},
        {kSample, "strlen", false},  // lives in libc, a dependency
        {"libc.so.6", "strlen", true},
        {"libNoSuchLibrary.so", "sampleAdd", false},
        {"", "strlen", false},  // would be the program itself
        {"libCurrentOnly.so", "sampleAdd", false},
        {"./libCurrentOnly.so", "sampleAdd", true},
    };
    for (const auto& [library, function, found] : cases) {
        void* address = reinterpret_cast<void*>(1);
        resolveLibraryFunction(library.c_str(), function, address);
        EXPECT_EQ(address != nullptr, found) << library << " " << function;
    }
    fs::current_path(previous);
}

// Loads the sample (twice, and asks it for a missing function) and a copy of
// it under another name, then ends the program.
VORLAN_TEST_CHILD(LoadTwoLibrariesThenEnd) {
    void* address = nullptr;
    resolveLibraryFunction(kSample, "sampleAdd", address);
    resolveLibraryFunction(kSample, "noSuchFunction", address);
    resolveLibraryFunction(kSample, "sampleScale", address);
    resolveLibraryFunction(std::getenv("VORLAN_TEST_SECOND"), "sampleAdd", address);
    std::printf("%d\n",
                address ? reinterpret_cast<int32_t (*)(int32_t, int32_t)>(address)(2, 3) : -1);
    endProgram();
}

TEST(ForeignCall, LibrariesCloseOnceInReverseOrderAtTheEnd) {
    test::TempFolder folder;
    const fs::path second = folder.file("libSecondCopy.so"), log = folder.file("unloads.txt");
    fs::copy_file(test::buildBin() / kSample, second);
    auto result = test::runToEnd({"/proc/self/exe"}, {"VORLAN_TEST_CHILD=LoadTwoLibrariesThenEnd",
                                                      "VORLAN_SAMPLE_LOG=" + log.string(),
                                                      "VORLAN_TEST_SECOND=" + second.string()});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "5\n");
    EXPECT_EQ(test::readWholeFile(log),
              second.string() + "\n" + (test::buildBin() / kSample).string() + "\n");
}

}  // namespace
}  // namespace vorlan
