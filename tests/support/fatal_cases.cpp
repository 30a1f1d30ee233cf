#include "support/fatal_cases.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <fstream>
#include <map>

#include "core/runtime_state.h"
#include "support/child_entry.h"
#include "support/temp_folder.h"

namespace vorlan::test {

namespace {

std::map<std::string, const FatalCases*>& tables() {
    static std::map<std::string, const FatalCases*> registered;
    return registered;
}

// The address sanitizer's shadow memory rules out an address-space limit;
// its own allocation cap, set by the parent, serves instead.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
constexpr bool kAddressSanitizer = __has_feature(address_sanitizer);
#else
constexpr bool kAddressSanitizer = false;
#endif

}  // namespace

FatalCases::FatalCases(std::string name, std::vector<FatalCase> cases,
                       std::function<void()> prepare)
    : name(std::move(name)), cases(std::move(cases)), prepare(std::move(prepare)) {
    tables()[this->name] = this;
}

VORLAN_TEST_CHILD(FatalCase) {
    const FatalCases& table = *tables().at(std::getenv("VORLAN_FATAL_TABLE"));
    const FatalCase& c = table.cases.at(std::stoul(std::getenv("VORLAN_FATAL_ROW")));
    runtimeSettings.debugMode = c.debugMode ? 1 : 0;
    if (table.prepare) table.prepare();
    if (c.capFileSize > 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{rlim_t(c.capFileSize), rlim_t(c.capFileSize)};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    if (c.capMemory && !kAddressSanitizer) {
        long pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        rlimit limit;
        limit.rlim_cur = limit.rlim_max = rlim_t(pages) * sysconf(_SC_PAGESIZE) + (256u << 20);
        setrlimit(RLIMIT_AS, &limit);
    }
    c.body();
    std::_Exit(99);  // the body returned: the program did not end
}

void FatalCases::check() const {
    const std::map<int, std::string> names = {{3, "file read or write failed"},
                                              {7, "out of range or out of memory"},
                                              {9, "index out of range"}};
    const std::string asan = std::getenv("ASAN_OPTIONS") ? std::getenv("ASAN_OPTIONS") : "";
    for (size_t row = 0; row < cases.size(); ++row) {
        const FatalCase& c = cases[row];
        SCOPED_TRACE(c.what);
        TempFolder folder;
        std::vector<std::string> env = {"VORLAN_FATAL_TABLE=" + name,
                                        "VORLAN_FATAL_ROW=" + std::to_string(row)};
        if (c.capMemory) {
            env.push_back("ASAN_OPTIONS=" + asan +
                          ":allocator_may_return_null=1:max_allocation_size_mb=256");
        }
        auto child = startChild("FatalCase", env);
        const std::string& err = child->errors();
        EXPECT_EQ(child->waitForExit(120000), c.error == 0 ? 0 : 1) << err;
        // One line at most, and none for endProgram.
        const size_t first = err.find(": runtime error ");
        EXPECT_EQ(first, err.rfind(": runtime error ")) << err;
        EXPECT_EQ(first == std::string::npos, c.error == 0) << err;
        if (c.error != 0) {
            std::string line = ": runtime error " + std::to_string(c.error) + " (" +
                               names.at(c.error) + ") in " + c.operation + "\n";
            EXPECT_NE(err.find(line), std::string::npos) << err;
        }
        // Lines logged before the end (a window's renderer) may come first.
        const std::string report =
            "-End On Line\r\n" +
            (c.endReport.empty() ? std::to_string(c.error) + "\r\n-1\r\n0\r\n0\r\n" : c.endReport);
        const std::filesystem::path log = folder.file("ErrorLog.txt");
        std::string text = std::filesystem::exists(log) ? readWholeFile(log) : "<no log>";
        if (c.debugMode && text.find("-End On Line") == text.rfind("-End On Line")) {
            text.erase(0, text.rfind("\n-End On Line\r\n") + 1);
        }
        EXPECT_EQ(text, c.debugMode ? report : "<no log>");
    }
}

}  // namespace vorlan::test
