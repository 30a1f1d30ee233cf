// A seed whose first round, drawn the plain way, puts the figure on the
// snail's start cell: the plain procedure then has no route at all.
#pragma once

#include <vorlan/value.h>

#include "game/field.h"
#include "tests/game/fresh_seed.h"

namespace quillowen::test {

inline uint32_t seedPuttingHerOnTheStart() {
    for (uint32_t seed = 1; seed < 100000; ++seed) {
        seedFresh(seed);
        RtNumberArray field;
        vorlan::dimensionArray(field, 50, 50);
        generateField(field, 1);
        double x, y;
        do {
            x = vorlan::randomUpTo(49);
            y = vorlan::randomUpTo(49);
        } while (vorlan::elementAt(field, x, y) != CELL_EMPTY);
        if (x == 1 && y == 1) return seed;
    }
    return 0;
}

}  // namespace quillowen::test
