// A polygon vertex list that cannot grow ends the program with error 7, in
// a child process of its own with its memory capped.
#include <sys/resource.h>
#include <unistd.h>
#include <vorlan/vorlan.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/renderer.h"
#include "app/runtime_state.h"
#include "gtest/gtest.h"
#include "support/child_entry.h"
#include "support/sanitizer.h"
#include "support/temp_folder.h"

namespace vorlan {
namespace {

using test::underAddressSanitizer;

// Lets the process grow by 128 MB more than it has now (the window and the
// driver are already there); the sanitizer's own cap serves under it.
void capGrowth() {
    if (underAddressSanitizer()) return;
    long pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    rlim_t now = static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE));
    rlimit limit{now + (128u << 20), now + (128u << 20)};
    setrlimit(RLIMIT_AS, &limit);
}

VORLAN_TEST_CHILD(PolygonOutOfMemory) {
    runtimeSettings.debugMode = 1;
    renderer = new OpenGLZererazo();
    if (!renderer->createSurface(320, 240, 0, 60, 0)) std::exit(3);
    capGrowth();
    std::printf("started\n");
    std::fflush(stdout);
    startPolygon(-1);
    // 32 bytes a vertex: the list passes any cap long before the end.
    for (int i = 0; i < 200000000; ++i) addPolygonVertex(i % 320, i % 240, 0, 0, 0xFF);
    std::printf("returned\n");
    std::fflush(stdout);
}

TEST(PolygonStorage, AVertexListThatCannotGrowIsError7) {
    test::TempFolder folder;
    std::string oldOptions = std::getenv("ASAN_OPTIONS") ? std::getenv("ASAN_OPTIONS") : "";
    if (underAddressSanitizer()) {
        setenv("ASAN_OPTIONS",
               (oldOptions + ":allocator_may_return_null=1:max_allocation_size_mb=256").c_str(), 1);
    }
    std::unique_ptr<test::Subprocess> child = test::startChild("PolygonOutOfMemory");
    setenv("ASAN_OPTIONS", oldOptions.c_str(), 1);
    EXPECT_EQ(child->waitForExit(120000), 0);
    EXPECT_NE(child->output().find("started"), std::string::npos) << child->output();
    EXPECT_EQ(child->output().find("returned"), std::string::npos) << child->output();
    std::filesystem::path log = folder.file("ErrorLog.txt");
    ASSERT_TRUE(std::filesystem::exists(log));
    EXPECT_NE(test::readWholeFile(log).find("-End On Line\r\n7\r\n"), std::string::npos)
        << test::readWholeFile(log);
}

}  // namespace
}  // namespace vorlan
