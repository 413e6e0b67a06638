// What the growth passes of the river surface and of the flooding share: the pass loop with
// its progress counter, and the frontier of cells to examine in the next pass.
//
// A pass reads the set as it stood at its start and records its additions apart, so the
// outcome of a pass depends only on the cells whose neighbourhood changed in the pass before.
// The frontier lists exactly those cells, each once, so a pass costs time in proportion to the
// changes rather than to the grid.
#ifndef TARVEX_GRID_PASSES_H
#define TARVEX_GRID_PASSES_H

#include <algorithm>
#include <cstdint>
#include <cstring>
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

// Asks for the three lines around cell c of a grid ahead of their use: the lists of a pass are
// in line order, so the cells a few entries ahead are known, and a front crossing many lines
// would otherwise wait on memory at every cell.
inline void prefetch(const void* address) {
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(address);
#else
    (void)address;  // a hint only: compilers without it just wait for the line
#endif
}

template <typename T>
inline void prefetch_around(T* const* grid, GridShape g, CellIndex c) {
    const int i = g.line(c), j = g.column(c);
    if (i > 0) prefetch(&grid[i - 1][j]);
    prefetch(&grid[i][j]);
    if (i + 1 < g.nb_lig) prefetch(&grid[i + 1][j]);
}

constexpr std::size_t kPrefetchAhead = 16;

// Prefetches, in each of the grids, the lines around the cell kPrefetchAhead entries after
// entry k of a list.
template <typename... Grids>
inline void prefetch_ahead(const CellList& cells, std::size_t k, GridShape g, Grids... grids) {
    if (k + kPrefetchAhead >= cells.size()) return;
    (prefetch_around(grids, g, cells[k + kPrefetchAhead]), ...);
}

// Lists the neighbours of changed cells for the next pass, once each and in line order, so
// that each pass walks the grids in memory order. The neighbours in one direction of cells in
// line order are themselves in line order, so four such lists merge in linear time, and a
// cell listed from two of its neighbours appears twice in a row, where it is dropped.
class NeighbourLister {
public:
    // Grids read by the `wanted` test, to prefetch around each cell.
    void watch(unsigned char* const* a, unsigned char* const* b) {
        watched_[0] = a;
        watched_[1] = b != nullptr ? b : a;
    }

    // Sets `next` to the neighbours (i, j) of `cells` (in line order) for which wanted(i, j)
    // holds, together with the cells of `extra` (in line order), each once.
    template <typename Wanted>
    void list(const CellList& cells, GridShape g, Wanted wanted, const CellList& extra, CellList& next) {
        for (CellList& d : by_direction_) d.clear();
        for (std::size_t k = 0; k < cells.size(); ++k) {
            if (watched_[0] != nullptr) prefetch_ahead(cells, k, g, watched_[0], watched_[1]);
            const CellIndex c = cells[k];
            const int i = g.line(c), j = g.column(c);
            for (int n = 0; n < 4; ++n) {
                const int ni = i + kOrthoDi[n], nj = j + kOrthoDj[n];
                if (in_grid(ni, nj, g.nb_lig, g.nb_col) && wanted(ni, nj)) {
                    by_direction_[n].push_back(g.index(ni, nj));
                }
            }
        }
        merge_into(by_direction_[0], by_direction_[1], first_);
        merge_into(by_direction_[2], by_direction_[3], second_);
        merge_into(first_, second_, both_);
        merge_into(both_, extra, next);
        next.erase(std::unique(next.begin(), next.end()), next.end());
    }

private:
    static void merge_into(const CellList& a, const CellList& b, CellList& out) {
        out.resize(a.size() + b.size());
        std::merge(a.begin(), a.end(), b.begin(), b.end(), out.begin());
    }

    CellList by_direction_[4];
    CellList first_, second_, both_;
    unsigned char* const* watched_[2] = {nullptr, nullptr};
};

// Every cell of a byte grid that is set (== 1), in line order.
inline CellList set_cells(unsigned char* const* grid, GridShape g) {
    CellList cells;
    for (int i = 0; i < g.nb_lig; ++i) {
        const unsigned char* row = grid[i];
        const unsigned char* end = row + g.nb_col;
        for (const unsigned char* p = row; (p = static_cast<const unsigned char*>(
                                                std::memchr(p, 1, static_cast<std::size_t>(end - p)))) != nullptr;
             ++p) {
            cells.push_back(g.index(i, static_cast<int>(p - row)));
        }
    }
    return cells;
}

// Sets every cell of `set` that is set in `additions`.
inline void merge_set(unsigned char* const* set, unsigned char* const* additions, GridShape g) {
    for (int i = 0; i < g.nb_lig; ++i) {
        unsigned char* to = set[i];
        const unsigned char* from = additions[i];
        for (int j = 0; j < g.nb_col; ++j) to[j] = (from[j] == 1) ? 1 : to[j];
    }
}

#endif
