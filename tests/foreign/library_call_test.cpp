// Foreign calls into a real library built with the tests (libVorlanSample.so
// beside the test programs).
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>
#include <vorlan/app.h>
#include <vorlan/foreign.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/child_entry.h"
#include "support/run_process.h"
#include "support/temp_folder.h"

namespace vorlan {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;

const char* kSample = "libVorlanSample.so";

fs::path samplePath() {
    return test::buildBin() / kSample;
}

bool isLoaded(const fs::path& path) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (handle) dlclose(handle);
    return handle != nullptr;
}

TEST(ForeignCall, TypedFunctionsOfEachKind) {
    ForeignFunction<int32_t(int32_t, int32_t)> add(kSample, "sampleAdd");
    ForeignFunction<double(double, double)> scale(kSample, "sampleScale");
    ForeignFunction<const char*(const char*)> greet(kSample, "sampleGreet");
    ASSERT_TRUE(add && scale && greet);
    EXPECT_EQ(add(40, 2), 42);
    EXPECT_EQ(add(-7, 3), -4);
    EXPECT_DOUBLE_EQ(scale(2.5, -4.0), -10.0);
    EXPECT_STREQ(greet("Brinna"), "hello Brinna");
}

TEST(ForeignCall, ResolvesOnlyWhatTheLibraryItselfExports) {
    struct Case {
        std::string library;
        const char* function;
        bool found;
    };
    const Case cases[] = {
        {kSample, "sampleAdd", true},
        // No file has this spelling: the table's lower-case key finds the load.
        {"LIBVORLANSAMPLE.SO", "sampleAdd", true},
        {samplePath().string(), "sampleScale", true},  // a full path with capitals
        {kSample, "noSuchFunction", false},
        {kSample, "strlen", false},  // lives in libc, a dependency
        {"libc.so.6", "strlen", true},
        {"libNoSuchLibrary.so", "sampleAdd", false},
        {"", "strlen", false},  // would be the program itself
    };
    for (const Case& c : cases) {
        void* address = reinterpret_cast<void*>(1);
        resolveLibraryFunction(c.library.c_str(), c.function, address);
        EXPECT_EQ(address != nullptr, c.found) << c.library << " " << c.function;
    }
    // A missing function leaves its library loaded.
    EXPECT_TRUE(isLoaded(samplePath()));
}

TEST(ForeignCall, BareNamesAreNotLookedForInTheCurrentFolder) {
    TempFolder folder;
    fs::copy_file(samplePath(), folder.file("libCurrentOnly.so"));
    fs::path previous = fs::current_path();
    fs::current_path(folder.path());
    void* bare = nullptr;
    void* explicitPath = nullptr;
    resolveLibraryFunction("libCurrentOnly.so", "sampleAdd", bare);
    resolveLibraryFunction("./libCurrentOnly.so", "sampleAdd", explicitPath);
    fs::current_path(previous);
    EXPECT_EQ(bare, nullptr);
    EXPECT_NE(explicitPath, nullptr);
}

// Loads the sample twice under two file names, then ends the program.
VORLAN_TEST_CHILD(LoadTwoLibrariesThenEnd) {
    void* address = nullptr;
    resolveLibraryFunction(kSample, "sampleAdd", address);
    resolveLibraryFunction(std::getenv("VORLAN_TEST_SECOND"), "sampleAdd", address);
    std::printf("%d\n",
                address ? reinterpret_cast<int32_t (*)(int32_t, int32_t)>(address)(2, 3) : -1);
    endProgram();
}

TEST(ForeignCall, LibrariesCloseOnceInReverseOrderAtTheEnd) {
    TempFolder folder;
    fs::path second = folder.file("libSecondCopy.so");
    fs::copy_file(samplePath(), second);
    fs::path log = folder.file("unloads.txt");
    auto result = test::runProcess(
        {"/proc/self/exe"}, folder.path(),
        {"VORLAN_TEST_CHILD=LoadTwoLibrariesThenEnd", "VORLAN_SAMPLE_LOG=" + log.string(),
         "VORLAN_TEST_SECOND=" + second.string()});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "5\n");
    EXPECT_EQ(test::readWholeFile(log), second.string() + "\n" + samplePath().string() + "\n");
}

}  // namespace
}  // namespace vorlan
