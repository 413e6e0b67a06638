// The flooding treatment: water spreads sideways from the river surface, pass after pass,
// over dry cells lying below the neighbouring water level.
#include "flooding.h"

#include <cstdint>
#include <cstring>

#include "grid_neighbours.h"
#include "grid_passes.h"
#include "stages.h"

namespace {

// What the rule can do to a dry cell, by its water neighbours (up 1, right 2, down 4, left 8):
// one or two adjacent ones may let it join, three may make it climb, opposite pairs and all
// four do nothing.
constexpr Change kFloodKind[16] = {
    Change::none,  Change::joins,  Change::joins,  Change::joins,   // -, u, r, ur
    Change::joins, Change::none,   Change::joins,  Change::climbs,  // d, ud, rd, urd
    Change::joins, Change::joins,  Change::none,   Change::climbs,  // l, ul, rl, url
    Change::joins, Change::climbs, Change::climbs, Change::none,    // dl, udl, rdl, urdl
};

// The number of bits set in a 4-bit pattern.
constexpr int kBits[16] = {0, 1, 1, 2, 1, 2, 2, 3, 1, 2, 2, 3, 2, 3, 3, 4};

// One flooding pass applied to a dry cell; a raised cell that joins the water enters it (and
// tab_mask_prov) once the pass is done with its neighbours.
struct FloodRules {
    GridShape g;
    unsigned char* const* water;
    unsigned char* const* prov;
    int* const* level;

    bool wanted(int i, int j) const { return water[i][j] != 1; }

    Change examine(int i, int j, int& open) const {
        if (i == 0 || j == 0 || i + 1 == g.nb_lig || j + 1 == g.nb_col) return examine_by_code(i, j, open);
        // Away from the border all four neighbours exist: the same rule, read in one go.
        const unsigned char* water_row = water[i];
        int* row = level[i];
        const int up = level[i - 1][j], right = row[j + 1], down = level[i + 1][j], left = row[j - 1];
        const int set = (water[i - 1][j] == 1 ? kUp : 0) | (water_row[j + 1] == 1 ? kRight : 0) |
                        (water[i + 1][j] == 1 ? kDown : 0) | (water_row[j - 1] == 1 ? kLeft : 0);
        const Change kind = kFloodKind[set];
        if (kind == Change::none) return kind;
        const int z = row[j];
        // The water neighbours above the cell, as bits and as all-ones masks (no branches: the
        // comparisons go either way from cell to cell).
        const int higher = (set & kUp & -static_cast<int>(up > z)) | (set & kRight & -static_cast<int>(right > z)) |
                           (set & kDown & -static_cast<int>(down > z)) | (set & kLeft & -static_cast<int>(left > z));
        if (higher == 0) return Change::none;
        const std::int64_t itot = std::int64_t{up & -(higher & kUp)} + std::int64_t{right & -((higher >> 1) & 1)} +
                                  std::int64_t{down & -((higher >> 2) & 1)} + std::int64_t{left & -((higher >> 3) & 1)};
        const int lco = kBits[higher];
        row[j] = static_cast<int>(lco == 1 ? itot : (lco == 2 ? itot / 2 : itot / 3));
        if (kind == Change::joins) open = set ^ (kUp | kRight | kDown | kLeft);
        return kind;
    }

    Change examine_by_code(int i, int j, int& open) const {
        const int jco = orthogonal_code(water, g.nb_lig, g.nb_col, i, j);
        int values[4] = {0, 0, 0, 0};
        coded_values(level, jco, i, j, values);
        const FloodChange change = flood_rule(jco, level[i][j], values);
        if (!change.raised) return Change::none;
        level[i][j] = change.level;
        if (!change.joins) return Change::climbs;
        open = open_directions(jco, i, j, g);
        return Change::joins;
    }

    void commit(int i, int j) const {
        water[i][j] = 1;
        prov[i][j] = 1;
    }
};

}  // namespace

void flooding(RunState& st, Console& con) { flooding(st, con, kMaxPasses); }

void flooding(RunState& st, Console& con, int window) {
    // Local copies: stores into the byte grids could otherwise alias the run state's members.
    FloodRules rules{GridShape{st.nb_lig, st.nb_col}, st.tab_mask, st.tab_mask_prov, st.itab_in};
    merge_set(rules.water, rules.prov, rules.g);
    run_windows(con, rules.g, rules, rules.water, window);
}

void treatment(RunState& st, Console& con) {
    if (st.f1 != nullptr) std::fclose(st.f1);
    st.f1 = nullptr;
    con.say("\n\n Last Treatment \n");
    copy_grid(st.tab_mask_prov, st.tab_mask, GridShape{st.nb_lig, st.nb_col});
    con.say("\n");
    flooding(st, con);
}
