// findPath against a textbook binary-heap A* written here, on the same grids
// in the same run. PlainHeap uses a lazy-deletion heap, g + h and per-cell
// arrays over the same normalised costs; its routes are optimal like
// findPath's at weight 0.5 but may break ties differently. Before timing,
// every benchmark checks that findPath returns the very same route as the
// tests' reference search (tests/path/exact_heap_search.h).
//
// Grids: a 50 x 50 maze (the game's size), a 256 x 256 maze, and open grids
// of 256 x 256 and 512 x 512 with scattered obstacles, corner to corner.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <queue>
#include <random>
#include <utility>
#include <vector>

#include <vorlan/path.h>
#include <vorlan/rt_array.h>

#include "path/planner.h"
#include "tests/path/exact_heap_search.h"

namespace {

using vorlan::RtNumberArray;

struct Grid {
    int width = 0;
    int height = 0;
    std::vector<double> costs;  // x fastest; 0 is blocked
    int sx = 0, sy = 0, gx = 0, gy = 0;
    RtNumberArray array;

    void toArray() {
        vorlan::dimensionArray(array, width, height);
        std::copy(costs.begin(), costs.end(), array.data());
    }
};

// A maze carved by a depth-first walk over the odd cells, with a share of
// the remaining inner walls knocked out so that there are loops (several
// routes, so the costs matter), and costs 1 to 4 on the open cells.
Grid maze(int size, uint32_t seed, double loopShare) {
    Grid g;
    g.width = g.height = size;
    g.costs.assign(size_t(size) * size, 0.0);
    std::mt19937 rng(seed);
    const int last = (size - 2) % 2 ? size - 2 : size - 3;  // the largest odd inner index
    auto at = [&](int x, int y) -> double& { return g.costs[size_t(y) * size + x]; };
    std::vector<std::pair<int, int>> stack = {{1, 1}};
    at(1, 1) = 1;
    const int dx[4] = {2, -2, 0, 0};
    const int dy[4] = {0, 0, 2, -2};
    while (!stack.empty()) {
        const auto [x, y] = stack.back();
        int options[4];
        int count = 0;
        for (int k = 0; k < 4; ++k) {
            const int nx = x + dx[k];
            const int ny = y + dy[k];
            if (nx >= 1 && nx <= last && ny >= 1 && ny <= last && at(nx, ny) == 0) {
                options[count++] = k;
            }
        }
        if (count == 0) {
            stack.pop_back();
            continue;
        }
        const int k = options[std::uniform_int_distribution<int>(0, count - 1)(rng)];
        at(x + dx[k] / 2, y + dy[k] / 2) = 1;
        at(x + dx[k], y + dy[k]) = 1;
        stack.emplace_back(x + dx[k], y + dy[k]);
    }
    std::uniform_real_distribution<double> unit(0, 1);
    for (int y = 1; y < last; ++y) {
        for (int x = 1; x < last; ++x) {
            if (at(x, y) == 0 && (x % 2 == 1 || y % 2 == 1) && unit(rng) < loopShare) at(x, y) = 1;
        }
    }
    for (double& c : g.costs) {
        if (c > 0) c = 1 + std::floor(unit(rng) * 4);
    }
    g.sx = 1;
    g.sy = 1;
    g.gx = last;
    g.gy = last;
    g.toArray();
    return g;
}

// An open grid with a share of cells blocked at random and costs 1 to 9,
// corner to corner.
Grid openGrid(int size, uint32_t seed, double blockedShare) {
    Grid g;
    g.width = g.height = size;
    g.costs.resize(size_t(size) * size);
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> unit(0, 1);
    for (double& c : g.costs) c = unit(rng) < blockedShare ? 0 : 1 + std::floor(unit(rng) * 9);
    g.sx = 0;
    g.sy = 0;
    g.gx = size - 1;
    g.gy = size - 1;
    g.costs[0] = 1;
    g.costs.back() = 1;
    g.toArray();
    return g;
}

std::vector<float> normalise(const Grid& g) {
    return vorlan::path::reference::normalisedCosts(g.costs.data(), g.costs.size());
}

using Route = std::vector<int32_t>;  // x0, y0, x1, y1, ...

struct Stats {
    uint64_t expanded = 0;
    uint64_t openMax = 0;
};

// --- Textbook A* ----------------------------------------------------------------

Route plainHeapAStar(const Grid& grid, Stats* stats = nullptr) {
    const int w = grid.width;
    const int h = grid.height;
    const std::vector<float> cost = normalise(grid);
    const size_t n = cost.size();
    std::vector<float> g(n, std::numeric_limits<float>::infinity());
    std::vector<int32_t> parent(n, -1);
    std::vector<uint8_t> closed(n, 0);
    using Item = std::pair<float, int32_t>;
    std::priority_queue<Item, std::vector<Item>, std::greater<Item>> open;
    const int32_t start = grid.sy * w + grid.sx;
    const int32_t goal = grid.gy * w + grid.gx;
    g[start] = 0;
    open.emplace(0.0f, start);
    static const int dx[4] = {0, 1, -1, 0};
    static const int dy[4] = {-1, 0, 0, 1};
    while (!open.empty()) {
        const int32_t i = open.top().second;
        open.pop();
        if (closed[i]) continue;
        closed[i] = 1;
        if (stats) ++stats->expanded;
        if (i == goal) break;
        const int x = i % w;
        const int y = i / w;
        for (int k = 0; k < 4; ++k) {
            const int nx = x + dx[k];
            const int ny = y + dy[k];
            if (nx < 0 || nx >= w || ny < 0 || ny >= h) continue;
            const int32_t j = ny * w + nx;
            if (cost[j] < 0 || closed[j]) continue;
            const float ng = g[i] + cost[j];
            if (ng < g[j]) {
                g[j] = ng;
                parent[j] = i;
                open.emplace(ng + float(std::abs(grid.gx - nx) + std::abs(grid.gy - ny)), j);
                if (stats) stats->openMax = std::max<uint64_t>(stats->openMax, open.size());
            }
        }
    }
    Route route;
    if (!closed[goal]) return route;
    for (int32_t i = goal; i >= 0; i = parent[i]) {
        route.push_back(i % w);
        route.push_back(i / w);
    }
    for (size_t a = 0, b = route.size() - 2; a < b; a += 2, b -= 2) {
        std::swap(route[a], route[b]);
        std::swap(route[a + 1], route[b + 1]);
    }
    return route;
}

// --- The planner's rules over an indexed heap------------------------------------

Route exactHeapAStar(const Grid& grid, double weight) {
    return vorlan::path::reference::exactHeapSearch(grid.width, grid.height, grid.costs.data(),
                                                    grid.sx, grid.sy, grid.gx, grid.gy, weight);
}

Route findPathRoute(Grid& grid, double weight) {
    RtNumberArray path;
    const double n = vorlan::findPath(grid.array, path, weight, grid.sx, grid.sy, grid.gx, grid.gy);
    Route route;
    for (int i = 0; i < int(n); ++i) {
        route.push_back(int32_t(vorlan::elementAt(path, i, 0)));
        route.push_back(int32_t(vorlan::elementAt(path, i, 1)));
    }
    return route;
}

double routeCost(const Grid& grid, const Route& route) {
    const std::vector<float> cost = normalise(grid);
    double total = 0;
    for (size_t i = 2; i < route.size(); i += 2) {
        total += cost[size_t(route[i + 1]) * grid.width + route[i]];
    }
    return total;
}

// --- The grids -------------------------------------------------------------------

enum GridId { kMaze50, kMaze256, kOpen256, kOpen512, kGridCount };

Grid& gridOf(int id) {
    static std::vector<Grid> grids = [] {
        std::vector<Grid> all(kGridCount);
        all[kMaze50] = maze(50, 50, 0.10);
        all[kMaze256] = maze(256, 256, 0.10);
        all[kOpen256] = openGrid(256, 7, 0.20);
        all[kOpen512] = openGrid(512, 7, 0.20);
        return all;
    }();
    return grids[id];
}

const char* const kGridNames[kGridCount] = {"maze50", "maze256", "open256", "open512"};

// Before timing: findPath and the reference search give the same route, and at weight
// 0.5 PlainHeap's route costs the same (up to float rounding).
bool verify(benchmark::State& state, Grid& grid, double weight) {
    const Route ours = findPathRoute(grid, weight);
    const Route exact = exactHeapAStar(grid, weight);
    if (ours.empty()) {
        state.SkipWithError("findPath found no route");
        return false;
    }
    if (ours != exact) {
        state.SkipWithError("the reference route differs from findPath's");
        return false;
    }
    if (weight == 0.5) {
        const double a = routeCost(grid, ours);
        const double b = routeCost(grid, plainHeapAStar(grid));
        if (std::fabs(a - b) > 1e-4 * b) {
            state.SkipWithError("PlainHeap's route cost differs from findPath's");
            return false;
        }
    }
    state.counters["cells"] = double(ours.size() / 2);
    if (weight == 0.5) {
        Stats stats;  // the textbook search's own counts
        plainHeapAStar(grid, &stats);
        state.counters["expanded"] = double(stats.expanded);
        state.counters["open_max"] = double(stats.openMax);
    }
    return true;
}

void BM_FindPath(benchmark::State& state) {
    Grid& grid = gridOf(int(state.range(0)));
    const double weight = double(state.range(1)) / 100.0;
    state.SetLabel(kGridNames[state.range(0)]);
    if (!verify(state, grid, weight)) return;
    RtNumberArray path;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            vorlan::findPath(grid.array, path, weight, grid.sx, grid.sy, grid.gx, grid.gy));
    }
}

void BM_PlainHeap(benchmark::State& state) {
    Grid& grid = gridOf(int(state.range(0)));
    state.SetLabel(kGridNames[state.range(0)]);
    if (!verify(state, grid, 0.5)) return;
    for (auto _ : state) benchmark::DoNotOptimize(plainHeapAStar(grid));
}

void mainGrids(benchmark::internal::Benchmark* b) {
    for (int id : {kMaze50, kMaze256, kOpen256, kOpen512}) b->Args({id, 50});
    b->Unit(benchmark::kMicrosecond);
}

void otherWeights(benchmark::internal::Benchmark* b) {
    for (int id : {kMaze50, kMaze256, kOpen256, kOpen512}) {
        for (int weight : {0, 75, 100}) b->Args({id, weight});
    }
    b->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_FindPath)->Apply(mainGrids);
BENCHMARK(BM_PlainHeap)->Apply(mainGrids);
BENCHMARK(BM_FindPath)->Name("BM_FindPath/weights")->Apply(otherWeights);

}  // namespace
