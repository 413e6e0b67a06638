#include "river_construction.h"

#include "grid_passes.h"


bool surface_rule(int jco, const int values[4], int& result) {
    int members = 0;
    switch (jco) {
        case 2: case 8: case 32: case 128:
        case 10: case 40: case 160: case 130:
        case 42: case 168: case 162: case 138:
            members = jco;
            break;
        default:
            return false;
    }
    std::int64_t sum = 0;
    int count = 0, single = kNoData, present = 0;
    for (int n = 0; n < 4; ++n) {
        if ((members & kOrthoWeight[n]) == 0) continue;
        ++present;
        single = values[n];
        if (values[n] != kNoData) {
            sum += values[n];
            ++count;
        }
    }
    if (present == 1) {
        result = single;
    } else {
        result = count > 0 ? static_cast<int>(sum / count) : kNoData;
    }
    return true;
}

void river_construction(RunState& st, Console& con) {
    // Local copies: stores into the byte grids could otherwise alias the run state's members.
    const GridShape g{st.nb_lig, st.nb_col};
    unsigned char* const* mask = st.tab_mask;
    unsigned char* const* soul = st.tab_soul;
    unsigned char* const* prov = st.tab_soul_prov;
    int* const* out = st.itab_out;
    merge_set(soul, prov, g);
    auto candidate = [=](int i, int j) { return mask[i][j] == 1 && soul[i][j] != 1; };
    NeighbourLister lister;
    lister.watch(mask, soul);
    const CellList none;
    CellList frontier;
    lister.list(set_cells(soul, g), g, candidate, none, frontier);
    CellList added;
    run_passes(con, [&]() -> long long {
        added.clear();
        for (std::size_t k = 0; k < frontier.size(); ++k) {
            prefetch_ahead(frontier, k, g, soul, out);
            const CellIndex c = frontier[k];
            const int i = g.line(c), j = g.column(c);
            const int jco = orthogonal_code(soul, g.nb_lig, g.nb_col, i, j);
            int values[4] = {kNoData, kNoData, kNoData, kNoData};
            coded_values(out, jco, i, j, values);
            int value = 0;
            if (!surface_rule(jco, values, value)) continue;
            out[i][j] = value;
            prov[i][j] = 1;
            added.push_back(c);
        }
        // The filled set of the next pass, then its candidates beside this pass's additions.
        for (CellIndex c : added) soul[g.line(c)][g.column(c)] = 1;
        lister.list(added, g, candidate, none, frontier);
        return static_cast<long long>(added.size());
    });
}
