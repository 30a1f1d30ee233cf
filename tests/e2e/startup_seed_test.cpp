// VORLAN_SEED: a replay starts from the seed it names, and a value that is
// no such seed falls back to the clock with a line in the log.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include <vorlan/value.h>

#include "support/run_process.h"
#include "support/temp_folder.h"
#include "value/random.h"

namespace vorlan::test {
namespace {

// What the probe prints for its first three draws after this seeding.
std::string drawsAfter(uint32_t seed) {
    randomGenerator = {};
    seedGenerator(seed);
    double first = randomUpTo(1e9), second = randomUpTo(1e9), third = randomUpTo(1e9);
    char line[96];
    std::snprintf(line, sizeof line, "draws %.0f %.0f %.0f\n", first, second, third);
    return line;
}

struct SeededRun {
    std::string draws;
    std::string log;
};

SeededRun runWithSeed(const std::string& value) {
    TempFolder temp;
    ProcessResult result = runProcess({(buildBin() / "probe_game").string(), "draws"}, temp.path(),
                                      {"VORLAN_SEED=" + value});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    size_t at = result.out.find("draws ");
    return {at == std::string::npos ? "" : result.out.substr(at),
            readWholeFile(temp.file("ErrorLog.txt"))};
}

TEST(StartupSeed, AWholeNumberSeedsTheGeneratorInsteadOfTheClock) {
    for (uint32_t seed : {0u, 12345u, 4294967295u}) {
        SeededRun run = runWithSeed(std::to_string(seed));
        EXPECT_EQ(run.draws, drawsAfter(seed)) << seed;
        EXPECT_EQ(run.log.find("VORLAN_SEED"), std::string::npos) << run.log;
    }
}

TEST(StartupSeed, AnythingElseIsLoggedAndIgnored) {
    for (std::string value : {"", "4294967296", "-1", "12a", " 7", "7 ", "1e3", "99999999999"}) {
        SeededRun run = runWithSeed(value);
        EXPECT_NE(run.log.find("VORLAN_SEED ignored, not a whole number 0..4294967295: " + value),
                  std::string::npos)
            << "'" << value << "': " << run.log;
        ASSERT_EQ(run.draws.rfind("draws ", 0), 0u) << value;
    }
}

}  // namespace
}  // namespace vorlan::test
