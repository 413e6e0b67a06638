// The writing stage of a console run: the five result files written from the engine's results
// (result_files.h) and committed together.
#ifndef TARVEX_SAVE_H
#define TARVEX_SAVE_H

#include "console.h"
#include "engine.h"
#include "opening.h"

// Writes the flooded DEM and its descriptor, the profile table, the flood extent and its
// descriptor followed by the run report, then moves the five into place. A write that fails
// is a fatal stop naming the file; the previous results of the name then stay as they were.
void save(RunFiles& files, const Results& results, Console& con);

#endif
