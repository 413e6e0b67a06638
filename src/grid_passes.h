// What the growth passes of the river surface and of the flooding share: the pass loop with
// its progress counter, and the frontier of cells to examine in the next pass.
//
// A pass reads the set as it stood at its start and records its additions apart, so the
// outcome of a pass depends only on the cells whose neighbourhood changed in the pass before.
// The frontier lists exactly those cells, each once, so a pass costs time in proportion to the
// changes rather than to the grid.
#ifndef TARVEX_GRID_PASSES_H
#define TARVEX_GRID_PASSES_H

#include <cstdint>
#include <vector>

#include "console.h"
#include "grid_neighbours.h"

// Runs passes until one changes nothing. Before each pass the count of the previous one is
// shown on one console line (500 before the first); the last count, 0, is not shown.
template <typename Pass>
void run_passes(Console& con, Pass pass) {
    long long modif = 500;
    while (modif > 0) {
        con.say("\t    modif = %lld     \r    ", modif);
        modif = pass();
    }
}

using CellIndex = std::uint64_t;
using CellList = std::vector<CellIndex>;

struct GridShape {
    int nb_lig, nb_col;
    CellIndex index(int i, int j) const { return static_cast<CellIndex>(i) * nb_col + j; }
    int line(CellIndex c) const { return static_cast<int>(c / nb_col); }
    int column(CellIndex c) const { return static_cast<int>(c % nb_col); }
};

// True when a neighbour of (i, j) other than `except`, earlier in the order up, right, down,
// left, is changed: then that neighbour lists (i, j), not `except`.
template <typename Changed>
bool listed_by_earlier(GridShape g, int i, int j, int except_n, Changed changed) {
    for (int n = 0; n < except_n; ++n) {
        const int ni = i + kOrthoDi[n], nj = j + kOrthoDj[n];
        if (in_grid(ni, nj, g.nb_lig, g.nb_col) && changed(ni, nj)) return true;
    }
    return false;
}

// Appends to `next`, once each, the neighbours (i, j) of the changed cells for which
// wanted(i, j) holds. changed(i, j) tells whether a cell is one of the changed ones.
template <typename Wanted, typename Changed>
void list_neighbours(const CellList& cells, GridShape g, Wanted wanted, Changed changed,
                     CellList& next) {
    for (CellIndex c : cells) {
        const int i = g.line(c), j = g.column(c);
        for (int n = 0; n < 4; ++n) {
            const int ni = i + kOrthoDi[n], nj = j + kOrthoDj[n];
            if (!in_grid(ni, nj, g.nb_lig, g.nb_col) || !wanted(ni, nj)) continue;
            // Seen from (ni, nj), the changed cell (i, j) is neighbour (n + 2) % 4.
            if (!listed_by_earlier(g, ni, nj, (n + 2) % 4, changed)) next.push_back(g.index(ni, nj));
        }
    }
}

// Every cell of the grid for which wanted(i, j) holds, in line order.
template <typename Wanted>
CellList list_cells(GridShape g, Wanted wanted) {
    CellList cells;
    for (int i = 0; i < g.nb_lig; ++i) {
        for (int j = 0; j < g.nb_col; ++j) {
            if (wanted(i, j)) cells.push_back(g.index(i, j));
        }
    }
    return cells;
}

#endif
