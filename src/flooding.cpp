// The flooding treatment: water spreads sideways from the river surface, pass after pass,
// over dry cells lying below the neighbouring water level.
#include "flooding.h"

#include <cstdint>

#include "grid_passes.h"
#include "stages.h"

namespace {

bool one_neighbour(int jco) { return jco == 2 || jco == 8 || jco == 32 || jco == 128; }
bool two_adjacent(int jco) { return jco == 10 || jco == 40 || jco == 160 || jco == 130; }
bool three_neighbours(int jco) { return jco == 42 || jco == 168 || jco == 162 || jco == 138; }

}  // namespace

FloodChange flood_rule(int jco, int level, const int values[4]) {
    FloodChange change;
    if (!one_neighbour(jco) && !two_adjacent(jco) && !three_neighbours(jco)) return change;
    std::int64_t itot = 0;
    int lco = 0;
    for (int n = 0; n < 4; ++n) {
        if ((jco & kOrthoWeight[n]) != 0 && values[n] > level) {
            itot += values[n];
            ++lco;
        }
    }
    if (lco == 0) return change;
    change.raised = true;
    change.joins = !three_neighbours(jco);
    change.level = static_cast<int>(itot / lco);  // a mean of 32-bit levels fits 32 bits
    return change;
}

void flooding(RunState& st, Console& con) {
    const GridShape g{st.nb_lig, st.nb_col};
    for (int i = 0; i < st.nb_lig; ++i) {
        for (int j = 0; j < st.nb_col; ++j) {
            if (st.tab_mask_prov[i][j] == 1) st.tab_mask[i][j] = 1;
        }
    }
    auto dry = [&](int i, int j) { return st.tab_mask[i][j] != 1; };
    auto joined_now = [&](int i, int j) { return st.tab_mask_prov[i][j] == 1 && st.tab_mask[i][j] != 1; };
    CellList frontier = list_cells(g, [&](int i, int j) {
        return dry(i, j) && orthogonal_code(st.tab_mask, g.nb_lig, g.nb_col, i, j) != 0;
    });
    CellList joined, climbed, next;
    run_passes(con, [&]() -> long long {
        joined.clear();
        climbed.clear();
        for (CellIndex c : frontier) {
            const int i = g.line(c), j = g.column(c);
            const int jco = orthogonal_code(st.tab_mask, g.nb_lig, g.nb_col, i, j);
            int values[4];
            orthogonal_values(st.itab_in, g.nb_lig, g.nb_col, i, j, 0, values);
            const FloodChange change = flood_rule(jco, st.itab_in[i][j], values);
            if (!change.raised) continue;
            st.itab_in[i][j] = change.level;
            if (change.joins) st.tab_mask_prov[i][j] = 1;
            (change.joins ? joined : climbed).push_back(c);
        }
        next.clear();
        list_neighbours(
            joined, g, [&](int i, int j) { return dry(i, j) && !joined_now(i, j); }, joined_now, next);
        for (CellIndex c : climbed) {
            // A climbed cell beside a cell that just joined is listed already.
            if (!listed_by_earlier(g, g.line(c), g.column(c), 4, joined_now)) next.push_back(c);
        }
        for (CellIndex c : joined) st.tab_mask[g.line(c)][g.column(c)] = 1;
        frontier.swap(next);
        return static_cast<long long>(joined.size() + climbed.size());
    });
}

void treatment(RunState& st, Console& con) {
    if (st.f1 != nullptr) std::fclose(st.f1);
    st.f1 = nullptr;
    con.say("\n\n Last Treatment \n");
    for (int i = 0; i < st.nb_lig; ++i) {
        for (int j = 0; j < st.nb_col; ++j) st.tab_mask_prov[i][j] = st.tab_mask[i][j];
    }
    con.say("\n");
    flooding(st, con);
}
