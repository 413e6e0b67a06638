#include "sweeps.h"

namespace {

constexpr int kUpCode = 2, kRightCode = 8, kDownCode = 32, kLeftCode = 128;
constexpr int kNoValue = -99999;  // a surface cell without an altitude

// The neighbours of a cell that lie inside the grid and hold 1 in `set`, by their weights.
int code_of(const ByteGrid& set, int i, int j) {
    int jco = 0;
    if (i > 0 && set[i - 1][j] == 1) jco += kUpCode;
    if (j + 1 < set.nb_col() && set[i][j + 1] == 1) jco += kRightCode;
    if (i + 1 < set.nb_lig() && set[i + 1][j] == 1) jco += kDownCode;
    if (j > 0 && set[i][j - 1] == 1) jco += kLeftCode;
    return jco;
}

// The values of the neighbours named by a rule, in the rule table's order.
struct Named {
    int count = 0;
    long long values[3] = {0, 0, 0};
};

template <typename Grid>
Named named_by(int jco, const Grid& v, int i, int j) {
    Named n;
    auto take = [&](int di, int dj) { n.values[n.count++] = v[i + di][j + dj]; };
    switch (jco) {
    case 2: take(-1, 0); break;
    case 8: take(0, 1); break;
    case 32: take(1, 0); break;
    case 128: take(0, -1); break;
    case 10: take(-1, 0), take(0, 1); break;
    case 40: take(0, 1), take(1, 0); break;
    case 160: take(1, 0), take(0, -1); break;
    case 130: take(0, -1), take(-1, 0); break;
    case 42: take(-1, 0), take(0, 1), take(1, 0); break;
    case 168: take(0, 1), take(1, 0), take(0, -1); break;
    case 162: take(1, 0), take(0, -1), take(-1, 0); break;
    case 138: take(0, -1), take(-1, 0), take(0, 1); break;
    default: break;  // 34, 136, 170, 0: no rule
    }
    return n;
}

// The truncated mean of the values chosen by `keep`, and how many there were.
template <typename Keep>
long long mean_of_kept(const Named& n, Keep keep, int& kept) {
    long long sum = 0;
    kept = 0;
    for (int k = 0; k < n.count; ++k) {
        if (!keep(n.values[k])) continue;
        sum += n.values[k];
        ++kept;
    }
    return kept == 0 ? 0 : sum / kept;
}

// The construction rule: one neighbour passes its value on (no value included); two or three
// give the mean of those with an altitude, or no value when none has one.
bool surface_value(const Named& n, int& value) {
    if (n.count == 0) return false;
    if (n.count == 1) {
        value = static_cast<int>(n.values[0]);
        return true;
    }
    int kept = 0;
    const long long mean = mean_of_kept(n, [](long long v) { return v != kNoValue; }, kept);
    value = kept == 0 ? kNoValue : static_cast<int>(mean);
    return true;
}

// Passes over the whole grid until one changes nothing: before each, the count of the one
// before is shown (500 first), and the additions of the pass before (1 in `prov`) join `set`;
// `rule(i, j)` then says whether the cell changed.
template <typename Rule>
void sweep_passes(RunLog& log, ByteGrid& set, const ByteGrid& prov, Rule rule) {
    for (long long modif = 500; modif > 0;) {
        log.say("\t    modif = %lld     \r    ", modif);
        modif = 0;
        for (int i = 0; i < set.nb_lig(); ++i) {
            for (int j = 0; j < set.nb_col(); ++j) {
                if (prov[i][j] == 1) set[i][j] = 1;
            }
        }
        for (int i = 0; i < set.nb_lig(); ++i) {
            for (int j = 0; j < set.nb_col(); ++j) modif += rule(i, j) ? 1 : 0;
        }
    }
}

}  // namespace

void river_construction_sweep(Grids& g, RunLog& log) {
    sweep_passes(log, g.tab_soul, g.tab_soul_prov, [&g](int i, int j) {
        if (g.tab_mask[i][j] != 1 || g.tab_soul[i][j] == 1) return false;
        int value = 0;
        if (!surface_value(named_by(code_of(g.tab_soul, i, j), g.itab_out, i, j), value)) return false;
        g.itab_out[i][j] = value;
        g.tab_soul_prov[i][j] = 1;
        return true;
    });
}

void flooding_sweep(Grids& g, RunLog& log) {
    sweep_passes(log, g.tab_mask, g.tab_mask_prov, [&g](int i, int j) {
        if (g.tab_mask[i][j] == 1) return false;
        const Named n = named_by(code_of(g.tab_mask, i, j), g.itab_in, i, j);
        const int level = g.itab_in[i][j];
        int higher = 0;
        const long long mean = mean_of_kept(n, [level](long long v) { return v > level; }, higher);
        if (higher == 0) return false;
        // One neighbour, or two adjacent ones, raise the cell and it joins the water; three
        // raise it and it stays dry.
        g.itab_in[i][j] = static_cast<int>(mean);
        if (n.count < 3) g.tab_mask_prov[i][j] = 1;
        return true;
    });
}
