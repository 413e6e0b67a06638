// The stages of a run, in the order `main` calls them. Each works on the run state and talks
// through the console; a stage either returns or ends the process with a fatal stop.
#ifndef TARVEX_STAGES_H
#define TARVEX_STAGES_H

#include "console.h"
#include "run_state.h"

void opening(RunState& st, Console& con);               // banner, files, grids
void lecture(RunState& st, Console& con);               // load the three input rasters
void parameters(RunState& st, Console& con);            // the parameter dialog
bool gauss(RunState& st, Console& con);                 // fit the Gaussian wave
void suiv_cont(RunState& st, Console& con);             // trace the skeleton, measure the river
void create_river_surface(RunState& st, Console& con);  // build and burn the river surface
void treatment(RunState& st, Console& con);             // flood beside the river
void save(RunState& st, Console& con);                  // write the two result rasters

// Closes the run report at the end of a completed run.
void finish(RunState& st, Console& con);

// One run: the six stages in their fixed order, then the report closed. Returns the exit
// status of a completed run, 0; a fatal stop ends the run inside a stage.
int run(RunState& st, Console& con);

// Gives back the grids and vectors of a run, and closes the files it left open.
void release_run(RunState& st);

#endif
