// The growth passes that spread the river surface from the skeleton over the river mask.
#ifndef TARVEX_RIVER_CONSTRUCTION_H
#define TARVEX_RIVER_CONSTRUCTION_H

#include <cstdint>

#include "console.h"
#include "run_state.h"

// The value a candidate takes from its filled orthogonal neighbours, given their code
// (up 2, right 8, down 32, left 128) and the surface values up, right, down, left. One
// neighbour passes its value on; two adjacent or three neighbours give the truncated mean of
// those holding a real altitude, or no data when none does. Returns false when the code has no
// rule (opposite pairs, all four, none).
bool surface_rule(int jco, const int values[4], int& result);

// Synchronous passes: tab_soul holds the filled set at the start of each pass, tab_soul_prov
// the pass's additions, itab_out the surface. A river-mask cell not yet filled is examined in
// a pass only when a neighbour was filled in the pass before (in the first pass, when it
// touches the filled set), since otherwise its code is the one that already gave no rule.
// Prints the progress counter of each pass.
void river_construction(RunState& st, Console& con);
// The same, run `window` passes at a time (1 to 64; the program runs 64).
void river_construction(RunState& st, Console& con, int window);

#endif
