// A second, separately written search with findPath's rules, shared by the
// tests and the benchmark: an ordered set of (f, insertion number, cell) as
// the open list, whose least entry is the node findPath expands next.
#pragma once

#include <algorithm>
#include <cfloat>
#include <set>
#include <vector>

#include "path/planner.h"

namespace vorlan::path::reference {

// findPath's cost normalisation, written apart from it: positive costs held
// within the float range and divided by the largest plus 1, the rest -1.
inline std::vector<float> normalisedCosts(const double* costs, size_t n) {
    std::vector<float> cost(n);
    for (size_t i = 0; i < n; ++i)
        cost[i] = costs[i] > 0 ? float(std::min(costs[i], double(FLT_MAX))) : -1.0f;
    const float largest = std::max(0.0f, *std::max_element(cost.begin(), cost.end()));
    for (float& v : cost) v = v > 0 ? v / largest + 1.0f : v;
    return cost;
}

// Route as x0, y0, x1, y1, ... from a valid start to the goal, or empty.
inline std::vector<int32_t> exactHeapSearch(int32_t width, int32_t height, const double* costs,
                                            int32_t sx, int32_t sy, int32_t gx, int32_t gy,
                                            double weight) {
    const size_t n = size_t(width) * size_t(height);
    const std::vector<float> cost = normalisedCosts(costs, n);
    using Key = std::tuple<float, uint64_t, int32_t>;  // f, insertion number, cell
    std::set<Key> open;
    std::vector<Key> keyOf(n);
    std::vector<char> state(n, 0);  // unseen, open or closed
    std::vector<float> g(n, 0);
    std::vector<int32_t> parent(n, -1);
    uint64_t inserted = 0;
    const int32_t start = sy * width + sx, goal = gy * width + gx;
    open.insert(keyOf[start] = Key{0.0f, inserted++, start});
    state[start] = 'o';
    while (!open.empty() && std::get<2>(*open.begin()) != goal) {
        const int32_t k = std::get<2>(*open.begin()), x = k % width, y = k / width;
        open.erase(open.begin());
        state[k] = 'c';
        const int32_t next[4][2] = {{x, y - 1}, {x + 1, y}, {x - 1, y}, {x, y + 1}};  // N, E, W, S
        for (const auto& [nx, ny] : next) {
            const int32_t j = ny * width + nx;
            if (nx < 0 || nx >= width || ny < 0 || ny >= height || cost[j] == -1.0f) continue;
            const float ng = static_cast<float>(double{g[k]} + double{cost[j]});
            if (state[j] && !(ng < g[j])) continue;  // only a strictly smaller g re-parents
            if (state[j] == 'o') open.erase(keyOf[j]);
            state[j] = 'o';  // a closed node is reopened
            g[j] = ng, parent[j] = k;
            const double h = double(std::abs(gx - nx) + std::abs(gy - ny));
            open.insert(keyOf[j] = Key{float((h - double{ng}) * clampWeight(weight) + double{ng}),
                                       inserted++, j});
        }
    }
    std::vector<int32_t> route;
    for (int32_t i = open.empty() ? -1 : goal; i != -1; i = parent[i])
        route.insert(route.begin(), {i % width, i / width});
    return route;
}

}  // namespace vorlan::path::reference
