// The straightforward passes: every pass sweeps the whole grid. They are the reference the
// frontier-driven passes of the program must match, grid for grid and count for count.
#ifndef TARVEX_REFERENCE_SWEEPS_H
#define TARVEX_REFERENCE_SWEEPS_H

#include "console.h"
#include "run_state.h"

void river_construction_sweep(RunState& st, Console& con);
void flooding_sweep(RunState& st, Console& con);

#endif
