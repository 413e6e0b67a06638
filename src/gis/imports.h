// Bringing rasters in: a DEM of any format GDAL reads becomes NAME_m4.raw and its descriptor;
// a mask or a skeleton (a raster, or a vector layer burnt on the DEM's grid) becomes NAME.raw.
// Each gets an ENVI header, so GDAL and QGIS open the raw file with its georeferencing.
#ifndef TARVEX_GIS_IMPORTS_H
#define TARVEX_GIS_IMPORTS_H

#include <string>

// A DEM: its values brought to metres by its band's scale, offset and vertical unit (`z_unit`,
// "m", "ft" or "us-ft", in place of the file's; "" for the file's), then to `unit`.
int import_dem(const std::string& src, const std::string& name, const std::string& unit, const std::string& z_unit,
               double nodata_out, bool overwrite);
// A mask (polygons, when vector) or a skeleton (lines); `like` is a DEM_m4.raw giving the grid.
int import_byte_raster(const std::string& src, const std::string& name, const std::string& like, bool mask,
                       bool overwrite);

#endif
