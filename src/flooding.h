// The flooding passes: water spreads from the river to dry cells lying below it.
#ifndef TARVEX_FLOODING_H
#define TARVEX_FLOODING_H

#include "console.h"
#include "run_state.h"

// What one pass does to a dry cell at `level` whose water neighbours have the code jco (up 2,
// right 8, down 32, left 128) and the levels values[] (up, right, down, left). Only strictly
// higher neighbours raise a cell: one, or two adjacent ones, raise it to their level or mean
// and it joins the water; three raise it to the truncated mean of the higher ones and it stays
// dry. Opposite pairs, four and none change nothing.
struct FloodChange {
    bool raised = false;
    bool joins = false;
    int level = 0;
};
FloodChange flood_rule(int jco, int level, const int values[4]);

// Synchronous passes: tab_mask is the water set at the start of each pass, tab_mask_prov with
// the pass's additions, itab_in the levels. A dry cell is examined in a pass only when a
// neighbour joined the water in the pass before or when it climbed itself (the three-neighbour
// rule); in the first pass, when it touches the water. Prints the progress counter.
void flooding(RunState& st, Console& con);

#endif
