// What the commands of tarvex-gis share: failing with a message, tarvex's raw rasters and
// descriptors, the ENVI sidecar headers that let GDAL and QGIS open those rasters, and the
// georeferencing of a raster GDAL reads.
#ifndef TARVEX_GIS_IO_H
#define TARVEX_GIS_IO_H

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

// Prints "tarvex-gis: <message>" on the error stream and ends with exit status 1.
[[noreturn]] void fail(const std::string& message);

// DEM units per metre for "m", "dm", "cm" or "mm"; anything else fails.
int unit_factor(const std::string& unit);

// Where a raster lies: GDAL's geotransform and the coordinate system as WKT.
struct Georef {
    bool has_transform = false;
    double transform[6] = {0, 1, 0, 0, 0, 1};
    std::string wkt;
};

// A raster read by GDAL: band 1 as doubles, line after line.
struct Raster {
    int lines = 0, cols = 0;
    std::vector<double> cells;
    bool has_nodata = false;
    double nodata = 0;
    bool integer_band = false;  // the band holds whole numbers (not reals, not complex)
    bool complex_band = false;
    Georef georef;

    std::size_t size() const { return cells.size(); }
    bool is_nodata(std::size_t k) const { return (has_nodata && cells[k] == nodata) || !std::isfinite(cells[k]); }
};

// Opens any raster GDAL reads; a missing file or one without a raster band fails.
Raster read_raster(const std::string& path);
Georef read_georef(const std::string& path, int& lines, int& cols);

// Fails when the file exists and overwriting was not asked for.
void check_new(const std::string& path, bool overwrite);

// tarvex's formats: raw little-endian cells, and the six-integer descriptor.
void write_raw_int32(const std::string& path, const std::vector<std::int32_t>& cells);
void write_raw_bytes(const std::string& path, const std::vector<std::uint8_t>& cells);
std::vector<std::int32_t> read_raw_int32(const std::string& path, std::size_t cells);
std::vector<std::uint8_t> read_raw_bytes(const std::string& path, std::size_t cells);
void write_descriptor(const std::string& path, int lines, int cols, int bytes, int min, int max, int pixel);
// The six integers of a descriptor (or of a run report); fails when fewer are found.
std::vector<int> read_descriptor_file(const std::string& path);
std::string read_text(const std::string& path);

// The ENVI header beside a raw raster (NAME.raw gets NAME.hdr): size, cell type, byte order,
// map info and coordinate system, and the cell value that means no data.
void write_envi_header(const std::string& raw_path, int lines, int cols, bool int32, const Georef& georef,
                       const double* nodata);

// The pixel size in whole metres of a georeferenced grid (1 when it has no georeferencing).
int whole_metre_pixel(const Georef& georef);

#endif
