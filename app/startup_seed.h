// The seed of the random generator at start-up.
#pragma once

#include <cstdint>

namespace vorlan {

// The whole number 0..4294967295 in VORLAN_SEED, so that a run can be
// replayed; otherwise clockSeed. A value that is set but not such a number
// is logged and ignored.
uint32_t startupSeed(uint32_t clockSeed);

}  // namespace vorlan
