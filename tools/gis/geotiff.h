// A compressed GeoTIFF output, written piece by piece to the temporary of a GisOutputs.
#ifndef TARVEX_GIS_GEOTIFF_H
#define TARVEX_GIS_GEOTIFF_H

#include <cpl_error.h>
#include <gdal.h>

#include <string>

#include "gdal_raster.h"
#include "georef.h"
#include "gis_io.h"
#include "outputs.h"
#include "pieces.h"

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

#endif
