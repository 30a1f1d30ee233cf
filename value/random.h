// The process-wide random generator: the published ISAAC generator (32-bit
// words, 256-word state) with this runtime's own seeding and draw rule.
#pragma once

#include <cstdint>

namespace vorlan {

struct RandomState {
    // Output of the last pass; all zero before the first seeding.
    uint32_t results[256];
    // The internal state.
    uint32_t memory[256];
    uint32_t a;  // accumulator
    uint32_t b;  // last result
    uint32_t c;  // counter
    // Set to 256 by seeding; nothing reads it.
    int32_t count;
};

extern RandomState randomGenerator;

// One ISAAC pass over randomGenerator, exactly as published; gives
// results[0].
uint32_t nextBatch();

// The seed at start-up: the whole number 0..4294967295 in VORLAN_SEED, so
// that a run can be replayed; otherwise clockSeed. A value that is set but
// not such a number is logged and ignored.
uint32_t startupSeed(uint32_t clockSeed);

}  // namespace vorlan
