// A PNG map of a run: a hillshade of the flooded DEM, the flood extent in translucent blue,
// the river mask darker, the river skeleton on top.
#ifndef TARVEX_GIS_RENDER_H
#define TARVEX_GIS_RENDER_H

#include <string>

// `extent` is "flood" (the flood's box with a margin) or "full" (the whole grid).
int render_png(const std::string& base, const std::string& out, const std::string& unit, bool overwrite,
               const std::string& extent = "flood");

#endif
