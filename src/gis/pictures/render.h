// The flood map of a run as a picture: a hillshade of the ground the run started from, the
// flood's depth in a colour ramp with its legend, the river path and its end points, a scale
// bar, a north arrow and a title.
#ifndef TARVEX_GIS_RENDER_H
#define TARVEX_GIS_RENDER_H

#include <string>

// The picture is a PNG, an SVG or a PDF by the extension of `out`; any other is refused.
// `extent` is "flood" (the flood's box with a margin) or "full" (the whole grid). `unit` is
// the DEM's unit, by which the altitudes become metres.
int render_map(const std::string& base, const std::string& out, const std::string& unit, bool overwrite,
               const std::string& extent = "flood");

#endif
