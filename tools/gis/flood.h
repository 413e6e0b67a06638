// tarvex-gis flood: one command from GIS data to a complete, checked flood of a river reach.
#ifndef TARVEX_GIS_FLOOD_H
#define TARVEX_GIS_FLOOD_H

#include <map>
#include <string>

// The command's options by name (--dem, --river, --mask or --width, --from, --to, --level-from,
// --level-to, --layer, --wave, --unit, --out, --extent, --overwrite).
int flood_command(const std::map<std::string, std::string>& options);

#endif
