#include "value/random.h"

#include <vorlan/app.h>
#include <vorlan/value.h>

#include <cstdlib>
#include <string>

#include "value/number_conversion.h"

namespace vorlan {

RandomState randomGenerator = {};

namespace {

// The published ISAAC mix of eight words.
struct MixWords {
    uint32_t a, b, c, d, e, f, g, h;

    void mix() {
        a ^= b << 11;
        d += a;
        b += c;
        b ^= c >> 2;
        e += b;
        c += d;
        c ^= d << 8;
        f += c;
        d += e;
        d ^= e >> 16;
        g += d;
        e += f;
        e ^= f << 10;
        h += e;
        f += g;
        f ^= g >> 4;
        a += f;
        g += h;
        g ^= h << 8;
        b += g;
        h += a;
        h ^= a >> 9;
        c += h;
        a += b;
    }

    void add(const uint32_t* words) {
        a += words[0];
        b += words[1];
        c += words[2];
        d += words[3];
        e += words[4];
        f += words[5];
        g += words[6];
        h += words[7];
    }

    void store(uint32_t* words) const {
        words[0] = a;
        words[1] = b;
        words[2] = c;
        words[3] = d;
        words[4] = e;
        words[5] = f;
        words[6] = g;
        words[7] = h;
    }
};

}  // namespace

uint32_t nextBatch() {
    RandomState& s = randomGenerator;
    uint32_t* m = s.memory;
    uint32_t* r = s.results;
    s.c += 1;
    uint32_t a = s.a;
    uint32_t b = s.b + s.c;
    // One step of the pass; `shifted` is the accumulator after its shift.
    auto step = [&](int i, uint32_t shifted) {
        uint32_t x = m[i];
        a = m[(i + 128) & 255] + shifted;
        uint32_t y = m[(x >> 2) & 255] + a + b;
        m[i] = y;
        b = m[(y >> 10) & 255] + x;
        r[i] = b;
    };
    for (int i = 0; i < 256; i += 4) {
        step(i, a ^ (a << 13));
        step(i + 1, a ^ (a >> 6));
        step(i + 2, a ^ (a << 2));
        step(i + 3, a ^ (a >> 16));
    }
    s.a = a;
    s.b = b;
    return r[0];
}

void seedGenerator(uint32_t seed) {
    RandomState& s = randomGenerator;
    s.a = s.b = s.c = 0;
    MixWords p = {0x9e3779b9, 0x9e3779b9, 0x9e3779b9, 0x9e3779b9,
                  0x9e3779b9, 0x9e3779b9, 0x9e3779b9, 0x9e3779b9};
    for (int i = 0; i < 256; i += 8) {
        p.a += seed;
        p.mix();
        p.store(&s.memory[i]);
    }
    for (int i = 0; i < 4; ++i) p.mix();
    for (int i = 0; i < 256; i += 8) {
        p.add(&s.results[i]);
        p.mix();
        p.store(&s.memory[i]);
    }
    for (int i = 0; i < 256; i += 8) {
        p.add(&s.memory[i]);
        p.mix();
        p.store(&s.memory[i]);
    }
    nextBatch();
    s.count = 256;
}

double randomUpTo(double max) {
    uint32_t r = nextBatch();
    uint32_t modulus = static_cast<uint32_t>(truncateToInt64OrZero(max)) + 1u;
    // A max of -1 modulo 2^32 asks for the whole 32-bit range.
    if (modulus == 0) return static_cast<double>(r);
    return static_cast<double>(r % modulus);
}

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
