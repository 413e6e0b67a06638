// Taking results out: a result raster as a compressed GeoTIFF with the georeferencing of the
// imported DEM, or the flood depth in metres.
#ifndef TARVEX_GIS_EXPORTS_H
#define TARVEX_GIS_EXPORTS_H

#include <string>

int export_result(const std::string& result, const std::string& out, const std::string& like,
                  const std::string& depth_dem, const std::string& unit, bool overwrite);

#endif
