// The commands of tarvex-gis. Each returns the exit status (0) or fails with a message.
#ifndef TARVEX_GIS_COMMANDS_H
#define TARVEX_GIS_COMMANDS_H

#include <string>

int import_dem(const std::string& src, const std::string& name, const std::string& unit, double nodata_out,
               bool overwrite);
// A mask (polygons, when vector) or a skeleton (lines); `like` is a DEM_m4.raw giving the grid.
int import_byte_raster(const std::string& src, const std::string& name, const std::string& like, bool mask,
                       bool overwrite);
int export_result(const std::string& result, const std::string& out, const std::string& like,
                  const std::string& depth_dem, const std::string& unit, bool overwrite);
int flood_stats(const std::string& base, const std::string& dem, const std::string& unit, bool json);
int render_png(const std::string& base, const std::string& out, const std::string& unit, bool overwrite);
int profile_svg(const std::string& base, const std::string& out, const std::string& unit, bool overwrite);

#endif
