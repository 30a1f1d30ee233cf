#include "value/random.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include <vorlan/vorlan.h>

namespace vorlan {
namespace {

// ISAAC written out from Bob Jenkins' description (readable.c).
struct ReferenceIsaac {
    uint32_t rsl[256] = {}, mm[256] = {};
    uint32_t aa = 0, bb = 0, cc = 0;
    uint32_t w[8] = {0x9e3779b9, 0x9e3779b9, 0x9e3779b9, 0x9e3779b9,
                     0x9e3779b9, 0x9e3779b9, 0x9e3779b9, 0x9e3779b9};  // the golden ratio

    static void mix(uint32_t w[8]) {
        static const int kShift[8] = {11, -2, 8, -16, 10, -4, 8, -9};
        for (int n = 0; n < 8; ++n) {
            uint32_t next = w[(n + 1) % 8];
            w[n] ^= kShift[n] > 0 ? next << kShift[n] : next >> -kShift[n];
            w[(n + 3) % 8] += w[n];
            w[(n + 1) % 8] += w[(n + 2) % 8];
        }
    }
    void pass() {
        bb += ++cc;
        for (int i = 0; i < 256; ++i) {
            uint32_t x = mm[i];
            const int shift[4] = {13, -6, 2, -16};
            aa ^= shift[i % 4] > 0 ? aa << shift[i % 4] : aa >> -shift[i % 4];
            aa += mm[(i + 128) % 256];
            uint32_t y = mm[(x >> 2) % 256] + aa + bb;
            mm[i] = y;
            rsl[i] = bb = mm[(y >> 10) % 256] + x;
        }
    }
    // Folds `source` into the memory in steps of eight words.
    void fold(const uint32_t* source) {
        for (int i = 0; i < 256; i += 8) {
            for (int n = 0; n < 8; ++n) w[n] += source[i + n];
            mix(w);
            for (int n = 0; n < 8; ++n) mm[i + n] = w[n];
        }
    }
    // init's end: four more mixes, `source` and the memory folded in, a pass.
    void init(const uint32_t* source) {
        for (int i = 0; i < 4; ++i) mix(w);
        fold(source);
        fold(mm);
        pass();
    }
};

TEST(Random, PublishedOutputSeedingAndRandomUpTo) {
    ReferenceIsaac r;  // the published initialisation with a zero seed
    r.init(r.rsl);
    std::memcpy(randomGenerator.memory, r.mm, sizeof r.mm);
    std::memcpy(randomGenerator.results, r.rsl, sizeof r.rsl);
    randomGenerator.a = r.aa, randomGenerator.b = r.bb, randomGenerator.c = r.cc;
    EXPECT_EQ(nextBatch(), 0xf650e4c8u);  // randvect.txt
    EXPECT_EQ(randomGenerator.results[15], 0x25890e2eu);
    nextBatch();
    EXPECT_EQ(randomGenerator.results[255], 0x4bb5af29u);
    for (int i = 0; i < 3; ++i) r.pass();
    nextBatch();
    EXPECT_EQ(std::memcmp(randomGenerator.results, r.rsl, sizeof r.rsl), 0);
    EXPECT_EQ(std::memcmp(randomGenerator.memory, r.mm, sizeof r.mm), 0);
    // Seeding folds in the previous results.
    std::memset(&randomGenerator, 0, sizeof randomGenerator);
    randomGenerator.a = 17;  // stale accumulators are reset
    for (int round = 0; round < 2; ++round) {
        uint32_t previous[256];
        std::memcpy(previous, randomGenerator.results, sizeof previous);
        ReferenceIsaac r;
        for (int i = 0; i < 256; i += 8) r.w[0] += 12345, ReferenceIsaac::mix(r.w);
        r.init(previous);
        seedGenerator(12345);
        EXPECT_EQ(std::memcmp(randomGenerator.results, r.rsl, sizeof r.rsl), 0) << round;
        EXPECT_EQ(randomGenerator.a, r.aa);
        EXPECT_EQ(randomGenerator.c, 1u);
    }
    // The modulus is max + 1 cut to 32 bits; one that wraps to 0 (-1, 2^32 - 1,
    // 2^33 - 1) gives the whole word; NaN and values past 64 bits count as 0.
    constexpr double kNaN = NAN, kInf = INFINITY;
    // clang-format off
    const std::pair<double, uint64_t> cases[] = {
        {0, 1}, {49, 50}, {3.9, 4}, {-1, 1ull << 32}, {-2, 0xFFFFFFFF}, {2147483647, 2147483648},
        {kNaN, 1}, {kInf, 1}, {4294967295.0, 1ull << 32}, {-1e300, 1}, {4294967296.0 + 9, 10},
        {8589934591.0, 1ull << 32}};
    // clang-format on
    seedGenerator(4242);
    for (const auto& [max, modulus] : cases) {
        uint32_t passes = randomGenerator.c;
        double value = randomUpTo(max);
        EXPECT_EQ(randomGenerator.c, passes + 1);
        EXPECT_EQ(value, double(randomGenerator.results[0] % modulus)) << max;
    }
}

}  // namespace
}  // namespace vorlan
