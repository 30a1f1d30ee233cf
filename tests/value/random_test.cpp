#include "value/random.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include <vorlan/vorlan.h>

#include "support/child_entry.h"
#include "support/subprocess.h"

namespace vorlan {
namespace {

// An ISAAC written out from Bob Jenkins' description (readable.c): the mix
// on an array of eight words, randinit with the golden ratio and one pass.
struct ReferenceIsaac {
    uint32_t rsl[256] = {};
    uint32_t mm[256] = {};
    uint32_t aa = 0, bb = 0, cc = 0;

    static void mix(uint32_t w[8]) {
        static const int kShift[8] = {11, -2, 8, -16, 10, -4, 8, -9};
        for (int n = 0; n < 8; ++n) {
            uint32_t& self = w[n];
            uint32_t next = w[(n + 1) % 8];
            self ^= kShift[n] > 0 ? next << kShift[n] : next >> -kShift[n];
            w[(n + 3) % 8] += self;
            w[(n + 1) % 8] += w[(n + 2) % 8];
        }
    }

    void pass() {
        cc += 1;
        bb += cc;
        for (int i = 0; i < 256; ++i) {
            uint32_t x = mm[i];
            switch (i % 4) {
                case 0:
                    aa ^= aa << 13;
                    break;
                case 1:
                    aa ^= aa >> 6;
                    break;
                case 2:
                    aa ^= aa << 2;
                    break;
                case 3:
                    aa ^= aa >> 16;
                    break;
            }
            aa = mm[(i + 128) % 256] + aa;
            uint32_t y = mm[(x >> 2) % 256] + aa + bb;
            mm[i] = y;
            bb = mm[(y >> 10) % 256] + x;
            rsl[i] = bb;
        }
    }

    // The published initialisation with every seed word zero.
    void initZeroSeed() {
        uint32_t w[8];
        for (uint32_t& v : w) v = 0x9e3779b9;
        for (int i = 0; i < 4; ++i) mix(w);
        for (int round = 0; round < 2; ++round) {
            const uint32_t* source = round == 0 ? rsl : mm;
            for (int i = 0; i < 256; i += 8) {
                for (int n = 0; n < 8; ++n) w[n] += source[i + n];
                mix(w);
                for (int n = 0; n < 8; ++n) mm[i + n] = w[n];
            }
        }
        pass();
    }
};

// The first sixteen words of ISAAC's published output for the zero seed
// (randvect.txt), and the last eight words of its second block.
constexpr uint32_t kPublishedFirst[16] = {
    0xf650e4c8, 0xe448e96d, 0x98db2fb4, 0xf5fad54f, 0x433f1afb, 0xedec154a, 0xd8370487, 0x46ca4f9a,
    0x5de3743e, 0x88381097, 0xf1d444eb, 0x823cedb6, 0x6a83e1e0, 0x4a5f6355, 0xc7442433, 0x25890e2e};
constexpr uint32_t kPublishedSecondEnd[8] = {0x9d8d1908, 0x86ba527f, 0xf943f672, 0xef73fbf0,
                                             0x46d95ca5, 0xc54cd95b, 0x9d855e89, 0x4bb5af29};

TEST(Isaac, NextBatchGivesThePublishedOutput) {
    ReferenceIsaac reference;
    reference.initZeroSeed();
    RandomState& state = randomGenerator;
    std::memcpy(state.memory, reference.mm, sizeof state.memory);
    std::memcpy(state.results, reference.rsl, sizeof state.results);
    state.a = reference.aa;
    state.b = reference.bb;
    state.c = reference.cc;

    uint32_t first = nextBatch();
    EXPECT_EQ(first, kPublishedFirst[0]);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(state.results[i], kPublishedFirst[i]) << i;
    nextBatch();
    for (int i = 0; i < 8; ++i) EXPECT_EQ(state.results[248 + i], kPublishedSecondEnd[i]) << i;

    // Further passes agree word for word with the reference.
    reference.pass();
    reference.pass();
    for (int round = 0; round < 3; ++round) {
        reference.pass();
        nextBatch();
        ASSERT_EQ(std::memcmp(state.results, reference.rsl, sizeof state.results), 0) << round;
        ASSERT_EQ(std::memcmp(state.memory, reference.mm, sizeof state.memory), 0) << round;
        EXPECT_EQ(state.a, reference.aa);
        EXPECT_EQ(state.b, reference.bb);
        EXPECT_EQ(state.c, reference.cc);
    }
}

// This runtime's seeding, step by step as its header describes it, over
// the reference's mix.
ReferenceIsaac referenceSeeding(uint32_t seed, const uint32_t previousResults[256]) {
    ReferenceIsaac r;
    uint32_t w[8];
    for (uint32_t& v : w) v = 0x9e3779b9;
    for (int i = 0; i < 256; i += 8) {
        w[0] += seed;
        ReferenceIsaac::mix(w);
    }
    for (int i = 0; i < 4; ++i) ReferenceIsaac::mix(w);
    for (int i = 0; i < 256; i += 8) {
        for (int n = 0; n < 8; ++n) w[n] += previousResults[i + n];
        ReferenceIsaac::mix(w);
        for (int n = 0; n < 8; ++n) r.mm[i + n] = w[n];
    }
    for (int i = 0; i < 256; i += 8) {
        for (int n = 0; n < 8; ++n) w[n] += r.mm[i + n];
        ReferenceIsaac::mix(w);
        for (int n = 0; n < 8; ++n) r.mm[i + n] = w[n];
    }
    r.pass();
    return r;
}

TEST(Isaac, SeedingFoldsInThePreviousResults) {
    RandomState& state = randomGenerator;
    // As at start-up: nothing drawn yet.
    std::memset(&state, 0, sizeof state);
    state.a = 17;  // stale accumulators are reset
    state.c = 99;
    uint32_t zeros[256] = {};
    seedGenerator(12345);
    ReferenceIsaac fresh = referenceSeeding(12345, zeros);
    EXPECT_EQ(std::memcmp(state.results, fresh.rsl, sizeof state.results), 0);
    EXPECT_EQ(std::memcmp(state.memory, fresh.mm, sizeof state.memory), 0);
    EXPECT_EQ(state.a, fresh.aa);
    EXPECT_EQ(state.b, fresh.bb);
    EXPECT_EQ(state.c, 1u);
    EXPECT_EQ(state.count, 256);

    // Seeding again with the same seed starts from those results, so the
    // sequence is a different one.
    uint32_t previous[256];
    std::memcpy(previous, state.results, sizeof previous);
    seedGenerator(12345);
    ReferenceIsaac again = referenceSeeding(12345, previous);
    EXPECT_EQ(std::memcmp(state.results, again.rsl, sizeof state.results), 0);
    EXPECT_NE(std::memcmp(state.results, fresh.rsl, sizeof state.results), 0);

    // From the same starting state the same seed repeats itself exactly.
    std::memset(&state, 0, sizeof state);
    seedGenerator(12345);
    EXPECT_EQ(std::memcmp(state.results, fresh.rsl, sizeof state.results), 0);
}

TEST(Isaac, DifferentSeedsGiveDifferentSequences) {
    std::set<uint32_t> firsts;
    for (uint32_t seed : {0u, 1u, 2u, 1000u, 0xFFFFFFFFu}) {
        std::memset(&randomGenerator, 0, sizeof randomGenerator);
        seedGenerator(seed);
        firsts.insert(nextBatch());
    }
    EXPECT_EQ(firsts.size(), 5u);
}

TEST(RandomUpTo, EachDrawIsOnePassAndUsesItsFirstWord) {
    seedGenerator(4242);
    for (double max : {0.0, 1.0, 5.0, 49.0, 6.0, 1000.0, 2147483647.0}) {
        uint32_t counter = randomGenerator.c;
        double value = randomUpTo(max);
        EXPECT_EQ(randomGenerator.c, counter + 1);
        uint32_t modulus = static_cast<uint32_t>(max) + 1;
        EXPECT_EQ(value, randomGenerator.results[0] % modulus) << max;
    }
}

TEST(RandomUpTo, StaysInRangeAndHitsEveryValue) {
    seedGenerator(7);
    for (double max : {1.0, 5.0, 6.0, 49.0}) {
        int n = static_cast<int>(max) + 1;
        std::vector<int> hits(n, 0);
        int draws = 600 * n;
        for (int i = 0; i < draws; ++i) {
            double v = randomUpTo(max);
            ASSERT_GE(v, 0);
            ASSERT_LE(v, max);
            ASSERT_EQ(v, std::floor(v));
            ++hits[static_cast<int>(v)];
        }
        for (int v = 0; v < n; ++v) {
            // 600 expected; six standard deviations either side.
            EXPECT_GT(hits[v], 450) << "max " << max << " value " << v;
            EXPECT_LT(hits[v], 750) << "max " << max << " value " << v;
        }
    }
}

TEST(RandomUpTo, TruncatesTheMaximum) {
    seedGenerator(8);
    std::set<double> seen;
    for (int i = 0; i < 400; ++i) {
        double v = randomUpTo(3.9);
        ASSERT_LE(v, 3);
        seen.insert(v);
        ASSERT_EQ(randomUpTo(0), 0);
        ASSERT_EQ(randomUpTo(0.99), 0);
    }
    EXPECT_EQ(seen.size(), 4u);
}

TEST(RandomUpTo, ModulusThatWrapsToZeroGivesTheWholeWord) {
    seedGenerator(9);
    // -1, 2^32 - 1 and 2^33 - 1 all have all ones in their low 32 bits.
    for (double max : {-1.0, 4294967295.0, 8589934591.0, -4294967297.0}) {
        double v = randomUpTo(max);
        EXPECT_EQ(v, static_cast<double>(randomGenerator.results[0])) << max;
    }
    // Over many draws the whole word shows up, high values included.
    double largest = 0;
    for (int i = 0; i < 200; ++i) largest = std::fmax(largest, randomUpTo(-1));
    EXPECT_GT(largest, 2147483648.0);
    EXPECT_LE(largest, 4294967295.0);
}

TEST(RandomUpTo, OtherLargeAndNonFiniteMaximaStayDefined) {
    seedGenerator(10);
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    constexpr double kInf = std::numeric_limits<double>::infinity();
    for (double max : {kNaN, kInf, -kInf, 1e300, -1e300, 4294967296.0}) {
        EXPECT_EQ(randomUpTo(max), 0) << max;  // modulus 1
    }
    double v = randomUpTo(-2);  // low 32 bits 0xFFFFFFFE: modulus 0xFFFFFFFF
    EXPECT_EQ(v, randomGenerator.results[0] % 0xFFFFFFFFu);
    v = randomUpTo(4294967296.0 + 9);  // 2^32 + 9 wraps to 9
    EXPECT_EQ(v, randomGenerator.results[0] % 10u);
    EXPECT_LE(v, 9);
}

// Run as a child process: seeds once in a fresh process, as start-up does,
// and prints twenty draws.
VORLAN_TEST_CHILD(PrintDraws) {
    const char* seed = std::getenv("VORLAN_RANDOM_CHILD_SEED");
    seedGenerator(static_cast<uint32_t>(std::strtoul(seed, nullptr, 10)));
    std::string line = "draws:";
    for (int i = 0; i < 20; ++i) line += " " + std::to_string(static_cast<int>(randomUpTo(49)));
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

std::string drawsOfChild(const char* seed) {
    setenv("VORLAN_RANDOM_CHILD_SEED", seed, 1);
    std::unique_ptr<test::Subprocess> child = test::startChild("PrintDraws");
    unsetenv("VORLAN_RANDOM_CHILD_SEED");
    EXPECT_EQ(child->waitForExit(30000), 0);
    const std::string& out = child->output();
    size_t at = out.find("draws:");
    if (at == std::string::npos) return "";
    return out.substr(at, out.find('\n', at) - at);
}

TEST(RandomSeeding, SameSeedSameDrawsInTwoProcesses) {
    std::string first = drawsOfChild("305419896");
    std::string second = drawsOfChild("305419896");
    std::string other = drawsOfChild("305419897");
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(first, second);
    EXPECT_NE(first, other);
}

}  // namespace
}  // namespace vorlan
