// The frontier-driven passes of the program against the whole-grid sweeps they replace: on
// random grids both must leave the same grids and print the same count for every pass.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <vector>

#include "flooding.h"
#include "grid_passes.h"
#include "river_construction.h"
#include "sweeps.h"
#include "test_support.h"

namespace {

using Rng = std::mt19937;

// Numbers of passes run together: the program's window and short ones.
constexpr int kWindows[4] = {64, 1, 2, 3};

int pick(Rng& rng, int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
bool chance(Rng& rng, double p) { return std::bernoulli_distribution(p)(rng); }

struct Planes {
    int lines, cols;
    std::vector<int> mask, mask_prov, soul, soul_prov, out, in;
};

// Byte cells: 1 with probability p, otherwise 0 or another value that does not count as set.
std::vector<int> bytes(Rng& rng, int n, double p) {
    std::vector<int> v(n);
    for (int& b : v) b = chance(rng, p) ? 1 : (chance(rng, 0.8) ? 0 : pick(rng, 2, 255));
    return v;
}

int level(Rng& rng, bool wide) {
    if (wide && chance(rng, 0.05)) return chance(rng, 0.5) ? 2147483647 - pick(rng, 0, 3) : -2147483647 + pick(rng, 0, 3);
    return wide ? pick(rng, -100000, 100000) : pick(rng, -12, 12);
}

Planes random_grids(Rng& rng, int lines, int cols) {
    const int n = lines * cols;
    Planes g{lines, cols, {}, {}, {}, {}, std::vector<int>(n), std::vector<int>(n)};
    g.mask = bytes(rng, n, 0.3 + 0.65 * std::uniform_real_distribution<double>()(rng));
    g.mask_prov = g.mask;
    if (chance(rng, 0.2)) {
        for (int& b : g.mask_prov) b = (b == 1 || chance(rng, 0.05)) ? 1 : b;
    }
    g.soul = bytes(rng, n, 0.02 + 0.3 * std::uniform_real_distribution<double>()(rng));
    g.soul_prov = g.soul;
    for (int k = 0; k < n; ++k) {
        if (chance(rng, 0.1)) g.soul_prov[k] = chance(rng, 0.5) ? 1 : 255;
    }
    const bool wide = chance(rng, 0.3);
    for (int k = 0; k < n; ++k) {
        g.out[k] = chance(rng, 0.3) ? kNoData : level(rng, wide);
        g.in[k] = level(rng, wide);
    }
    return g;
}

struct Loaded : StageFixture {
    explicit Loaded(const Planes& v) : StageFixture(v.lines, v.cols) {
        fill(g.tab_mask, v.mask);
        fill(g.tab_mask_prov, v.mask_prov);
        fill(g.tab_soul, v.soul);
        fill(g.tab_soul_prov, v.soul_prov);
        fill(g.itab_out, v.out);
        fill(g.itab_in, v.in);
    }
    Planes planes() const {
        return {g.nb_lig,          g.nb_col,           cells(g.tab_mask), cells(g.tab_mask_prov),
                cells(g.tab_soul), cells(g.tab_soul_prov), cells(g.itab_out), cells(g.itab_in)};
    }
};

// Runs one pass loop both ways on the same grids; true when grids and progress agree.
template <typename Fast, typename Reference>
::testing::AssertionResult same_outcome(const Planes& start, Fast fast, Reference reference,
                                        int* passes = nullptr) {
    Loaded a(start), b(start);
    fast(a.g, a.log);
    reference(b.g, b.log);
    const std::string progress = a.printed();
    if (passes != nullptr) *passes = static_cast<int>(std::count(progress.begin(), progress.end(), '\r'));
    const Planes ga = a.planes(), gb = b.planes();
    if (a.printed() != b.printed()) return ::testing::AssertionFailure() << "progress differs: " << a.printed() << " vs " << b.printed();
    if (ga.mask != gb.mask || ga.mask_prov != gb.mask_prov) return ::testing::AssertionFailure() << "water sets differ";
    if (ga.soul != gb.soul || ga.soul_prov != gb.soul_prov) return ::testing::AssertionFailure() << "filled sets differ";
    if (ga.out != gb.out || ga.in != gb.in) return ::testing::AssertionFailure() << "levels differ";
    return ::testing::AssertionSuccess();
}

// A large grid: a winding seed line, a wide mask around it, and smooth levels falling away
// from it, so that both pass loops run for many passes.
Planes large_grids(Rng& rng, int lines, int cols) {
    Planes g = random_grids(rng, lines, cols);
    int i = lines / 2;
    for (int j = 0; j < cols; ++j) {
        i = std::min(lines - 1, std::max(0, i + pick(rng, -1, 1)));
        for (int k = 0; k < lines; ++k) {
            const int at = k * cols + j, d = std::abs(k - i);
            g.soul[at] = g.soul_prov[at] = (d == 0) ? 1 : 0;
            g.mask[at] = g.mask_prov[at] = (d < lines / 3 && chance(rng, 0.97)) ? 1 : 0;
            g.out[at] = (d == 0) ? 1000 - j + pick(rng, -5, 5) : kNoData;
            g.in[at] = 400 + 3 * d + pick(rng, -40, 40);
        }
    }
    return g;
}

}  // namespace

TEST(FrontierPasses, MatchTheSweepsOnTenThousandRandomSmallGrids) {
    Rng rng(20261207);
    int long_surfaces = 0, long_floods = 0;
    for (int round = 0; round < 10000; ++round) {
        const Planes g = random_grids(rng, pick(rng, 1, 12), pick(rng, 1, 12));
        // Short windows make most grids cross from one window of passes to the next.
        const int window = kWindows[round % 4];
        auto construction = [window](Grids& g, RunLog& log) { river_construction(g, log, window); };
        auto flood = [window](Grids& g, RunLog& log) { flooding(g, log, window); };
        int passes = 0;
        ASSERT_TRUE(same_outcome(g, construction, river_construction_sweep, &passes)) << "round " << round;
        long_surfaces += passes >= 4 ? 1 : 0;
        ASSERT_TRUE(same_outcome(g, flood, flooding_sweep, &passes)) << "round " << round;
        long_floods += passes >= 4 ? 1 : 0;
    }
    // The random grids are not trivial: many need several passes.
    EXPECT_GT(long_surfaces, 1000);
    EXPECT_GT(long_floods, 1000);
}

TEST(FrontierPasses, MatchTheSweepsOnLargeGrids) {
    Rng rng(7);
    for (int round = 0; round < 5; ++round) {
        // The last grid is wide, so that the lists of a pass run to thousands of cells a line.
        const Planes g = round < 4 ? large_grids(rng, 120 + 40 * round, 150) : large_grids(rng, 90, 3000);
        const int window = kWindows[round % 4];
        auto construction = [window](Grids& g, RunLog& log) { river_construction(g, log, window); };
        auto flood = [window](Grids& g, RunLog& log) { flooding(g, log, window); };
        ASSERT_TRUE(same_outcome(g, construction, river_construction_sweep)) << "round " << round;
        ASSERT_TRUE(same_outcome(g, flood, flooding_sweep)) << "round " << round;
    }
}
