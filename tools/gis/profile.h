// An SVG plot of a run's river profile table: the linear and the final altitude along the path.
#ifndef TARVEX_GIS_PROFILE_H
#define TARVEX_GIS_PROFILE_H

#include <string>

int profile_svg(const std::string& base, const std::string& out, const std::string& unit, bool overwrite);

#endif
