#include "sweeps.h"

#include "flooding.h"
#include "grid_neighbours.h"
#include "grid_passes.h"
#include "river_construction.h"

namespace {

void merge(unsigned char** set, unsigned char* const* additions, const RunState& st) {
    for (int i = 0; i < st.nb_lig; ++i) {
        for (int j = 0; j < st.nb_col; ++j) {
            if (additions[i][j] == 1) set[i][j] = 1;
        }
    }
}

}  // namespace

void river_construction_sweep(RunState& st, Console& con) {
    run_passes(con, [&]() -> long long {
        long long modif = 0;
        merge(st.tab_soul, st.tab_soul_prov, st);
        for (int i = 0; i < st.nb_lig; ++i) {
            for (int j = 0; j < st.nb_col; ++j) {
                if (st.tab_mask[i][j] != 1 || st.tab_soul[i][j] == 1) continue;
                const int jco = orthogonal_code(st.tab_soul, st.nb_lig, st.nb_col, i, j);
                int values[4] = {kNoData, kNoData, kNoData, kNoData};
                coded_values(st.itab_out, jco, i, j, values);
                int value = 0;
                if (!surface_rule(jco, values, value)) continue;
                st.itab_out[i][j] = value;
                st.tab_soul_prov[i][j] = 1;
                ++modif;
            }
        }
        return modif;
    });
}

void flooding_sweep(RunState& st, Console& con) {
    run_passes(con, [&]() -> long long {
        long long modif = 0;
        merge(st.tab_mask, st.tab_mask_prov, st);
        for (int i = 0; i < st.nb_lig; ++i) {
            for (int j = 0; j < st.nb_col; ++j) {
                if (st.tab_mask[i][j] == 1) continue;
                const int jco = orthogonal_code(st.tab_mask, st.nb_lig, st.nb_col, i, j);
                int values[4] = {0, 0, 0, 0};
                coded_values(st.itab_in, jco, i, j, values);
                const FloodChange change = flood_rule(jco, st.itab_in[i][j], values);
                if (!change.raised) continue;
                st.itab_in[i][j] = change.level;
                if (change.joins) st.tab_mask_prov[i][j] = 1;
                ++modif;
            }
        }
        return modif;
    });
}
