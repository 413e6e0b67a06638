// A flood folder of tarvex-gis flood as an evaluation reads it: where its window lies in the
// DEM, the DEM's ground there (the cells with data are the cells a map can be scored on, and
// the hillshade of the agreement map), and the cells its map floods.
#ifndef TARVEX_GIS_FLOOD_GROUND_H
#define TARVEX_GIS_FLOOD_GROUND_H

#include <cmath>
#include <string>
#include <vector>

#include "centreline.h"
#include "grid.h"

struct FloodGround {
    DemGrid grid;   // the flood's window, placed within the DEM
    double pixel_m = 1;
    std::string dem;  // the file the ground was read from
    std::vector<float> ground;  // metres, line after line; NaN where the DEM has no data
    bool has_ground(int i, int j) const {
        return !std::isnan(ground[static_cast<std::size_t>(i) * static_cast<std::size_t>(grid.cols) + j]);
    }
};

// The window and ground of the flood folder `folder`. The ground is the DEM the folder was
// flooded from: its own copy of the window (run/images/reach/dem_m4.raw, under the described
// rules and not cut at the ends, where it is the DEM's window), else the DEM its
// run/scenario.json names, or `dem_given` (--dem) in place of either.
// A DEM named or given must have the grid the flood was run on. Fails, with the way out, when
// the folder's DEM cannot be found.
FloodGround read_flood_ground(const std::string& folder, const std::string& dem_given);

// The cells the flood of `folder` floods (its extent.tif at 1), on `grid`; fails when the
// extent is not on that grid.
ByteGrid read_flood_water(const std::string& folder, const DemGrid& grid);

// The words of a command line as the shell reads them ('...' quoted, '\'' for a quote in it).
std::vector<std::string> shell_words(const std::string& line);

#endif
