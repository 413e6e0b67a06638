// The flooding treatment: water spreads sideways from the river over the dry cells lying
// below the neighbouring water level, pass after pass, until nothing changes.
#ifndef TARVEX_TREATMENT_H
#define TARVEX_TREATMENT_H

#include "run_state.h"
#include "trace.h"

// Floods itab_in beside the river and extends the water set tab_mask.
void treatment(Grids& g, RunLog& log);

#endif
