// A flood library: one run of a reach per water layer thickness, over inputs read once and
// shared, several runs at once; each level's folder as a single run writes it, and the whole
// library in one raster (stage.tif), library.json and library.png.
#ifndef TARVEX_GIS_FLOOD_LIBRARY_H
#define TARVEX_GIS_FLOOD_LIBRARY_H

#include "flood_setup.h"

int flood_library(const FloodOptions& o);

#endif
