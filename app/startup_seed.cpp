#include "app/startup_seed.h"

#include <cstdlib>
#include <string>

#include <vorlan/app.h>

namespace vorlan {

namespace {

// Decimal digits only: no sign, no blanks, nothing after the number.
bool parseSeed(const char* text, uint32_t& seed) {
    uint64_t value = 0;
    size_t digits = 0;
    for (const char* p = text; *p; ++p, ++digits) {
        if (*p < '0' || *p > '9' || digits >= 10) return false;
        value = value * 10 + static_cast<uint64_t>(*p - '0');
    }
    if (digits == 0 || value > UINT32_MAX) return false;
    seed = static_cast<uint32_t>(value);
    return true;
}

}  // namespace

uint32_t startupSeed(uint32_t clockSeed) {
    const char* text = std::getenv("VORLAN_SEED");
    if (!text) return clockSeed;
    uint32_t seed = 0;
    if (parseSeed(text, seed)) return seed;
    std::string line = "VORLAN_SEED ignored, not a whole number 0..4294967295: ";
    appendErrorLog((line + text).c_str());
    return clockSeed;
}

}  // namespace vorlan
