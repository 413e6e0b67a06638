#include "exports.h"

#include <cpl_error.h>
#include <gdal.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "cell_depth.h"
#include "file_formats.h"
#include "gdal_raster.h"
#include "geotiff.h"
#include "gis_io.h"
#include "input_guard.h"
#include "outputs.h"
#include "raw_files.h"

namespace {

constexpr float kDryDepth = -9999.0f;

bool ends_with(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// Each piece of the output, from the result raster (and the ground and the flood's extent,
// for the depth).
struct Sources {
    std::unique_ptr<RawReader> result, ground, extent;
    std::vector<std::int32_t> levels, heights;
    std::vector<std::uint8_t> bytes;
    std::vector<float> depth;
};

void write_depth(Sources& s, GeoTiff& tif, const Piece& p, int factor) {
    s.result->read(s.levels.data(), p.cells());
    s.ground->read(s.heights.data(), p.cells());
    s.extent->read(s.bytes.data(), p.cells());
    for (std::size_t k = 0; k < p.cells(); ++k) {
        const double depth = cell_depth(s.heights[k], s.levels[k], s.bytes[k] == 1, factor);
        s.depth[k] = std::isnan(depth) ? kDryDepth : static_cast<float>(depth);
    }
    tif.write(p, s.depth.data());
}

// The flood extent written beside the flooded DEM `result` by the same run.
std::string extent_beside(const std::string& result) {
    return result.substr(0, result.size() - std::string(kResultDemRaster).size()) + kResultMaskRaster;
}

}  // namespace

int export_result(const std::string& result, const std::string& out, const std::string& like,
                  const std::string& depth_dem, const std::string& unit, bool overwrite) {
    const GdalRaster grid(like);
    InputGuard guard;
    guard.add(like, grid.files());
    guard.add(result);
    if (!depth_dem.empty()) guard.add(depth_dem);
    if (!depth_dem.empty() && ends_with(result, kResultDemRaster)) guard.add(extent_beside(result));
    guard.check({out});
    check_new(out, overwrite);
    const bool dem = ends_with(result, kDemRaster), depth = !depth_dem.empty();
    if (depth && !ends_with(result, kResultDemRaster)) {
        fail("--depth needs the flooded DEM (a _tarvex_m4.raw result), not " + result);
    }
    const int factor = depth ? unit_factor(unit) : 1;
    const std::size_t n = grid.cells(), piece = std::min(kPieceCells, n);
    Sources s;
    s.result = std::make_unique<RawReader>(result, n, dem ? 4 : 1);
    s.levels.resize(dem ? piece : 0);
    s.bytes.resize(dem && !depth ? 0 : piece);
    if (depth) {
        s.ground = std::make_unique<RawReader>(depth_dem, n, 4);
        s.extent = std::make_unique<RawReader>(extent_beside(result), n, 1);
        s.heights.resize(piece);
        s.depth.resize(piece);
    }
    const double dry = kDryDepth;
    GisOutputs outputs;
    GeoTiff tif(outputs, out, grid.lines(), grid.cols(),
                depth ? GDT_Float32
                : dem ? GDT_Int32
                      : GDT_Byte,
                grid.georef(), depth ? &dry : nullptr);
    for_each_piece(grid.lines(), grid.cols(), [&](const Piece& p) {
        if (depth) return write_depth(s, tif, p, factor);
        if (dem) {
            s.result->read(s.levels.data(), p.cells());
            return tif.write(p, s.levels.data());
        }
        s.result->read(s.bytes.data(), p.cells());
        tif.write(p, s.bytes.data());
    });
    tif.close();
    outputs.commit();
    std::printf("%s: %d lines x %d columns\n", out.c_str(), grid.lines(), grid.cols());
    return 0;
}
