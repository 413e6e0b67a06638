// The river profile of a run as a plot: the ground along the river path, the linear profile
// and the final water surface against the distance along the path in metres; an SVG, a PNG or
// a PDF by the extension of the output's name (any other is refused).
#ifndef TARVEX_GIS_PROFILE_H
#define TARVEX_GIS_PROFILE_H

#include <string>

// `unit` is the DEM's unit, by which altitudes become metres; empty leaves them in DEM units.
int render_profile(const std::string& base, const std::string& out, const std::string& unit, bool overwrite);

#endif
