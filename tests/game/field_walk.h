// Seeds and field walks shared by the game's tests and the whole-game runs.
#pragma once

#include <vorlan/value.h>

#include <queue>
#include <vector>

#include "game/field.h"
#include "value/random.h"

namespace quillowen::test {

// Seeding folds in the state the last draws left: only a clean state
// repeats what a fresh process started with VORLAN_SEED draws.
inline void seedFresh(uint32_t seed) {
    vorlan::randomGenerator = {};
    vorlan::seedGenerator(seed);
}

// Cells on the shortest way from (1, 1) to each cell, both ends counted,
// stepping along x or y through anything but hedges; -1 where none leads.
inline std::vector<int> cellsFromStart(const RtNumberArray& field) {
    const int w = field.dim1(), h = field.dim2();
    std::vector<int> cells(w * h, -1);
    std::queue<int> open;
    cells[w + 1] = 1;
    open.push(w + 1);
    while (!open.empty()) {
        int at = open.front();
        open.pop();
        const int steps[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
        for (auto& s : steps) {
            int x = at % w + s[0], y = at / w + s[1];
            if (x < 0 || y < 0 || x >= w || y >= h || cells[y * w + x] >= 0) continue;
            if (vorlan::elementAt(field, x, y) == CELL_HEDGE) continue;
            cells[y * w + x] = cells[at] + 1;
            open.push(y * w + x);
        }
    }
    return cells;
}

// A seed whose first round, drawn the plain way, puts the figure on the
// snail's start cell: the plain procedure then has no route at all.
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
