// The flooding passes: water spreads from the river to dry cells lying below it.
#ifndef TARVEX_FLOODING_H
#define TARVEX_FLOODING_H

#include <cstdint>

#include "console.h"
#include "grid_neighbours.h"
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
inline FloodChange flood_rule(int jco, int level, const int values[4]) {
    FloodChange change;
    bool joins = true;
    switch (jco) {
        case 2: case 8: case 32: case 128:    // one neighbour
        case 10: case 40: case 160: case 130:  // two adjacent ones
            break;
        case 42: case 168: case 162: case 138:  // three
            joins = false;
            break;
        default:
            return change;
    }
    std::int64_t itot = 0;  // three 32-bit levels overflow 32 bits
    int lco = 0;
    for (int n = 0; n < 4; ++n) {
        if ((jco & kOrthoWeight[n]) != 0 && values[n] > level) {
            itot += values[n];
            ++lco;
        }
    }
    if (lco == 0) return change;
    change.raised = true;
    change.joins = joins;
    // A mean of 32-bit levels fits 32 bits; the divisions truncate toward zero.
    change.level = static_cast<int>(lco == 1 ? itot : (lco == 2 ? itot / 2 : itot / 3));
    return change;
}

// Synchronous passes: tab_mask is the water set at the start of each pass, tab_mask_prov with
// the pass's additions, itab_in the levels. A dry cell is examined in a pass only when a
// neighbour joined the water in the pass before or when it climbed itself (the three-neighbour
// rule); in the first pass, when it touches the water. Prints the progress counter.
void flooding(RunState& st, Console& con);
// The same, run `window` passes at a time (1 to 64; the program runs 64).
void flooding(RunState& st, Console& con, int window);

#endif
