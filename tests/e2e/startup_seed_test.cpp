// VORLAN_SEED: a replay starts from the seed it names, and a value that is
// no such seed falls back to the clock with a line in the log.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include <vorlan/value.h>

#include "app/startup_seed.h"
#include "support/run_process.h"
#include "support/temp_folder.h"
#include "value/random.h"

namespace vorlan::test {
namespace {

TEST(StartupSeed, AWholeNumberSeedsTheGeneratorInsteadOfTheClock) {
    TempFolder temp;
    ProcessResult run = runProcess({(buildBin() / "probe_game").string(), "draws"}, temp.path(),
                                   {"VORLAN_SEED=4294967295"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    randomGenerator = {};
    seedGenerator(4294967295u);
    double first = randomUpTo(1e9), second = randomUpTo(1e9), third = randomUpTo(1e9);
    char line[96];
    std::snprintf(line, sizeof line, "draws %.0f %.0f %.0f\n", first, second, third);
    EXPECT_NE(run.out.find(line), std::string::npos) << run.out;
}

TEST(StartupSeed, OnlyAWholeNumberReplacesTheClockAndAnythingElseIsLogged) {
    constexpr uint32_t kClock = 77;
    const struct {
        std::string value;
        uint32_t seed;
    } cases[] = {{"0", 0},        {"12345", 12345},       {"4294967295", 4294967295u},
                 {"", kClock},    {"-1", kClock},         {"4294967296", kClock},
                 {"12a", kClock}, {" 7", kClock},         {"7 ", kClock},
                 {"1e3", kClock}, {"99999999999", kClock}};
    for (const auto& c : cases) {
        TempFolder temp;
        setenv("VORLAN_SEED", c.value.c_str(), 1);
        EXPECT_EQ(startupSeed(kClock), c.seed) << "'" << c.value << "'";
        std::string logged =
            c.seed == kClock
                ? "VORLAN_SEED ignored, not a whole number 0..4294967295: " + c.value + "\r\n"
                : "";
        EXPECT_EQ(readWholeFile(temp.file("ErrorLog.txt")), logged) << "'" << c.value << "'";
    }
    unsetenv("VORLAN_SEED");
}

}  // namespace
}  // namespace vorlan::test
