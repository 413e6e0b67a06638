#include "river_construction.h"


namespace {

// One construction pass applied to an unfilled river-mask cell; a cell given a value enters
// the filled set (and tab_soul_prov) once the pass is done with its neighbours.
// The growing set is the filled river (tab_soul).
struct SurfaceRules : GrowingSet {
    GridShape g;
    unsigned char* const* mask;
    int* const* out;
    bool sound;

    bool wanted(int i, int j) const { return mask[i][j] == 1 && grown[i][j] != 1; }

    Change examine(int i, int j, int& open) const {
        if (i == 0 || j == 0 || i + 1 == g.nb_lig || j + 1 == g.nb_col) return examine_by_code(i, j, open);
        // Away from the border all four neighbours exist: the rule reads them in one go.
        int* row = out[i];
        const int set = inner_set_bits(grown, i, j);
        if (!surface_by_bits(set, out[i - 1][j], row[j + 1], out[i + 1][j], row[j - 1], row[j], sound)) {
            return Change::none;
        }
        open = set ^ kAllDirections;
        return Change::joins;
    }

    Change examine_by_code(int i, int j, int& open) const {
        const int jco = orthogonal_code(grown, g.nb_lig, g.nb_col, i, j);
        int values[4] = {kNoData, kNoData, kNoData, kNoData};
        coded_values(out, jco, i, j, values);
        int value = 0;
        if (!surface_rule(jco, values, value, sound)) return Change::none;
        out[i][j] = value;
        open = open_directions(jco, i, j, g);
        return Change::joins;
    }
};

}  // namespace

void river_construction(Grids& g, RunLog& log, int window, bool sound) {
    SurfaceRules rules{{g.tab_soul.rows(), g.tab_soul_prov.rows()}, g.shape(), g.tab_mask.rows(), g.itab_out.rows(),
                       sound};
    merge_set(rules.grown, rules.prov, rules.g);
    run_windows(log, "river construction", rules.g, rules, rules.grown, window);
}
