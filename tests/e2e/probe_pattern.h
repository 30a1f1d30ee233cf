// The picture the probe game draws for "pattern": every pixel unlike its
// neighbours, so that each shows as its own block at any scale.
#pragma once

namespace vorlan::test {

inline int patternColour(int x, int y) {
    return ((x * 37 + y * 11) & 0xFF) | ((y * 53 + x * 5) & 0xFF) << 8 | ((x ^ y) & 0xFF) << 16;
}

}  // namespace vorlan::test
