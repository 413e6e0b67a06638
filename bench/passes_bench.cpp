// The two pass loops, frontier-driven (the program's) against the whole-grid sweeps (the
// reference), and under the sound rules against the described ones, on generated grids where the river surface spreads 550 cells from a skeleton
// line and the flood spreads 600 cells across a floodplain.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <sstream>
#include <vector>

#include "flooding.h"
#include "river_construction.h"
#include "sweeps.h"

namespace {

constexpr int kSurfaceSpread = 550;
constexpr int kFloodSpread = 600;

struct Case {
    Grids g;
    std::vector<unsigned char> mask, soul;
    std::vector<int> out, in;

    explicit Case(int n) {
        g = Grids::around(Inputs{ByteGrid(n, n), ByteGrid(n, n), IntGrid(n, n)});
        g.tab_mask_prov = ByteGrid(n, n);
        g.tab_soul_prov = ByteGrid(n, n);
    }
    std::size_t at(int i, int j) const { return static_cast<std::size_t>(i) * g.nb_col + j; }

    // A skeleton down the middle column inside a mask kSurfaceSpread cells wide on each side.
    void make_surface() {
        const int n = g.nb_lig, mid = n / 2;
        mask.assign(static_cast<std::size_t>(n) * n, 0);
        soul = mask;
        out.assign(mask.size(), kNoData);
        for (int i = 0; i < n; ++i) {
            for (int j = 0; j < n; ++j) mask[at(i, j)] = std::abs(j - mid) <= kSurfaceSpread ? 1 : 0;
            soul[at(i, mid)] = 1;
            out[at(i, mid)] = 1000 - i / 4;
        }
    }

    // Water along the first two columns at 1000, a floodplain at 500 up to kFloodSpread
    // columns, then high ground.
    void make_flood() {
        const int n = g.nb_lig;
        mask.assign(static_cast<std::size_t>(n) * n, 0);
        in.assign(mask.size(), 5000);
        for (int i = 0; i < n; ++i) {
            for (int j = 0; j < n; ++j) {
                if (j < 2) mask[at(i, j)] = 1;
                if (j < 2) in[at(i, j)] = 1000;
                else if (j < kFloodSpread) in[at(i, j)] = 500 + (i * 7 + j * 3) % 100;
            }
        }
    }

    // The surface around the mask and skeleton, as a run lays it out.
    void lay_out_surface() {
        load();
        g.itab_out = SurfaceGrid::around({&g.tab_mask, &g.tab_soul});
    }

    void load() {
        for (int i = 0; i < g.nb_lig; ++i) {
            for (int j = 0; j < g.nb_col; ++j) {
                const std::size_t k = at(i, j);
                g.tab_mask[i][j] = g.tab_mask_prov[i][j] = mask[k];
                g.tab_soul[i][j] = g.tab_soul_prov[i][j] = soul.empty() ? 0 : soul[k];
                g.itab_in[i][j] = in.empty() ? 0 : in[k];
            }
        }
        for (int i = 0; i < g.nb_lig; ++i) {
            const Span s = g.itab_out.span(i);
            for (int j = s.first; j <= s.last; ++j) g.itab_out[i][j] = out.empty() ? kNoData : out[at(i, j)];
        }
    }
};

template <void (*Passes)(Grids&, RunLog&)>
void run(benchmark::State& state, bool flood) {
    Case c(static_cast<int>(state.range(0)));
    if (flood) {
        c.make_flood();
    } else {
        c.make_surface();
    }
    c.lay_out_surface();
    SilentTrace trace;
    RunLog log(trace, ProgressFn());
    for (auto _ : state) {
        state.PauseTiming();
        c.load();
        state.ResumeTiming();
        Passes(c.g, log);
    }
}

void construction(Grids& g, RunLog& log) { river_construction(g, log); }
void flood(Grids& g, RunLog& log) { flooding(g, log); }
// The same passes under the sound rules (any arrangement of neighbours), to weigh against the
// described ones on the same grids.
void construction_sound(Grids& g, RunLog& log) { river_construction(g, log, kMaxPasses, true); }
void flood_sound(Grids& g, RunLog& log) { flooding(g, log, kMaxPasses, true); }

void BM_RiverConstruction_Frontier(benchmark::State& s) { run<construction>(s, false); }
void BM_RiverConstruction_Sweep(benchmark::State& s) { run<river_construction_sweep>(s, false); }
void BM_Flooding_Frontier(benchmark::State& s) { run<flood>(s, true); }
void BM_Flooding_Sweep(benchmark::State& s) { run<flooding_sweep>(s, true); }
void BM_RiverConstruction_FrontierSound(benchmark::State& s) { run<construction_sound>(s, false); }
void BM_Flooding_FrontierSound(benchmark::State& s) { run<flood_sound>(s, true); }

}  // namespace

BENCHMARK(BM_RiverConstruction_Frontier)->Arg(1000)->Arg(4000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RiverConstruction_Sweep)->Arg(1000)->Arg(4000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Flooding_Frontier)->Arg(1000)->Arg(4000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Flooding_Sweep)->Arg(1000)->Arg(4000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_RiverConstruction_FrontierSound)->Arg(1000)->Arg(4000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Flooding_FrontierSound)->Arg(1000)->Arg(4000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
