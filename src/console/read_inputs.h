// The loading stage of a console run: the three input rasters read into grids of the mask's
// size.
#ifndef TARVEX_READ_INPUTS_H
#define TARVEX_READ_INPUTS_H

#include "console.h"
#include "engine.h"
#include "opening.h"

// Reads the mask, skeleton and DEM rasters opened by the opening stage and closes them. A
// raster shorter than its grid leaves the cells it does not reach at 0; a longer one is read
// only as far as the grid reaches. A read that fails, or grids the memory cannot hold, are
// fatal stops.
Inputs lecture(RunFiles& files, Console& con);

#endif
