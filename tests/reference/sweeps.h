// The growth passes written the plain way, from the rule tables: every pass sweeps the whole
// grid and applies the rule of each cell's neighbour code. They share no code with the
// program's passes and rules, and are the reference those must match, grid for grid and count
// for count.
#ifndef TARVEX_REFERENCE_SWEEPS_H
#define TARVEX_REFERENCE_SWEEPS_H

#include "run_state.h"
#include "run_log.h"

void river_construction_sweep(Grids& g, RunLog& log);
void flooding_sweep(Grids& g, RunLog& log);

#endif
