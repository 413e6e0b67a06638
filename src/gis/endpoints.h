// The end and branch pixels of a river skeleton, for users of the console dialog.
#ifndef TARVEX_GIS_ENDPOINTS_H
#define TARVEX_GIS_ENDPOINTS_H

#include <string>

// Lists the end and branch pixels of the skeleton raster `centreline` (as the engine sees it,
// its elbows thinned) with line, column, map coordinates and, with `dem`, ground altitude.
int endpoints_command(const std::string& centreline, const std::string& dem);

#endif
