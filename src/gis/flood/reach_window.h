// The window of a DEM a reach is run in: the box of the reach with a margin around it, grown
// while the flood reaches one of its sides, so that a reach of a national mosaic reads and holds
// only the cells its flood needs, and floods as it would on the whole DEM.
#ifndef TARVEX_GIS_REACH_WINDOW_H
#define TARVEX_GIS_REACH_WINDOW_H

#include <string>

#include "engine.h"
#include "flood_setup.h"

// The cells of the whole DEM `dem` the reach needs: the points given (--from, --to, the wave's
// summit), each of which must lie on the DEM, and, unless both ends are given, the cells under
// the centreline's extent; fails when that lies wholly outside the DEM.
Piece reach_box(const FloodOptions& o, const DemGrid& dem);

// The smallest box holding both (either may have no cells).
Piece joined(const Piece& a, const Piece& b);

// `box` widened by `margin_m` on each side (cells of `pixel_m`), within the DEM.
Piece window_around(const Piece& box, double margin_m, double pixel_m, const DemGrid& dem);

// Whether a wet cell of the run lies on a side of the reach's window that is not an edge of the
// DEM: the flood may go on beyond the window, and a larger one is needed.
bool flood_leaves_window(const Reach& r, const Results& results);

// The window for people: "1200 x 800 cells from line 300, column 4000 of the DEM's 100000 x
// 100000 (x 500000.0 to 504000.0, y ...), a margin of 2000 m, 2 runs".
std::string window_text(const Reach& r);

#endif
