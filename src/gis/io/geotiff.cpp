#include "geotiff.h"

#include <cpl_error.h>

#include <algorithm>
#include <cstring>

#include "gdal_handles.h"
#include "gdal_raster.h"
#include "gis_io.h"

GeoTiff::GeoTiff(GisOutputs& outputs, const std::string& path, int lines, int cols, GDALDataType type,
                 const Georef& georef, const double* nodata)
    : path_(path), temporary_(outputs.reserve(path)), lines_(lines), cols_(cols),
      cell_bytes_(GDALGetDataTypeSizeBytes(type)) {
    const char* options[] = {"COMPRESS=DEFLATE", "TILED=YES", "BIGTIFF=IF_SAFER", nullptr};
    CPLErrorReset();
    ds_ = GDALCreate(GDALGetDriverByName("GTiff"), temporary_.c_str(), cols, lines, 1, type,
                     const_cast<char**>(options));
    if (ds_ == nullptr) failed();
    place_dataset(ds_, georef, path);
    band_ = GDALGetRasterBand(ds_, 1);
    if (nodata != nullptr && GDALSetRasterNoDataValue(band_, *nodata) != CE_None) failed();
    GDALGetBlockSize(band_, &tile_cols_, &tile_lines_);
    row_.resize(static_cast<std::size_t>(tile_lines_) * static_cast<std::size_t>(cols_) * cell_bytes_);
    tile_.resize(static_cast<std::size_t>(tile_lines_) * static_cast<std::size_t>(tile_cols_) * cell_bytes_);
    check();
}

GeoTiff::~GeoTiff() {
    if (ds_ != nullptr) GDALClose(ds_);
}

void GeoTiff::write(const Piece& p, const void* cells) {
    const auto* from = static_cast<const unsigned char*>(cells);
    const std::size_t piece_line = static_cast<std::size_t>(p.cols) * cell_bytes_;
    for (int l = 0; l < p.lines; ++l) {
        const int line = p.line + l;
        const std::size_t at = (static_cast<std::size_t>(line - row_top_) * cols_ + p.col) * cell_bytes_;
        std::memcpy(&row_[at], from + l * piece_line, piece_line);
        const bool line_whole = p.col + p.cols == cols_;
        if (line_whole && (line + 1 == lines_ || line + 1 - row_top_ == tile_lines_)) {
            write_tile_row(line + 1 - row_top_);
            row_top_ = line + 1;
        }
    }
}

// The tiles of the gathered row, `rows` lines of it in the raster; the parts of the tiles
// beyond the raster's edges are zeros.
void GeoTiff::write_tile_row(int rows) {
    const std::size_t tile_line = static_cast<std::size_t>(tile_cols_) * cell_bytes_;
    for (int x = 0; x * tile_cols_ < cols_; ++x) {
        const int first = x * tile_cols_, width = std::min(tile_cols_, cols_ - first);
        if (width < tile_cols_ || rows < tile_lines_) std::fill(tile_.begin(), tile_.end(), 0);
        for (int r = 0; r < rows; ++r) {
            std::memcpy(&tile_[r * tile_line], &row_[(static_cast<std::size_t>(r) * cols_ + first) * cell_bytes_],
                        static_cast<std::size_t>(width) * cell_bytes_);
        }
        if (GDALWriteBlock(band_, x, row_top_ / tile_lines_, tile_.data()) != CE_None) failed();
    }
    check();
}

void GeoTiff::close() {
    GDALClose(ds_);
    ds_ = nullptr;
    check();
}

void GeoTiff::check() { check_gdal_writes(temporary_, path_); }

void GeoTiff::failed() { fail_gdal_write(temporary_, path_); }
