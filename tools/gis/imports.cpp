// Bringing rasters in: a DEM of any format GDAL reads becomes NAME_m4.raw and its descriptor;
// a mask or a skeleton (a raster, or a vector layer burnt on the DEM's grid) becomes NAME.raw.
// Each gets an ENVI header, so GDAL and QGIS open the raw file with its georeferencing.
#include <gdal.h>
#include <gdal_alg.h>
#include <ogr_api.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>

#include "gis_commands.h"
#include "gis_io.h"

namespace {

void check_outputs(const std::string& raw, const std::string& descriptor, bool overwrite) {
    check_new(raw, overwrite);
    check_new(descriptor, overwrite);
    check_new(std::filesystem::path(raw).replace_extension(".hdr").string(), overwrite);
}

std::int32_t to_dem_value(double metres, int factor, const std::string& src) {
    const double v = std::round(metres * factor);
    if (v < std::numeric_limits<std::int32_t>::min() + 1.0 || v > std::numeric_limits<std::int32_t>::max() - 1.0) {
        fail("the altitude " + std::to_string(metres) + " of " + src + " does not fit 32 bits in this unit");
    }
    return static_cast<std::int32_t>(v);
}

bool is_polygon(OGRwkbGeometryType t) { return t == wkbPolygon || t == wkbMultiPolygon; }
bool is_line(OGRwkbGeometryType t) { return t == wkbLineString || t == wkbMultiLineString; }

// Burns every feature of every layer of a vector dataset as 1 on the grid of the DEM `like`.
std::vector<std::uint8_t> burn_layers(GDALDatasetH vectors, const std::string& src, const std::string& like,
                                      bool polygons, Georef& georef, int& lines, int& cols) {
    georef = read_georef(like, lines, cols);
    GDALDatasetH grid = GDALCreate(GDALGetDriverByName("MEM"), "", cols, lines, 1, GDT_Byte, nullptr);
    GDALSetGeoTransform(grid, georef.transform);
    GDALSetProjection(grid, georef.wkt.c_str());
    std::vector<OGRLayerH> layers;
    for (int k = 0; k < GDALDatasetGetLayerCount(vectors); ++k) {
        OGRLayerH layer = GDALDatasetGetLayer(vectors, k);
        const OGRwkbGeometryType type = wkbFlatten(OGR_L_GetGeomType(layer));
        if (polygons ? !is_polygon(type) : !is_line(type)) {
            fail(src + ": wrong geometry type " + OGRGeometryTypeToName(type) + " (a mask needs polygons, a skeleton lines)");
        }
        layers.push_back(layer);
    }
    int band = 1;
    double burn = 1.0;
    std::vector<double> burns(layers.size(), burn);
    if (GDALRasterizeLayers(grid, 1, &band, static_cast<int>(layers.size()), layers.data(), nullptr, nullptr,
                            burns.data(), nullptr, nullptr, nullptr) != CE_None) {
        fail("cannot burn the layers of " + src);
    }
    std::vector<std::uint8_t> cells(static_cast<std::size_t>(lines) * cols);
    const CPLErr read = GDALRasterIO(GDALGetRasterBand(grid, 1), GF_Read, 0, 0, cols, lines, cells.data(), cols,
                                     lines, GDT_Byte, 0, 0);
    GDALClose(grid);
    if (read != CE_None) fail("cannot burn the layers of " + src);
    return cells;
}

std::vector<std::uint8_t> set_cells(const Raster& r, const std::string& src) {
    if (!r.integer_band) fail(src + ": wrong band type (a mask or a skeleton needs whole numbers)");
    std::vector<std::uint8_t> cells(r.size());
    for (std::size_t k = 0; k < r.size(); ++k) cells[k] = (!r.is_nodata(k) && r.cells[k] != 0) ? 1 : 0;
    return cells;
}

}  // namespace

int import_dem(const std::string& src, const std::string& name, const std::string& unit, double nodata_out,
               bool overwrite) {
    const int factor = unit_factor(unit);
    const std::string raw = name + "_m4.raw", descriptor = name + "_m4.txt";
    check_outputs(raw, descriptor, overwrite);
    const Raster r = read_raster(src);
    if (r.complex_band) fail(src + ": wrong band type (complex values are not altitudes)");
    const auto out_nodata = static_cast<std::int32_t>(nodata_out);
    std::vector<std::int32_t> cells(r.size());
    std::int32_t min = std::numeric_limits<std::int32_t>::max(), max = std::numeric_limits<std::int32_t>::min();
    for (std::size_t k = 0; k < r.size(); ++k) {
        cells[k] = r.is_nodata(k) ? out_nodata : to_dem_value(r.cells[k], factor, src);
        if (r.is_nodata(k)) continue;
        min = std::min(min, cells[k]);
        max = std::max(max, cells[k]);
    }
    if (min > max) min = max = out_nodata;  // no cell holds data
    const int pixel = whole_metre_pixel(r.georef);
    write_raw_int32(raw, cells);
    write_descriptor(descriptor, r.lines, r.cols, 4, min, max, pixel);
    const double ignore = out_nodata;
    write_envi_header(raw, r.lines, r.cols, true, r.georef, &ignore);
    std::printf("%s: %d lines x %d columns, altitudes %d to %d %s, pixel size %d m\n", raw.c_str(), r.lines, r.cols,
                min, max, unit.c_str(), pixel);
    return 0;
}

int import_byte_raster(const std::string& src, const std::string& name, const std::string& like, bool mask,
                       bool overwrite) {
    const std::string raw = name + ".raw", descriptor = name + ".txt";
    check_outputs(raw, descriptor, overwrite);
    if (!std::filesystem::exists(src)) fail("no such file: " + src);
    GDALDatasetH ds = GDALOpenEx(src.c_str(), GDAL_OF_RASTER | GDAL_OF_VECTOR, nullptr, nullptr, nullptr);
    if (ds == nullptr) fail("not a raster or vector file GDAL can read: " + src);
    const bool vector = GDALDatasetGetLayerCount(ds) > 0 && GDALGetRasterCount(ds) == 0;
    Georef georef;
    int lines = 0, cols = 0;
    std::vector<std::uint8_t> cells;
    if (vector) {
        if (like.empty()) fail("burning the vector layers of " + src + " needs --like DEM_m4.raw");
        cells = burn_layers(ds, src, like, mask, georef, lines, cols);
        GDALClose(ds);
    } else {
        GDALClose(ds);
        const Raster r = read_raster(src);
        if (!like.empty()) {
            int like_lines = 0, like_cols = 0;
            read_georef(like, like_lines, like_cols);
            if (like_lines != r.lines || like_cols != r.cols) {
                fail("the sizes differ: " + src + " has " + std::to_string(r.lines) + " x " + std::to_string(r.cols) +
                     " cells, " + like + " " + std::to_string(like_lines) + " x " + std::to_string(like_cols));
            }
        }
        cells = set_cells(r, src);
        georef = r.georef;
        lines = r.lines;
        cols = r.cols;
    }
    const int pixel = whole_metre_pixel(georef);
    write_raw_bytes(raw, cells);
    write_descriptor(descriptor, lines, cols, 1, 0, 255, pixel);
    write_envi_header(raw, lines, cols, false, georef, nullptr);
    std::size_t set = 0;
    for (std::uint8_t c : cells) set += c;
    std::printf("%s: %d lines x %d columns, %zu cells set, pixel size %d m\n", raw.c_str(), lines, cols, set, pixel);
    return 0;
}
