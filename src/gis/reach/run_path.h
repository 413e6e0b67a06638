// The river path of a finished run, traced again from its skeleton raster with the engine's
// own tracing and the end points its report gives, so that pictures can follow the path.
#ifndef TARVEX_GIS_RUN_PATH_H
#define TARVEX_GIS_RUN_PATH_H

#include <string>
#include <utility>
#include <vector>

#include "results.h"

using GridCell = std::pair<int, int>;  // line, column

struct RunPath {
    std::vector<GridCell> cells;       // from the upper point
    GridCell from{-1, -1}, to{-1, -1};  // the end points the report gives
    GridCell summit{-1, -1};           // the wave's summit, when the run had a wave
};

// Traces the run's path. Fails when the report gives no end points or points outside the
// grid, or when the skeleton leaves no path to trace.
RunPath trace_run_path(const RunResults& r);

// The distance in metres of each cell from the first along the path: a step to a side
// neighbour is one pixel, a diagonal step the square root of 2.
std::vector<double> path_distances(const std::vector<GridCell>& cells, double pixel_m);

#endif
