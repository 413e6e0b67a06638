// Taking results out: a result raster as a compressed GeoTIFF with the DEM's georeferencing
// (or the flood depth in metres), and the flood's statistics.
#include <gdal.h>

#include <algorithm>
#include <cstdio>

#include "gis_commands.h"
#include "gis_io.h"
#include "results.h"

namespace {

constexpr float kDryDepth = -9999.0f;

bool ends_with(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

void write_geotiff(const std::string& out, int lines, int cols, GDALDataType type, const void* cells,
                   const Georef& georef, const double* nodata) {
    const char* options[] = {"COMPRESS=DEFLATE", "TILED=YES", nullptr};
    GDALDatasetH ds = GDALCreate(GDALGetDriverByName("GTiff"), out.c_str(), cols, lines, 1, type,
                                 const_cast<char**>(options));
    if (ds == nullptr) fail("cannot create " + out);
    if (georef.has_transform) GDALSetGeoTransform(ds, const_cast<double*>(georef.transform));
    if (!georef.wkt.empty()) GDALSetProjection(ds, georef.wkt.c_str());
    GDALRasterBandH band = GDALGetRasterBand(ds, 1);
    if (nodata != nullptr) GDALSetRasterNoDataValue(band, *nodata);
    const CPLErr written = GDALRasterIO(band, GF_Write, 0, 0, cols, lines, const_cast<void*>(cells), cols, lines,
                                        type, 0, 0);
    GDALClose(ds);
    if (written != CE_None) fail("cannot write " + out);
}

}  // namespace

int export_result(const std::string& result, const std::string& out, const std::string& like,
                  const std::string& depth_dem, const std::string& unit, bool overwrite) {
    check_new(out, overwrite);
    int lines = 0, cols = 0;
    const Georef georef = read_georef(like, lines, cols);
    const std::size_t n = static_cast<std::size_t>(lines) * cols;
    const bool dem = ends_with(result, "_m4.raw");
    if (!depth_dem.empty()) {
        if (!dem) fail("--depth needs the flooded DEM (a _tarvex_m4.raw result), not " + result);
        const int factor = unit_factor(unit);
        const std::vector<std::int32_t> flooded = read_raw_int32(result, n), ground = read_raw_int32(depth_dem, n);
        std::vector<float> depth(n);
        for (std::size_t k = 0; k < n; ++k) {
            depth[k] = flooded[k] > ground[k] ? static_cast<float>((static_cast<double>(flooded[k]) - ground[k]) / factor)
                                              : kDryDepth;
        }
        const double nodata = kDryDepth;
        write_geotiff(out, lines, cols, GDT_Float32, depth.data(), georef, &nodata);
    } else if (dem) {
        const std::vector<std::int32_t> cells = read_raw_int32(result, n);
        write_geotiff(out, lines, cols, GDT_Int32, cells.data(), georef, nullptr);
    } else {
        const std::vector<std::uint8_t> cells = read_raw_bytes(result, n);
        write_geotiff(out, lines, cols, GDT_Byte, cells.data(), georef, nullptr);
    }
    std::printf("%s: %d lines x %d columns\n", out.c_str(), lines, cols);
    return 0;
}

int flood_stats(const std::string& base, const std::string& dem, const std::string& unit, bool json) {
    const int factor = unit_factor(unit);
    const RunResults r = load_results(base);
    const std::vector<std::int32_t> ground = read_raw_int32(dem, r.cells());
    const std::vector<std::uint8_t> river = read_raw_bytes(r.input("River mask"), r.cells());
    const double cell_area = static_cast<double>(r.pixel) * r.pixel;
    long long flooded = 0;
    double volume = 0, deepest = 0, depth_sum = 0;
    for (std::size_t k = 0; k < r.cells(); ++k) {
        if (r.extent[k] != 1 || river[k] == 1) continue;
        const double depth = std::max(0.0, (static_cast<double>(r.dem[k]) - ground[k]) / factor);
        ++flooded;
        depth_sum += depth;
        volume += depth * cell_area;
        deepest = std::max(deepest, depth);
    }
    const double area = flooded * cell_area, mean = flooded > 0 ? depth_sum / flooded : 0.0;
    if (json) {
        std::printf("{\"flooded_cells\": %lld, \"flooded_area_m2\": %.2f, \"flood_volume_m3\": %.3f, "
                    "\"greatest_depth_m\": %.3f, \"mean_depth_m\": %.3f}\n",
                    flooded, area, volume, deepest, mean);
    } else {
        std::printf("flooded beyond the river mask  %lld cells, %.2f m2\n", flooded, area);
        std::printf("flood volume                   %.3f m3\n", volume);
        std::printf("greatest depth                 %.3f m\n", deepest);
        std::printf("mean depth                     %.3f m\n", mean);
    }
    return 0;
}
