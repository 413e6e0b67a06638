// Rasters and vector files read through GDAL: opened only after their kind is checked (GDAL
// would wait forever on a FIFO), closed when they go, read in pieces.
#ifndef TARVEX_GIS_GDAL_RASTER_H
#define TARVEX_GIS_GDAL_RASTER_H

#include <gdal.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "georef.h"
#include "pieces.h"

class GdalDataset {
public:
    // Opens `path` read-only with GDALOpenEx `flags` (GDAL_OF_RASTER, GDAL_OF_VECTOR); fails
    // when it is missing, not readable without waiting, or not something GDAL opens so.
    GdalDataset(const std::string& path, unsigned flags);
    // Takes over a dataset opened by open_dataset().
    GdalDataset(const std::string& path, GDALDatasetH opened) : path_(path), handle_(opened) {}
    ~GdalDataset();
    GdalDataset(GdalDataset&& other) noexcept;
    GdalDataset(const GdalDataset&) = delete;
    GdalDataset& operator=(const GdalDataset&) = delete;
    GdalDataset& operator=(GdalDataset&&) = delete;

    GDALDatasetH get() const { return handle_; }
    // Closes the dataset now (its last writes are flushed); false when GDAL reports a failure.
    bool close();
    const std::string& path() const { return path_; }
    // The files GDAL reads for it: the file itself and its sidecars (.hdr, .aux.xml, .shx...).
    std::vector<std::string> files() const;

private:
    std::string path_;
    GDALDatasetH handle_ = nullptr;
};

// Opens `path` as GDALOpenEx does with `flags` once it and the sidecars beside it that GDAL
// reads first (NAME.hdr, the .aux.xml) are known to be readable without waiting; null when
// GDAL cannot open it.
GDALDatasetH open_dataset(const std::string& path, unsigned flags);

// Band 1 of a raster, read as doubles.
class GdalRaster {
public:
    explicit GdalRaster(const std::string& path);
    explicit GdalRaster(GdalDataset&& dataset);
    // The raster at `path` when GDAL opens it (a raw file with its ENVI header), else null.
    static std::unique_ptr<GdalRaster> if_readable(const std::string& path);

    // From now on the raster is the window `w` of its cells (which must lie within them): its
    // size, georeferencing and reads are the window's, and GDAL reads nothing outside it (a
    // virtual raster opens only the tiles under it).
    void restrict_to(const Piece& w);
    // The window's first cell among the file's cells (0, 0 when not restricted).
    int first_line() const { return line0_; }
    int first_col() const { return col0_; }

    int lines() const { return lines_; }
    int cols() const { return cols_; }
    std::size_t cells() const { return static_cast<std::size_t>(lines_) * static_cast<std::size_t>(cols_); }
    const Georef& georef() const { return georef_; }
    const std::string& path() const { return dataset_.path(); }
    std::vector<std::string> files() const { return dataset_.files(); }
    bool integer_band() const { return integer_band_; }  // whole numbers (not reals, not complex)
    bool complex_band() const { return complex_band_; }
    bool single_precision_band() const { return single_band_; }  // 32-bit reals
    bool is_nodata(double v) const { return (has_nodata_ && v == nodata_) || !std::isfinite(v); }
    // A cell of a mask or a skeleton: neither 0 nor no data.
    bool is_set(double v) const { return v != 0 && !is_nodata(v); }
    // What the band says its values stand for: value x scale + offset, in `unit` (GDAL's
    // text, "" when it gives none).
    double scale() const { return scale_; }
    double offset() const { return offset_; }
    const std::string& unit() const { return unit_; }

    // Whether `wanted(v)` holds for some cell: read piece by piece up to the first that has
    // one, without reading the parts GDAL knows to have no data at all (a virtual raster
    // where no source lies), whose cells are the band's no data value, or 0 without one.
    template <typename Wanted>
    bool any_cell(Wanted wanted) const;

    // Whether GDAL knows that no data lies in `piece` (a virtual raster where no source lies):
    // its cells are then the band's no data value, or 0 without one.
    bool without_data(const Piece& piece) const;

    // The cells of `piece`, line after line; fails when GDAL cannot read them.
    void read(const Piece& piece, double* cells) const;
    // The same, as bytes (values outside 0 .. 255 are clamped by GDAL).
    void read(const Piece& piece, unsigned char* cells) const;

private:
    void read_as(const Piece& piece, void* cells, GDALDataType type) const;

    GdalDataset dataset_;
    GDALRasterBandH band_ = nullptr;
    int lines_ = 0, cols_ = 0;
    int line0_ = 0, col0_ = 0;  // the window's first cell
    Georef georef_;
    bool integer_band_ = false, complex_band_ = false, single_band_ = false, has_nodata_ = false;
    double nodata_ = 0;
    double scale_ = 1, offset_ = 0;
    std::string unit_;
};

template <typename Wanted>
bool GdalRaster::any_cell(Wanted wanted) const {
    const bool fill_wanted = wanted(has_nodata_ ? nodata_ : 0.0);
    if (without_data(Piece{0, 0, lines_, cols_})) return fill_wanted;
    std::vector<double> values;
    bool found = false;
    for_each_piece(lines_, cols_, [&](const Piece& p) {
        if (found) return;
        if (without_data(p)) {
            found = fill_wanted;
            return;
        }
        values.resize(p.cells());
        read(p, values.data());
        for (std::size_t k = 0; k < p.cells() && !found; ++k) found = wanted(values[k]);
    });
    return found;
}

// GDAL's last error message ("" when none), with `temporary` named as `final_path`, and the
// storage's trouble (a full disk, ...) added where GDAL's words do not say it.
std::string gdal_message(const std::string& temporary = "", const std::string& final_path = "");

#endif
