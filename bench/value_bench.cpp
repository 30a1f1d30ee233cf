// Element access and random draws against their plain C++ counterparts,
// measured in the same run so that the ratios mean something.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include <vorlan/vorlan.h>

namespace {

constexpr int kSide = 50;

// One sweep over a 50 x 50 field: every element read, changed and written
// back through the bounds-tested access.
void ElementAtSweep(benchmark::State& state) {
    vorlan::RtNumberArray field;
    vorlan::dimensionArray(field, kSide, kSide);
    for (auto _ : state) {
        for (int y = 0; y < kSide; ++y) {
            for (int x = 0; x < kSide; ++x) {
                vorlan::elementAt(field, x, y, 0, 0) = vorlan::elementAt(field, x, y, 0, 0) + 1;
            }
        }
        benchmark::ClobberMemory();
    }
    benchmark::DoNotOptimize(field.data());
    state.SetItemsProcessed(state.iterations() * kSide * kSide);
}
BENCHMARK(ElementAtSweep);

void VectorIndexSweep(benchmark::State& state) {
    std::vector<double> field(kSide * kSide, 0.0);
    for (auto _ : state) {
        for (int y = 0; y < kSide; ++y) {
            for (int x = 0; x < kSide; ++x) {
                field[y * kSide + x] = field[y * kSide + x] + 1;
            }
        }
        benchmark::ClobberMemory();
    }
    benchmark::DoNotOptimize(field.data());
    state.SetItemsProcessed(state.iterations() * kSide * kSide);
}
BENCHMARK(VectorIndexSweep);

// Indices as the game holds them: doubles, truncated on every access.
void ElementAtSweepDoubleIndices(benchmark::State& state) {
    vorlan::RtNumberArray field;
    vorlan::dimensionArray(field, kSide, kSide);
    for (auto _ : state) {
        for (double y = 0; y < kSide; ++y) {
            for (double x = 0; x < kSide; ++x) {
                vorlan::elementAt(field, x, y, 0.0, 0.0) =
                    vorlan::elementAt(field, x, y, 0.0, 0.0) + 1;
            }
        }
        benchmark::ClobberMemory();
    }
    benchmark::DoNotOptimize(field.data());
    state.SetItemsProcessed(state.iterations() * kSide * kSide);
}
BENCHMARK(ElementAtSweepDoubleIndices);

void VectorIndexSweepDoubleIndices(benchmark::State& state) {
    std::vector<double> field(kSide * kSide, 0.0);
    for (auto _ : state) {
        for (double y = 0; y < kSide; ++y) {
            for (double x = 0; x < kSide; ++x) {
                size_t at = static_cast<size_t>(y) * kSide + static_cast<size_t>(x);
                field[at] = field[at] + 1;
            }
        }
        benchmark::ClobberMemory();
    }
    benchmark::DoNotOptimize(field.data());
    state.SetItemsProcessed(state.iterations() * kSide * kSide);
}
BENCHMARK(VectorIndexSweepDoubleIndices);

// A field position, 0 to 49, as the round draws them. Every draw runs a
// whole 256-word generator pass.
void RandomUpTo(benchmark::State& state) {
    vorlan::seedGenerator(12345);
    for (auto _ : state) benchmark::DoNotOptimize(vorlan::randomUpTo(kSide - 1));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(RandomUpTo);

void Mt19937Modulo(benchmark::State& state) {
    std::mt19937 generator(12345);
    for (auto _ : state) {
        benchmark::DoNotOptimize(static_cast<double>(generator() % static_cast<uint32_t>(kSide)));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(Mt19937Modulo);

}  // namespace
