// The growth passes that spread the river surface from the skeleton over the river mask.
#ifndef TARVEX_RIVER_CONSTRUCTION_H
#define TARVEX_RIVER_CONSTRUCTION_H

#include "grid_neighbours.h"
#include "grid_passes.h"
#include "run_state.h"
#include "run_log.h"

// The value a candidate takes from its filled orthogonal neighbours `set` (direction bits)
// with the surface values up, right, down, left (those of other neighbours are not looked
// at). One neighbour passes its value on; two adjacent or three neighbours give the truncated
// mean of those holding a real altitude, or no data when none does. Returns false when the
// pattern has no rule (opposite pairs, all four, none).
// Under the sound rules (`sound`) any arrangement of filled neighbours gives the mean.
inline bool surface_by_bits(int set, int up, int right, int down, int left, int& result, bool sound = false) {
    const Pattern pattern = kPatterns[set];
    if (sound ? set == 0 : pattern == Pattern::none) return false;
    if (pattern == Pattern::one) {
        result = set == kUp ? up : (set == kRight ? right : (set == kDown ? down : left));
        return true;
    }
    const int data = set & ((up != kNoData ? kUp : 0) | (right != kNoData ? kRight : 0) |
                            (down != kNoData ? kDown : 0) | (left != kNoData ? kLeft : 0));
    result = data == 0 ? kNoData : mean_of(masked_sum(data, up, right, down, left), kBits[data]);
    return true;
}

// The same for filled neighbours given by their code (up 2, right 8, down 32, left 128) and
// values[] (up, right, down, left).
inline bool surface_rule(int jco, const int values[4], int& result, bool sound = false) {
    return surface_by_bits(code_bits(jco), values[0], values[1], values[2], values[3], result, sound);
}

// Synchronous passes: tab_soul holds the filled set at the start of each pass, tab_soul_prov
// the pass's additions, itab_out the surface. A river-mask cell not yet filled is examined in
// a pass only when a neighbour was filled in the pass before (in the first pass, when it
// touches the filled set), since otherwise its code is the one that already gave no rule.
// Prints the progress counter of each pass; runs `window` passes at a time (1 to kMaxPasses).
// `sound` chooses the sound rules.
void river_construction(Grids& g, RunLog& log, int window = kMaxPasses, bool sound = false);

#endif
