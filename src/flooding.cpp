// The flooding treatment: water spreads sideways from the river surface, pass after pass,
// over dry cells lying below the neighbouring water level.
#include "flooding.h"

#include <cstdint>
#include <cstring>

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
    // Local copies: stores into the byte grids could otherwise alias the run state's members.
    const GridShape g{st.nb_lig, st.nb_col};
    unsigned char* const* water = st.tab_mask;
    unsigned char* const* prov = st.tab_mask_prov;
    int* const* level = st.itab_in;
    merge_set(water, prov, g);
    auto dry = [=](int i, int j) { return water[i][j] != 1; };
    NeighbourLister lister;
    lister.watch(water, nullptr);
    CellList frontier, joined, climbed;
    lister.list(set_cells(water, g), g, dry, CellList(), frontier);
    run_passes(con, [&]() -> long long {
        joined.clear();
        climbed.clear();
        for (std::size_t k = 0; k < frontier.size(); ++k) {
            prefetch_ahead(frontier, k, g, water, level);
            const CellIndex c = frontier[k];
            const int i = g.line(c), j = g.column(c);
            const int jco = orthogonal_code(water, g.nb_lig, g.nb_col, i, j);
            int values[4] = {0, 0, 0, 0};
            coded_values(level, jco, i, j, values);
            const FloodChange change = flood_rule(jco, level[i][j], values);
            if (!change.raised) continue;
            level[i][j] = change.level;
            if (change.joins) prov[i][j] = 1;
            (change.joins ? joined : climbed).push_back(c);
        }
        // The water of the next pass, then its dry cells beside this pass's newcomers, and the
        // cells that climbed, which stay dry and are examined again.
        for (CellIndex c : joined) water[g.line(c)][g.column(c)] = 1;
        lister.list(joined, g, dry, climbed, frontier);
        return static_cast<long long>(joined.size() + climbed.size());
    });
}

void treatment(RunState& st, Console& con) {
    if (st.f1 != nullptr) std::fclose(st.f1);
    st.f1 = nullptr;
    con.say("\n\n Last Treatment \n");
    for (int i = 0; i < st.nb_lig; ++i) {
        std::memcpy(st.tab_mask_prov[i], st.tab_mask[i], static_cast<std::size_t>(st.nb_col));
    }
    con.say("\n");
    flooding(st, con);
}
