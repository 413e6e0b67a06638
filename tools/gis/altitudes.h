// Altitudes of a raster in metres brought to DEM units, as the dialog converts typed altitudes.
#ifndef TARVEX_GIS_ALTITUDES_H
#define TARVEX_GIS_ALTITUDES_H

#include <cstdint>
#include <string>

#include "gdal_raster.h"
#include "grid.h"

// An altitude in metres as DEM units, converted as the dialog converts a typed altitude: the
// exact product with the unit's factor, truncated toward zero. The value of a single-precision
// raster is taken as the decimal it stands for (9.9, not 9.8999996185). The extreme 32-bit
// values are left to no data.
std::int32_t to_dem_value(double metres, bool single, int factor, const std::string& src);

// The DEM `r` in DEM units (`factor` a metre), its cells without data at `nodata_out`; fails
// when no cell holds an altitude. Read in pieces into the grid, which it fills whole.
IntGrid load_dem(const GdalRaster& r, int factor, std::int32_t nodata_out);

#endif
