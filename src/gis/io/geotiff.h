// A compressed GeoTIFF output, written piece by piece to the temporary of a GisOutputs.
#ifndef TARVEX_GIS_GEOTIFF_H
#define TARVEX_GIS_GEOTIFF_H

#include <gdal.h>

#include <string>
#include <vector>

#include "georef.h"
#include "outputs.h"
#include "pieces.h"

// A compressed, tiled GeoTIFF written piece by piece to the temporary of an output. The pieces
// gather into a row of tiles, and each row goes to the file as soon as it is whole, tile after
// tile, past GDAL's block cache: the file is the same bytes however busy the cache is with
// other rasters (other levels of a library, written at the same time), and no raster waits
// whole in memory for its closing. GDAL reports its failures (a full disk among them) as its
// last error, which is checked after every call.
class GeoTiff {
public:
    GeoTiff(GisOutputs& outputs, const std::string& path, int lines, int cols, GDALDataType type, const Georef& georef,
            const double* nodata);
    ~GeoTiff();
    GeoTiff(const GeoTiff&) = delete;
    GeoTiff& operator=(const GeoTiff&) = delete;

    // The cells of `p`, in the band's type; pieces come in the order of for_each_piece.
    void write(const Piece& p, const void* cells);
    // Writes what GDAL still holds and closes the file.
    void close();

private:
    void write_tile_row(int rows);
    void check();
    [[noreturn]] void failed();

    std::string path_, temporary_;
    GDALDatasetH ds_ = nullptr;
    GDALRasterBandH band_ = nullptr;
    int lines_, cols_, cell_bytes_;
    int tile_cols_ = 0, tile_lines_ = 0;
    int row_top_ = 0;                  // the first line of the row of tiles being gathered
    std::vector<unsigned char> row_;   // that row, tile_lines_ whole lines
    std::vector<unsigned char> tile_;  // one tile, as it goes to the file
};

#endif
