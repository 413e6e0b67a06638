#include "gdal_raster.h"

#include <cpl_error.h>
#include <cpl_string.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "gis_io.h"

GDALDatasetH open_dataset(const std::string& path, unsigned flags) {
    check_input(path, true);
    for (const std::string& sidecar : {with_extension(path, kEnviHeader), path + ".aux.xml"}) {
        std::error_code ec;
        if (std::filesystem::exists(sidecar, ec)) check_input(sidecar, false);
    }
    return GDALOpenEx(path.c_str(), flags | GDAL_OF_READONLY, nullptr, nullptr, nullptr);
}

GdalDataset::GdalDataset(const std::string& path, unsigned flags) : path_(path), handle_(open_dataset(path, flags)) {
    if (handle_ != nullptr) return;
    fail(std::string((flags & GDAL_OF_VECTOR) != 0 ? "not a raster or vector file" : "not a raster") +
         " GDAL can read: " + path);
}

GdalDataset::~GdalDataset() {
    if (handle_ != nullptr) GDALClose(handle_);
}

bool GdalDataset::close() {
    GDALDatasetH h = handle_;
    handle_ = nullptr;
    if (h == nullptr) return true;
    const GUInt32 errors = CPLGetErrorCounter();
    GDALClose(h);
    const CPLErr last = CPLGetLastErrorType();
    return CPLGetErrorCounter() == errors || (last != CE_Failure && last != CE_Fatal);
}

GdalDataset::GdalDataset(GdalDataset&& other) noexcept : path_(std::move(other.path_)), handle_(other.handle_) {
    other.handle_ = nullptr;
}

std::vector<std::string> GdalDataset::files() const {
    std::vector<std::string> list;
    char** files = GDALGetFileList(handle_);
    for (char** f = files; f != nullptr && *f != nullptr; ++f) list.emplace_back(*f);
    CSLDestroy(files);
    return list;
}

GdalRaster::GdalRaster(const std::string& path) : GdalRaster(GdalDataset(path, GDAL_OF_RASTER)) {}

GdalRaster::GdalRaster(GdalDataset&& dataset) : dataset_(std::move(dataset)) {
    GDALDatasetH ds = dataset_.get();
    if (GDALGetRasterCount(ds) < 1) fail("not a raster GDAL can read: " + path());
    cols_ = GDALGetRasterXSize(ds);
    lines_ = GDALGetRasterYSize(ds);
    georef_.has_transform = GDALGetGeoTransform(ds, georef_.transform) == CE_None;
    const char* wkt = GDALGetProjectionRef(ds);
    georef_.wkt = wkt != nullptr ? wkt : "";
    band_ = GDALGetRasterBand(ds, 1);
    const GDALDataType type = GDALGetRasterDataType(band_);
    complex_band_ = GDALDataTypeIsComplex(type) != 0;
    integer_band_ = GDALDataTypeIsInteger(type) != 0 && !complex_band_;
    single_band_ = type == GDT_Float32;
    int has = 0;
    nodata_ = GDALGetRasterNoDataValue(band_, &has);
    has_nodata_ = has != 0;
    scale_ = GDALGetRasterScale(band_, nullptr);
    offset_ = GDALGetRasterOffset(band_, nullptr);
    const char* unit = GDALGetRasterUnitType(band_);
    unit_ = unit != nullptr ? unit : "";
}

void GdalRaster::restrict_to(const Piece& w) {
    double moved[6];
    piece_transform(georef_.transform, w, moved);
    std::copy(moved, moved + 6, georef_.transform);
    line0_ += w.line;
    col0_ += w.col;
    lines_ = w.lines;
    cols_ = w.cols;
}

bool GdalRaster::without_data(const Piece& p) const {
    const int status =
        GDALGetDataCoverageStatus(band_, col0_ + p.col, line0_ + p.line, p.cols, p.lines, 0, nullptr);
    return (status & GDAL_DATA_COVERAGE_STATUS_EMPTY) != 0 && (status & GDAL_DATA_COVERAGE_STATUS_DATA) == 0;
}

std::unique_ptr<GdalRaster> GdalRaster::if_readable(const std::string& path) {
    GDALDatasetH opened = open_dataset(path, GDAL_OF_RASTER);
    if (opened == nullptr) return nullptr;
    return std::make_unique<GdalRaster>(GdalDataset(path, opened));
}

void GdalRaster::read(const Piece& p, double* cells) const { read_as(p, cells, GDT_Float64); }

void GdalRaster::read(const Piece& p, unsigned char* cells) const { read_as(p, cells, GDT_Byte); }

void GdalRaster::read_as(const Piece& p, void* cells, GDALDataType type) const {
    CPLErrorReset();
    if (GDALRasterIO(band_, GF_Read, col0_ + p.col, line0_ + p.line, p.cols, p.lines, cells, p.cols, p.lines, type, 0,
                     0) != CE_None) {
        const std::string why = gdal_message();
        fail("cannot read the cells of " + path() + (why.empty() ? "" : ": " + why));
    }
}

std::string gdal_message(const std::string& temporary, const std::string& final_path) {
    const std::string trouble = storage_trouble(errno);  // GDAL's words may not say it
    std::string message = CPLGetLastErrorMsg();
    if (!trouble.empty() && message.find(trouble) == std::string::npos) {
        message += (message.empty() ? "" : ": ") + trouble;
    }
    if (temporary.empty()) return message;
    for (std::size_t at = message.find(temporary); at != std::string::npos; at = message.find(temporary, at)) {
        message.replace(at, temporary.size(), final_path);
        at += final_path.size();
    }
    return message;
}
