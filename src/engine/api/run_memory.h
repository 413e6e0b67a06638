// What a run needs in memory, told before anything is allocated for it.
// Public: the GIS tells, before it runs the engine, whether the machine has the memory for it.
#ifndef TARVEX_RUN_MEMORY_H
#define TARVEX_RUN_MEMORY_H

#include <cstdint>

// The bytes a run of nb_lig lines and nb_col columns needs at most: the grids it holds at once
// (11 bytes a cell, with the row pointers and the allocation of each line; the river surface,
// which holds only the lines' spans along the river, counted as whole lines, the most it can
// take) and the expected size of the cell lists of the passes (every pass of a window holding
// a few lines of raised cells and a front as long as the grid's sides).
std::uint64_t run_memory_need(int nb_lig, int nb_col);

#endif
