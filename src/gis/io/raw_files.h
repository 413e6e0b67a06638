// tarvex's raw rasters (little-endian cells, no header), read in pieces, and the ENVI header
// written beside each imported raster so that GDAL and QGIS open it with its georeferencing.
#ifndef TARVEX_GIS_RAW_FILES_H
#define TARVEX_GIS_RAW_FILES_H

#include <cstdint>
#include <cstdio>
#include <string>

#include "georef.h"

// A raw raster of `cells` cells of `bytes` bytes each, read from its start piece by piece.
// Opening fails when the file is not a regular file or does not hold exactly the grid's bytes.
class RawReader {
public:
    RawReader(const std::string& path, std::size_t cells, int bytes);
    ~RawReader();
    RawReader(const RawReader&) = delete;
    RawReader& operator=(const RawReader&) = delete;

    // The next `n` cells (at most a piece); fails when the file cannot give them.
    void read(std::int32_t* cells, std::size_t n);
    void read(std::uint8_t* cells, std::size_t n);

private:
    void check_read();

    std::string path_;
    std::FILE* file_ = nullptr;
};

// Writes `n` cells (at most a piece) to an output opened by GisOutputs, little-endian.
void write_cells(std::FILE* file, const std::int32_t* cells, std::size_t n, const std::string& path);
void write_cells(std::FILE* file, const std::uint8_t* cells, std::size_t n, const std::string& path);

// The ENVI header of a raw raster: size, cell type, byte order, map info and coordinate
// system, and the cell value that means no data.
std::string envi_header(int lines, int cols, bool int32, const Georef& georef, const double* nodata);

#endif
