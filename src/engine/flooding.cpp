// The flooding passes: water spreads sideways from the river surface, pass after pass,
// over dry cells lying below the neighbouring water level.
#include "flooding.h"


namespace {

// One flooding pass applied to a dry cell; a raised cell that joins the water enters it (and
// tab_mask_prov) once the pass is done with its neighbours.
// The growing set is the water (tab_mask).
struct FloodRules : GrowingSet {
    GridShape g;
    int* const* level;
    bool sound;

    bool wanted(int i, int j) const { return grown[i][j] != 1; }

    Change examine(int i, int j, int& open) const {
        if (i == 0 || j == 0 || i + 1 == g.nb_lig || j + 1 == g.nb_col) return examine_by_code(i, j, open);
        // Away from the border all four neighbours exist: the rule reads them in one go.
        int* row = level[i];
        const int set = inner_set_bits(grown, i, j);
        if (sound ? set == 0 : kPatterns[set] == Pattern::none) return Change::none;  // before reading any level
        const FloodChange change =
            flood_by_bits(set, row[j], level[i - 1][j], row[j + 1], level[i + 1][j], row[j - 1], sound);
        if (!change.raised) return Change::none;
        row[j] = change.level;
        if (!change.joins) return Change::climbs;
        open = set ^ kAllDirections;
        return Change::joins;
    }

    Change examine_by_code(int i, int j, int& open) const {
        const int jco = orthogonal_code(grown, g.nb_lig, g.nb_col, i, j);
        int values[4] = {0, 0, 0, 0};
        coded_values(level, jco, i, j, values);
        const FloodChange change = flood_rule(jco, level[i][j], values, sound);
        if (!change.raised) return Change::none;
        level[i][j] = change.level;
        if (!change.joins) return Change::climbs;
        open = open_directions(jco, i, j, g);
        return Change::joins;
    }
};

}  // namespace

void flooding(Grids& g, RunLog& log, int window, bool sound) {
    FloodRules rules{{g.tab_mask.rows(), g.tab_mask_prov.rows()}, g.shape(), g.itab_in.rows(), sound};
    merge_set(rules.grown, rules.prov, rules.g);
    run_windows(log, "flooding", rules.g, rules, rules.grown, window);
}
