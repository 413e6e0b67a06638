// The figures of a flood: the flooded area beyond the river mask, the flood volume, the
// greatest and the mean depth.
#ifndef TARVEX_GIS_STATS_H
#define TARVEX_GIS_STATS_H

#include <string>

int flood_stats(const std::string& base, const std::string& dem, const std::string& unit, bool json);

#endif
