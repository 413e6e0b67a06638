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
    const GridShape g{st.nb_lig, st.nb_col};
    for (int i = 0; i < st.nb_lig; ++i) {
        for (int j = 0; j < st.nb_col; ++j) {
            if (st.tab_soul_prov[i][j] == 1) st.tab_soul[i][j] = 1;
        }
    }
    auto candidate = [&](int i, int j) { return st.tab_mask[i][j] == 1 && st.tab_soul[i][j] != 1; };
    auto filled_now = [&](int i, int j) { return st.tab_soul_prov[i][j] == 1 && st.tab_soul[i][j] != 1; };
    CellList frontier = list_cells(g, [&](int i, int j) {
        return candidate(i, j) && orthogonal_code(st.tab_soul, g.nb_lig, g.nb_col, i, j) != 0;
    });
    CellList filled, next;
    run_passes(con, [&]() -> long long {
        filled.clear();
        for (CellIndex c : frontier) {
            const int i = g.line(c), j = g.column(c);
            int values[4];
            orthogonal_values(st.itab_out, g.nb_lig, g.nb_col, i, j, kNoData, values);
            const int jco = orthogonal_code(st.tab_soul, g.nb_lig, g.nb_col, i, j);
            int value = 0;
            if (!surface_rule(jco, values, value)) continue;
            st.itab_out[i][j] = value;
            st.tab_soul_prov[i][j] = 1;
            filled.push_back(c);
        }
        next.clear();
        list_neighbours(
            filled, g, [&](int i, int j) { return candidate(i, j) && !filled_now(i, j); },
            filled_now, next);
        for (CellIndex c : filled) st.tab_soul[g.line(c)][g.column(c)] = 1;
        frontier.swap(next);
        return static_cast<long long>(filled.size());
    });
}
