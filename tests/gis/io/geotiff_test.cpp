// GeoTIFF outputs: the pieces gather into rows of tiles, whatever their shape (runs of whole
// lines that do not fall on tile rows, parts of lines), and the file holds every cell where it
// belongs, the same bytes for every way of cutting the raster into pieces.
#include <gdal.h>
#include <gtest/gtest.h>

#include <vector>

#include "geotiff.h"
#include "gis_support.h"

namespace {

constexpr int kLines = 300, kCols = 530;  // two rows of three tiles of 256 x 256, the last ones partial

// Writes the raster cell (i, j) = i * 1000 + j in pieces of `lines` lines, each cut in parts of
// `cols` columns, and returns the file's bytes.
std::string write_in_pieces(const TempDir& dir, const std::string& name, int lines, int cols) {
    GDALAllRegister();
    GisOutputs out(false);
    const double nodata = -1;
    GeoTiff tif(out, dir / name, kLines, kCols, GDT_Float32, Georef(), &nodata);
    std::vector<float> cells;
    for (int line = 0; line < kLines; line += lines) {
        const int height = std::min(lines, kLines - line);
        for (int col = 0; col < kCols; col += cols) {
            const Piece p{line, col, height, std::min(cols, kCols - col)};
            if (p.lines > 1 && p.cols < kCols) continue;  // parts of lines come one line at a time
            cells.clear();
            for (int i = p.line; i < p.line + p.lines; ++i) {
                for (int j = p.col; j < p.col + p.cols; ++j) cells.push_back(static_cast<float>(i * 1000 + j));
            }
            tif.write(p, cells.data());
        }
    }
    tif.close();
    out.commit();
    return read_file(dir / name);
}

TEST(GeoTiffOutput, EveryCellLandsInPlaceAndThePiecesDoNotChangeTheFile) {
    TempDir dir;
    // A block cache too small for a row of tiles, as when other rasters crowd it.
    const GIntBig cache = GDALGetCacheMax64();
    GDALSetCacheMax64(64 * 1024);
    const std::string whole_lines = write_in_pieces(dir, "a.tif", 7, kCols);
    EXPECT_EQ(write_in_pieces(dir, "b.tif", 262, kCols), whole_lines);
    EXPECT_EQ(write_in_pieces(dir, "c.tif", 1, 100), whole_lines);
    const Opened o = open_with_gdal(dir / "a.tif");
    ASSERT_EQ(o.lines, kLines);
    ASSERT_EQ(o.cols, kCols);
    for (std::size_t k = 0; k < o.cells.size(); ++k) {
        ASSERT_EQ(o.cells[k], static_cast<double>((k / kCols) * 1000 + k % kCols)) << k;
    }
    GDALSetCacheMax64(cache);
}

}  // namespace
