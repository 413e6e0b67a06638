// The flooding passes: water spreads from the river to dry cells lying below it.
#ifndef TARVEX_FLOODING_H
#define TARVEX_FLOODING_H

#include "grid_neighbours.h"
#include "grid_passes.h"
#include "run_state.h"
#include "run_log.h"

// What one pass does to a dry cell at level z whose water neighbours are `set` (direction
// bits) with the levels up, right, down, left (those of other neighbours are not looked at).
// Only strictly higher neighbours raise a cell: one, or two adjacent ones, raise it to their
// level or mean and it joins the water; three raise it to the truncated mean of the higher
// ones and it stays dry. Opposite pairs, four and none change nothing.
struct FloodChange {
    bool raised = false;
    bool joins = false;
    int level = 0;
};
// Under the sound rules (`sound`) any arrangement of water neighbours counts, and every raised
// cell joins the water.
inline FloodChange flood_by_bits(int set, int z, int up, int right, int down, int left, bool sound = false) {
    FloodChange change;
    const Pattern pattern = kPatterns[set];
    if (sound ? set == 0 : pattern == Pattern::none) return change;
    const int higher = set & ((up > z ? kUp : 0) | (right > z ? kRight : 0) | (down > z ? kDown : 0) |
                              (left > z ? kLeft : 0));
    if (higher == 0) return change;
    change.raised = true;
    change.joins = sound || pattern != Pattern::three;
    change.level = mean_of(masked_sum(higher, up, right, down, left), kBits[higher]);
    return change;
}

// The same for water neighbours given by their code jco (up 2, right 8, down 32, left 128)
// and levels values[] (up, right, down, left).
inline FloodChange flood_rule(int jco, int level, const int values[4], bool sound = false) {
    return flood_by_bits(code_bits(jco), level, values[0], values[1], values[2], values[3], sound);
}

// Synchronous passes: tab_mask is the water set at the start of each pass, tab_mask_prov with
// the pass's additions, itab_in the levels. A dry cell is examined in a pass only when a
// neighbour joined the water in the pass before or when it climbed itself (the three-neighbour
// rule); in the first pass, when it touches the water. Prints the progress counter of each
// pass; runs `window` passes at a time (1 to kMaxPasses). `sound` chooses the sound rules.
void flooding(Grids& g, RunLog& log, int window = kMaxPasses, bool sound = false);

#endif
