// Seeds the generator as a fresh process with VORLAN_SEED finds it: seeding
// folds in the state the last draws left, so only a clean state repeats a
// process's sequence.
#pragma once

#include <vorlan/value.h>

#include "value/random.h"

namespace quillowen::test {

inline void seedFresh(uint32_t seed) {
    vorlan::randomGenerator = {};
    vorlan::seedGenerator(seed);
}

}  // namespace quillowen::test
