#include "exports.h"

#include <cpl_error.h>
#include <gdal.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "file_formats.h"
#include "gdal_raster.h"
#include "gis_io.h"
#include "input_guard.h"
#include "outputs.h"
#include "raw_files.h"

namespace {

constexpr float kDryDepth = -9999.0f;

bool ends_with(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// A compressed GeoTIFF written piece by piece to the temporary of an output. GDAL reports its
// failures (a full disk among them) as its last error, which is checked after every call.
class GeoTiff {
public:
    GeoTiff(GisOutputs& outputs, const std::string& path, int lines, int cols, GDALDataType type, const Georef& georef,
            const double* nodata)
        : path_(path), temporary_(outputs.reserve(path)), type_(type) {
        const char* options[] = {"COMPRESS=DEFLATE", "TILED=YES", "BIGTIFF=IF_SAFER", nullptr};
        CPLErrorReset();
        ds_ = GDALCreate(GDALGetDriverByName("GTiff"), temporary_.c_str(), cols, lines, 1, type,
                         const_cast<char**>(options));
        if (ds_ == nullptr) failed();
        if (georef.has_transform) GDALSetGeoTransform(ds_, const_cast<double*>(georef.transform));
        if (!georef.wkt.empty()) GDALSetProjection(ds_, georef.wkt.c_str());
        band_ = GDALGetRasterBand(ds_, 1);
        if (nodata != nullptr) GDALSetRasterNoDataValue(band_, *nodata);
        check();
    }
    ~GeoTiff() {
        if (ds_ != nullptr) GDALClose(ds_);
    }
    GeoTiff(const GeoTiff&) = delete;
    GeoTiff& operator=(const GeoTiff&) = delete;

    void write(const Piece& p, void* cells) {
        if (GDALRasterIO(band_, GF_Write, p.col, p.line, p.cols, p.lines, cells, p.cols, p.lines, type_, 0, 0) !=
            CE_None) {
            failed();
        }
        check();
    }
    // Writes what GDAL still holds and closes the file.
    void close() {
        GDALClose(ds_);
        ds_ = nullptr;
        check();
    }

private:
    void check() {
        if (CPLGetLastErrorType() == CE_Failure || CPLGetLastErrorType() == CE_Fatal) failed();
    }
    [[noreturn]] void failed() {
        const std::string why = gdal_message(temporary_, path_);
        fail("cannot write " + path_ + (why.empty() ? "" : ": " + why));
    }

    std::string path_, temporary_;
    GDALDataType type_;
    GDALDatasetH ds_ = nullptr;
    GDALRasterBandH band_ = nullptr;
};

// Each piece of the output, from the result raster (and the ground, for the depth).
struct Sources {
    std::unique_ptr<RawReader> result, ground;
    std::vector<std::int32_t> levels, heights;
    std::vector<std::uint8_t> bytes;
    std::vector<float> depth;
};

void write_depth(Sources& s, GeoTiff& tif, const Piece& p, int factor) {
    s.result->read(s.levels.data(), p.cells());
    s.ground->read(s.heights.data(), p.cells());
    for (std::size_t k = 0; k < p.cells(); ++k) {
        const double rise = static_cast<double>(s.levels[k]) - s.heights[k];
        s.depth[k] = rise > 0 ? static_cast<float>(rise / factor) : kDryDepth;
    }
    tif.write(p, s.depth.data());
}

}  // namespace

int export_result(const std::string& result, const std::string& out, const std::string& like,
                  const std::string& depth_dem, const std::string& unit, bool overwrite) {
    const GdalRaster grid(like);
    InputGuard guard;
    guard.add(like, grid.files());
    guard.add(result);
    if (!depth_dem.empty()) guard.add(depth_dem);
    guard.check({out});
    check_new(out, overwrite);
    const bool dem = ends_with(result, kDemRaster), depth = !depth_dem.empty();
    if (depth && !dem) fail("--depth needs the flooded DEM (a _tarvex_m4.raw result), not " + result);
    const int factor = depth ? unit_factor(unit) : 1;
    const std::size_t n = grid.cells(), piece = std::min(kPieceCells, n);
    Sources s;
    s.result = std::make_unique<RawReader>(result, n, dem ? 4 : 1);
    if (dem) {
        s.levels.resize(piece);
    } else {
        s.bytes.resize(piece);
    }
    if (depth) {
        s.ground = std::make_unique<RawReader>(depth_dem, n, 4);
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
