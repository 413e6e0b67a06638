// The flooding treatment: water spreads sideways from the river over the dry cells lying
// below the neighbouring water level, pass after pass, until nothing changes.
#ifndef TARVEX_FLOOD_BESIDE_RIVER_H
#define TARVEX_FLOOD_BESIDE_RIVER_H

#include "run_state.h"
#include "run_log.h"

// Floods itab_in beside the river and extends the water set tab_mask, by the sound rules
// when `sound` (see SpreadRules), else by the described ones.
void treatment(Grids& g, RunLog& log, bool sound = false);

#endif
