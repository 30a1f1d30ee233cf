// A second, separately written search with the planner's rules, shared by
// the tests and the benchmark: an indexed binary heap ordered by (f,
// insertion number) and per-cell state arrays.
//
// Why it expands the same nodes in the same order as a sorted open list
// where each node goes in front of every node of equal f: that list's back
// (expanded next) is the node of smallest f and, among those, the earliest
// inserted (an improved node counts as newly inserted), which is the minimum
// of (f, insertion number). Every cell has at most one node, so per-cell
// state replaces both the open-list scan and a closed table. 4-connected
// only, as findPath uses it.
#pragma once

#include <cfloat>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "path/planner.h"

namespace vorlan::path::reference {

// findPath's normalisation of the costs, written apart from it: floats
// (held within the float range), positive ones divided by the largest and
// raised by 1, the rest blocked (-1).
inline std::vector<float> normalisedCosts(const double* costs, size_t n) {
    std::vector<float> cost(n);
    float largest = 0;
    for (size_t i = 0; i < n; ++i) {
        const double c = costs[i];
        const float v = c > FLT_MAX ? FLT_MAX : c < -FLT_MAX ? -FLT_MAX : static_cast<float>(c);
        cost[i] = v > 0 ? v : -1.0f;
        if (v > largest) largest = v;
    }
    for (float& v : cost) {
        if (v > 0) v = v / largest + 1.0f;
    }
    return cost;
}

// Route as x0, y0, x1, y1, ... from start to goal; empty when the goal
// cannot be reached. The caller passes a valid start and goal.
inline std::vector<int32_t> exactHeapSearch(int32_t width, int32_t height, const double* costs,
                                            int32_t sx, int32_t sy, int32_t gx, int32_t gy,
                                            double weight) {
    const size_t n = size_t(width) * size_t(height);
    std::vector<float> cost = normalisedCosts(costs, n);

    enum : uint8_t { kNew, kOpen, kClosed };
    std::vector<uint8_t> state(n, kNew);
    std::vector<float> g(n), f(n);
    std::vector<int32_t> parent(n, -1);
    std::vector<uint32_t> seq(n), heapPos(n);
    std::vector<int32_t> heap;
    heap.reserve(n);
    uint32_t counter = 0;
    const double w = clampWeight(weight);

    auto before = [&](int32_t a, int32_t b) {
        return f[a] < f[b] || (f[a] == f[b] && seq[a] < seq[b]);
    };
    auto place = [&](size_t pos, int32_t cell) {
        heap[pos] = cell;
        heapPos[cell] = uint32_t(pos);
    };
    auto siftUp = [&](size_t pos) {
        const int32_t cell = heap[pos];
        while (pos > 0) {
            const size_t up = (pos - 1) / 2;
            if (!before(cell, heap[up])) break;
            place(pos, heap[up]);
            pos = up;
        }
        place(pos, cell);
    };
    auto siftDown = [&](size_t pos) {
        const int32_t cell = heap[pos];
        const size_t size = heap.size();
        for (;;) {
            size_t child = 2 * pos + 1;
            if (child >= size) break;
            if (child + 1 < size && before(heap[child + 1], heap[child])) ++child;
            if (!before(heap[child], cell)) break;
            place(pos, heap[child]);
            pos = child;
        }
        place(pos, cell);
    };
    auto push = [&](int32_t cell) {
        seq[cell] = counter++;
        state[cell] = kOpen;
        heap.push_back(cell);
        siftUp(heap.size() - 1);
    };

    const int32_t start = sy * width + sx;
    const int32_t goal = gy * width + gx;
    g[start] = 0;
    f[start] = 0;
    push(start);
    static constexpr int32_t kDx[4] = {0, 1, -1, 0};  // N, E, W, S
    static constexpr int32_t kDy[4] = {-1, 0, 0, 1};
    bool found = false;
    while (!heap.empty()) {
        const int32_t k = heap[0];
        const int32_t lastCell = heap.back();
        heap.pop_back();
        if (!heap.empty()) {
            place(0, lastCell);
            siftDown(0);
        }
        state[k] = kClosed;
        if (k == goal) {
            found = true;
            break;
        }
        const int32_t x = k % width;
        const int32_t y = k / width;
        for (int d = 0; d < 4; ++d) {
            const int32_t nx = x + kDx[d];
            const int32_t ny = y + kDy[d];
            if (nx < 0 || nx >= width || ny < 0 || ny >= height) continue;
            const int32_t j = ny * width + nx;
            const float c = cost[j];
            if (c == -1.0f) continue;
            const float ng = static_cast<float>(double{g[k]} + double{c});
            const double h = double(std::abs(gx - nx) + std::abs(gy - ny));
            const float nf = static_cast<float>((h - double{ng}) * w + double{ng});
            if (state[j] == kNew) {
                g[j] = ng;
                f[j] = nf;
                parent[j] = k;
                push(j);
            } else if (ng < g[j]) {
                g[j] = ng;
                f[j] = nf;
                parent[j] = k;
                if (state[j] == kClosed) {
                    push(j);  // reopened
                } else {
                    seq[j] = counter++;  // improved: counts as newly inserted
                    siftUp(heapPos[j]);
                    siftDown(heapPos[j]);
                }
            }
        }
    }
    std::vector<int32_t> route;
    if (!found) return route;
    std::vector<int32_t> cells;
    for (int32_t i = goal; i != start; i = parent[i]) cells.push_back(i);
    cells.push_back(start);
    for (size_t i = cells.size(); i > 0; --i) {
        route.push_back(cells[i - 1] % width);
        route.push_back(cells[i - 1] / width);
    }
    return route;
}

}  // namespace vorlan::path::reference
