// tarvex-gis flood --discharge Q: the flood whose discharge by Manning's formula over the reach
// is Q, its layer found by full runs of the flood.
#ifndef TARVEX_GIS_DISCHARGE_RUN_H
#define TARVEX_GIS_DISCHARGE_RUN_H

#include "flood.h"

// Every run is the reach's flood at a layer, in a window grown as the thickest layer tried
// needs; the one found is written in `place` with the discharge asked, reached and the runs.
FloodRun flood_for_discharge(const FloodOptions& o, const FloodPlace& place, const ProgressFn& progress);

#endif
