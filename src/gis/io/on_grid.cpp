#include "on_grid.h"

#include <gdal_alg.h>
#include <gdalwarper.h>
#include <ogr_srs_api.h>

#include <algorithm>
#include <memory>

#include "burn.h"
#include "gdal_handles.h"
#include "gis_io.h"
#include "map_box.h"

namespace {

// A dataset of `lines` x `cols` cells of `type` in memory, placed by `transform` in `wkt`.
GdalDataset memory_dataset(int lines, int cols, GDALDataType type, const double* transform, const std::string& wkt) {
    GDALDatasetH ds = GDALCreate(GDALGetDriverByName("MEM"), "", cols, lines, 1, type, nullptr);
    if (ds == nullptr) fail("not enough memory for a grid of " + std::to_string(lines) + " x " + std::to_string(cols));
    GdalDataset owned("", ds);
    Georef georef;
    georef.has_transform = true;
    std::copy(transform, transform + 6, georef.transform);
    georef.wkt = wkt;
    place_dataset(ds, georef, "a grid in memory");
    return owned;
}

// One cell placed like the DEM's grid: what GDAL's transformers and the layer burner read of a
// grid is its georeferencing, not its cells.
GdalDataset grid_stand_in(const DemGrid& dem) {
    return memory_dataset(1, 1, GDT_Byte, dem.georef.transform, dem.georef.wkt);
}

// A raster without a coordinate system is taken as lying in the DEM's.
bool same_srs(const std::string& a, const std::string& b) { return a.empty() || b.empty() || same_crs(a, b); }

bool on_dem_grid(const GdalRaster& r, const DemGrid& dem) {
    if (r.lines() != dem.lines || r.cols() != dem.cols) return false;
    if (!r.georef().has_transform || !dem.georef.has_transform) return true;
    const double* a = r.georef().transform;
    return std::equal(a, a + 6, dem.georef.transform) && same_srs(r.georef().wkt, dem.georef.wkt);
}

void copy_cells(const GdalRaster& r, ByteGrid& g) {
    std::vector<double> values(std::min(kPieceCells, r.cells()));
    for_each_piece(r.lines(), r.cols(), [&](const Piece& p) {
        r.read(p, values.data());
        unsigned char* cells = g[p.line] + p.col;
        for (std::size_t k = 0; k < p.cells(); ++k) cells[k] = r.is_set(values[k]) ? 1 : 0;
    });
}

// Each DEM cell takes the source cell under its centre, piece by piece.
void nearest_cells(const GdalRaster& r, GDALDatasetH source, const DemGrid& dem, ByteGrid& g) {
    std::vector<double> values(std::min(kPieceCells, g.cells()));
    for_each_piece(dem.lines, dem.cols, [&](const Piece& p) {
        double t[6];
        piece_transform(dem.georef.transform, p, t);
        GdalDataset piece = memory_dataset(p.lines, p.cols, GDT_Float64, t, dem.georef.wkt);
        CPLErrorReset();
        if (GDALReprojectImage(source, nullptr, piece.get(), nullptr, GRA_NearestNeighbour, 0, 0.125, nullptr, nullptr,
                               nullptr) != CE_None ||
            GDALRasterIO(GDALGetRasterBand(piece.get(), 1), GF_Read, 0, 0, p.cols, p.lines, values.data(), p.cols,
                         p.lines, GDT_Float64, 0, 0) != CE_None) {
            fail("cannot bring " + r.path() + " onto the DEM's grid: " + gdal_message());
        }
        unsigned char* cells = g[p.line] + p.col;
        for (std::size_t k = 0; k < p.cells(); ++k) cells[k] = r.is_set(values[k]) ? 1 : 0;
    });
}

struct TransformerDeleter {
    void operator()(void* t) const { GDALDestroyGenImgProjTransformer(t); }
};

// Each set source cell sets the DEM cell under its centre.
void forward_cells(const GdalRaster& r, GDALDatasetH source, const DemGrid& dem, ByteGrid& g) {
    GdalDataset grid = grid_stand_in(dem);
    CPLErrorReset();
    std::unique_ptr<void, TransformerDeleter> transformer(
        GDALCreateGenImgProjTransformer2(source, grid.get(), nullptr));
    if (!transformer) fail("cannot bring " + r.path() + " onto the DEM's grid: " + gdal_message());
    std::vector<double> values(std::min(kPieceCells, r.cells()));
    for_each_piece(r.lines(), r.cols(), [&](const Piece& p) {
        r.read(p, values.data());
        std::vector<double> x, y, z;
        for (std::size_t k = 0; k < p.cells(); ++k) {
            if (!r.is_set(values[k])) continue;
            x.push_back(r.first_col() + p.col + static_cast<double>(k % p.cols) + 0.5);
            y.push_back(r.first_line() + p.line + static_cast<double>(k / p.cols) + 0.5);
        }
        z.assign(x.size(), 0.0);
        std::vector<int> ok(x.size(), 0);
        GDALGenImgProjTransform(transformer.get(), FALSE, static_cast<int>(x.size()), x.data(), y.data(), z.data(),
                                ok.data());
        for (std::size_t k = 0; k < x.size(); ++k) {
            if (ok[k] == 0 || !(x[k] >= 0 && x[k] < dem.cols && y[k] >= 0 && y[k] < dem.lines)) continue;
            g[static_cast<int>(y[k])][static_cast<int>(x[k])] = 1;
        }
    });
}

}  // namespace

bool restrict_to_grid(GdalRaster& raster, const DemGrid& dem) {
    const DemGrid whole = dem.whole_dem();
    if (on_dem_grid(raster, whole)) {
        if (!dem.is_whole()) raster.restrict_to(dem.window);
        return true;
    }
    if (!raster.georef().has_transform || !dem.georef.has_transform) return true;  // refused when brought on the grid
    // The source cells under the grid, with two more around them for the cells whose centre
    // falls inside it from across its edge.
    const MapBox under = box_in(box_of_cells(dem.georef, Piece{0, 0, dem.lines, dem.cols}), dem.georef.wkt,
                                raster.georef().wkt);
    const Piece cells = cells_under(under, raster.georef(), raster.lines(), raster.cols(), 2);
    if (cells.cells() == 0) return false;
    raster.restrict_to(cells);
    return true;
}

ByteGrid raster_on_grid(const GdalRaster& raster, const DemGrid& dem, bool lines) {
    if (raster.complex_band()) fail(raster.path() + ": wrong band type (complex values set no cell)");
    ByteGrid g(dem.lines, dem.cols);
    if (on_dem_grid(raster, dem)) {
        copy_cells(raster, g);
        return g;
    }
    if (!raster.georef().has_transform || !dem.georef.has_transform) {
        fail(raster.path() + " has " + std::to_string(raster.lines()) + " x " + std::to_string(raster.cols()) +
             " cells and the DEM " + std::to_string(dem.lines) + " x " + std::to_string(dem.cols) +
             ", and one of the two has no georeferencing: only a raster of the DEM's size can then be taken as "
             "lying on its grid");
    }
    GdalDataset source(raster.path(), GDAL_OF_RASTER);
    nearest_cells(raster, source.get(), dem, g);
    if (lines) forward_cells(raster, source.get(), dem, g);
    return g;
}

ByteGrid layers_on_grid(GdalDataset& vectors, const DemGrid& dem, bool lines) {
    const GdalRaster grid(grid_stand_in(dem));
    LayerBurner burner(vectors.get(), vectors.path(), grid, !lines);
    // Only the features near the grid are read: a cell's width around it keeps those along its edges.
    burner.only_within(box_of_cells(dem.georef, Piece{-1, -1, dem.lines + 2, dem.cols + 2}), dem.georef.wkt);
    ByteGrid g(dem.lines, dem.cols);
    for_each_piece(dem.lines, dem.cols, [&](const Piece& p) { burner.burn(p, g[p.line] + p.col); });
    return g;
}
