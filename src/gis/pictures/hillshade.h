// The hillshade of a map's ground, computed by GDAL's DEM processing.
#ifndef TARVEX_GIS_HILLSHADE_H
#define TARVEX_GIS_HILLSHADE_H

#include <vector>

// The light on each cell of a grid of `lines` x `cols` ground values in metres (line by line,
// NaN where there is no ground), cells `cell_m` metres apart: from 0 (in the shadow) to 1
// (facing the light), lit from the north-west 45 degrees above the horizon; NaN where there is
// no ground. A neighbour without ground counts as level with the cell, and so does the
// missing neighbour of a cell at the grid's edge.
std::vector<float> hillshade(std::vector<float> ground, int lines, int cols, double cell_m);

#endif
