// The shape search of the Gaussian wave on long waves: the program's search, which counts a
// pass's zero samples from where the flanks fall below one unit, against counting every sample
// of every pass (the baseline). The worst case is a search that never settles: 10,000 passes,
// then the refusal. The longest wave a run accepts has half as many pixels as its skeleton.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <sstream>

#include "dem_units.h"
#include "gaussian_wave.h"

namespace {

// A summit so high above one unit of the DEM that no step of A settles the search.
constexpr double kHighSummit = 2000000.0;
constexpr int kCoef = 1000;  // millimetres

// A summit whose wave settles at the first pass: only its outermost samples fall below one unit.
double settling_summit(int LO) {
    const double outermost = WaveShape(LO, 1.0, 0.5).metres(LO);
    return (1.0 - 1e-9) / (outermost * kCoef);
}

// The program's search and the wave it settles on, for a wave of half length LO that settles at
// once (second argument 0: the search is short, the wave's samples are shaped) or never (1).
void BM_WaveSearch(benchmark::State& state) {
    Parameters p;
    p.LO = static_cast<int>(state.range(0));
    p.AO_Max = state.range(1) != 0 ? kHighSummit : settling_summit(p.LO);
    p.hypso_scale = 3;
    for (auto _ : state) {
        SilentTrace trace;
        RunLog log(trace, ProgressFn());
        try {
            const Wave w = gauss(p, log);
            if (state.range(1) != 0) state.SkipWithError("the search settled");
            benchmark::DoNotOptimize(w.z_gauss.data());
        } catch (const Stop&) {
            if (state.range(1) == 0) state.SkipWithError("the search did not settle");
        }
    }
}

// The baseline: the same passes, each counting every sample of the bell.
void BM_WaveSearchEverySample(benchmark::State& state) {
    const int LO = static_cast<int>(state.range(0));
    for (auto _ : state) {
        double A = 0.5;
        for (int pass = 0; pass < 10000; ++pass) {
            const WaveShape bell(LO, kHighSummit, A);
            int zeros = 0;
            for (int d = 1; d <= LO; ++d) zeros += to_dem_units(bell.metres(d), kCoef) == 0 ? 2 : 0;
            benchmark::DoNotOptimize(zeros);
            A += zeros > 2 ? 0.01 : -0.005;
        }
    }
}

}  // namespace

BENCHMARK(BM_WaveSearch)
    ->Args({10000, 1})
    ->Args({1000000, 1})
    ->Args({50000000, 1})
    ->Args({50000000, 0})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WaveSearchEverySample)->Arg(10000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
