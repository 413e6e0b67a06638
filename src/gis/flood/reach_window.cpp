#include "reach_window.h"

#include <gdal.h>
#include <ogr_api.h>

#include <algorithm>
#include <cmath>

#include "gdal_raster.h"
#include "gdal_handles.h"
#include "gis_io.h"
#include "map_box.h"
#include "on_grid.h"
#include "text.h"

namespace {

// The extent of the features of every layer of `vectors`, in the coordinate system `wkt`.
MapBox layers_box(GDALDatasetH vectors, const std::string& wkt) {
    MapBox box;
    for (int k = 0; k < GDALDatasetGetLayerCount(vectors); ++k) {
        OGRLayerH layer = GDALDatasetGetLayer(vectors, k);
        OGREnvelope e;
        if (OGR_L_GetExtent(layer, &e, TRUE) != OGRERR_NONE) continue;  // a layer without features
        MapBox own;
        own.add(e.MinX, e.MinY);
        own.add(e.MaxX, e.MaxY);
        box.add(box_in(own, layer_wkt(layer), wkt));
    }
    return box;
}

// The cells of the raster that are set, as the box holding them (no cells when none is), read
// piece by piece, past the pieces GDAL knows to hold no data.
Piece set_cells_box(const GdalRaster& r) {
    int top = r.lines(), left = r.cols(), bottom = -1, right = -1;
    std::vector<double> values;
    for_each_piece(r.lines(), r.cols(), [&](const Piece& p) {
        if (r.without_data(p)) return;
        values.resize(p.cells());
        r.read(p, values.data());
        for (std::size_t k = 0; k < p.cells(); ++k) {
            if (!r.is_set(values[k])) continue;
            const int i = p.line + static_cast<int>(k / p.cols), j = p.col + static_cast<int>(k % p.cols);
            top = std::min(top, i);
            bottom = std::max(bottom, i);
            left = std::min(left, j);
            right = std::max(right, j);
        }
    });
    if (bottom < 0) return Piece{};
    return Piece{top, left, bottom - top + 1, right - left + 1};
}

// The cells of the DEM under the centreline `src`: a raster's set cells, a vector file's
// features. Fails when they lie outside the DEM.
Piece centreline_box(const std::string& src, const DemGrid& dem) {
    GdalDataset dataset(src, GDAL_OF_RASTER | GDAL_OF_VECTOR);
    const bool vector = GDALDatasetGetLayerCount(dataset.get()) > 0 && GDALGetRasterCount(dataset.get()) == 0;
    Piece cells;
    if (vector) {
        cells = cells_under(layers_box(dataset.get(), dem.georef.wkt), dem.georef, dem.lines, dem.cols, 1);
    } else {
        GdalRaster raster(std::move(dataset));
        // Only the part under the DEM is read; a raster without georeferencing has the DEM's grid.
        const Piece set = restrict_to_grid(raster, dem) ? set_cells_box(raster) : Piece{};
        const MapBox box = box_in(box_of_cells(raster.georef(), set), raster.georef().wkt, dem.georef.wkt);
        cells = set.cells() == 0 || !raster.georef().has_transform ? set
                                                                    : cells_under(box, dem.georef, dem.lines, dem.cols, 1);
    }
    if (cells.cells() == 0) fail(sets_no_cell(src, vector));
    return cells;
}

}  // namespace

Piece joined(const Piece& a, const Piece& b) {
    if (a.cells() == 0) return b;
    if (b.cells() == 0) return a;
    const int top = std::min(a.line, b.line), left = std::min(a.col, b.col);
    const int bottom = std::max(a.line + a.lines, b.line + b.lines), right = std::max(a.col + a.cols, b.col + b.cols);
    return Piece{top, left, bottom - top, right - left};
}

namespace {

// The cell of the DEM under a point given with `option`, which must lie on it.
Piece point_cell(const DemGrid& dem, double x, double y, const char* option, const std::string& dem_name) {
    check_on_dem(dem, x, y, option, dem_name);
    MapBox at;
    at.add(x, y);
    return cells_under(at, dem.georef, dem.lines, dem.cols, 0);
}

}  // namespace

Piece reach_box(const FloodOptions& o, const DemGrid& dem) {
    Piece box;
    if (o.has_from) box = joined(box, point_cell(dem, o.from_x, o.from_y, "--from", o.dem));
    if (o.has_to) box = joined(box, point_cell(dem, o.to_x, o.to_y, "--to", o.dem));
    if (o.wave_placed) box = joined(box, point_cell(dem, o.wave_x, o.wave_y, "--wave", o.dem));
    if (!(o.has_from && o.has_to)) {
        box = joined(box, centreline_box(o.river, dem));
    }
    return box;
}

Piece window_around(const Piece& box, double margin_m, double pixel_m, const DemGrid& dem) {
    const double cells = std::ceil(margin_m / pixel_m);
    // Clamped as reals first: a margin of any size cannot overflow the cells' integers.
    auto at = [&](int edge, double by, int limit) {
        return static_cast<int>(std::clamp(edge + by, 0.0, static_cast<double>(limit)));
    };
    const int top = at(box.line, -cells, dem.lines), bottom = at(box.line + box.lines, cells, dem.lines);
    const int left = at(box.col, -cells, dem.cols), right = at(box.col + box.cols, cells, dem.cols);
    return Piece{top, left, bottom - top, right - left};
}

bool flood_leaves_window(const Reach& r, const Results& results) {
    const DemGrid& g = r.grid;
    auto wet = [&](int i, int j) { return results.extent[i][j] == 1 && r.has_ground(Cell{i, j}); };
    auto line_wet = [&](int i) {
        for (int j = 0; j < g.cols; ++j) {
            if (wet(i, j)) return true;
        }
        return false;
    };
    auto column_wet = [&](int j) {
        for (int i = 0; i < g.lines; ++i) {
            if (wet(i, j)) return true;
        }
        return false;
    };
    if (g.is_whole()) return false;
    return (g.window.line > 0 && line_wet(0)) || (g.window.line + g.lines < g.dem_lines && line_wet(g.lines - 1)) ||
           (g.window.col > 0 && column_wet(0)) || (g.window.col + g.cols < g.dem_cols && column_wet(g.cols - 1));
}

std::string window_text(const Reach& r) {
    const MapBox box = box_of_cells(r.grid.georef, Piece{0, 0, r.grid.lines, r.grid.cols});
    const DemGrid whole = r.grid.whole_dem();
    std::string text = strf("%d x %d cells from line %d, column %d of the DEM's %d x %d (x %.1f to %.1f, y %.1f to %.1f)",
                            r.grid.lines, r.grid.cols, r.grid.window.line, r.grid.window.col, whole.lines, whole.cols,
                            box.min_x, box.max_x, box.min_y, box.max_y);
    if (r.margin_m > 0) text += strf(", a margin of %g m", r.margin_m);
    return text + strf(", %d run%s", r.runs, r.runs == 1 ? "" : "s");
}
