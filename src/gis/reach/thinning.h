// Thinning a set of cells to a line the engine can follow: one pixel wide, 8-connected, its
// ends kept. A cell is set when it is not 0; a cell outside the grid never is.
#ifndef TARVEX_GIS_THINNING_H
#define TARVEX_GIS_THINNING_H

#include "grid.h"
#include "neighbours.h"


inline bool is_set(const ByteGrid& g, int i, int j) {
    return i >= 0 && j >= 0 && i < g.nb_lig() && j < g.nb_col() && g[i][j] != 0;
}

// The set neighbours of (i, j) as a ring code (sum of their weights).
int ring_code(const ByteGrid& g, int i, int j);

// The number of neighbours in a ring code.
int ring_count(int code);

// Thins the set cells to lines one pixel wide: pass after pass, border cells are peeled from
// the north, south, east and west in turn, one layer a pass, keeping every cell whose removal
// would disconnect or pierce what is left and every end of a line. What remains has no cell
// that could go without changing the shape's connections, so no right-angle elbow either, on
// the border of the grid too. Cells kept are 1, others 0.
void thin_lines(ByteGrid& g);

#endif
