// A second, separately written search with findPath's rules, shared by the
// tests and the benchmark: an ordered set of (f, insertion number, cell) as
// the open list, whose least entry is the node a sorted open list with
// "equal f goes behind the earlier insertion" would expand next.
#pragma once

#include <cfloat>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <tuple>
#include <vector>

#include "path/planner.h"

namespace vorlan::path::reference {

// findPath's cost normalisation, written apart from it: floats held within
// the float range, positive ones divided by the largest plus 1, the rest -1.
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

// Route as x0, y0, x1, y1, ... from a valid start to the goal; empty when
// the goal cannot be reached.
inline std::vector<int32_t> exactHeapSearch(int32_t width, int32_t height, const double* costs,
                                            int32_t sx, int32_t sy, int32_t gx, int32_t gy,
                                            double weight) {
    const size_t n = size_t(width) * size_t(height);
    const std::vector<float> cost = normalisedCosts(costs, n);
    const double w = clampWeight(weight);
    using Key = std::tuple<float, uint64_t, int32_t>;  // f, insertion number, cell
    std::set<Key> open;
    std::vector<Key> keyOf(n);
    std::vector<uint8_t> seen(n, 0), closed(n, 0);
    std::vector<float> g(n, 0);
    std::vector<int32_t> parent(n, -1);
    uint64_t inserted = 0;
    const int32_t start = sy * width + sx, goal = gy * width + gx;
    open.insert(keyOf[start] = Key{0.0f, inserted++, start});
    seen[start] = 1;
    while (!open.empty() && std::get<2>(*open.begin()) != goal) {
        const int32_t k = std::get<2>(*open.begin());
        open.erase(open.begin());
        closed[k] = 1;
        const int32_t x = k % width, y = k / width;
        const int32_t next[4][2] = {{x, y - 1}, {x + 1, y}, {x - 1, y}, {x, y + 1}};  // N, E, W, S
        for (const auto& [nx, ny] : next) {
            if (nx < 0 || nx >= width || ny < 0 || ny >= height) continue;
            const int32_t j = ny * width + nx;
            if (cost[j] == -1.0f) continue;
            const float ng = static_cast<float>(double{g[k]} + double{cost[j]});
            if (seen[j] && !(ng < g[j])) continue;  // only a strictly smaller g re-parents
            const double h = double(std::abs(gx - nx) + std::abs(gy - ny));
            if (seen[j] && !closed[j]) open.erase(keyOf[j]);
            seen[j] = 1;
            closed[j] = 0;  // a closed node is reopened
            g[j] = ng;
            parent[j] = k;
            open.insert(keyOf[j] = Key{static_cast<float>((h - double{ng}) * w + double{ng}),
                                       inserted++, j});
        }
    }
    std::vector<int32_t> route;
    if (open.empty()) return route;
    std::vector<int32_t> cells;
    for (int32_t i = goal; i != -1; i = parent[i]) cells.push_back(i);
    for (size_t i = cells.size(); i > 0; --i) {
        route.push_back(cells[i - 1] % width);
        route.push_back(cells[i - 1] / width);
    }
    return route;
}

}  // namespace vorlan::path::reference
