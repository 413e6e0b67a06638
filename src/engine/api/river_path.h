// The river path of a skeleton between two points, traced as a run traces it. Public: the GIS
// traces the path of a finished run again, from its skeleton raster, to draw and measure it.
#ifndef TARVEX_RIVER_PATH_H
#define TARVEX_RIVER_PATH_H

#include <vector>

#include "engine.h"

struct SkeletonPath {
    std::vector<GridPoint> cells;  // from the upper point, one per path position
    double length_m = 0.0;         // along the path: a side step one pixel, a diagonal one √2
};

// Removes from `skeleton` (1 on its pixels) the right-angle elbows a run removes before it
// traces its path, setting them to 0.
void remove_elbows(ByteGrid& skeleton);

// Traces the path of `skeleton` (1 on its pixels) from `upper` towards `lower`, its elbows
// thinned as a run thins them. Throws Stop, with the run's message, when the points are not two
// cells of the grid or when the skeleton leaves no path to follow (fewer than two pixels, an
// upper point without a skeleton neighbour); a skeleton that ends before `lower` gives the path
// found as far as it goes.
SkeletonPath trace_skeleton_path(ByteGrid skeleton, GridPoint upper, GridPoint lower, double pixel_m);

#endif
