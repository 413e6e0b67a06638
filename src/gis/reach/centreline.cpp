#include "centreline.h"

#include <gdal.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "gdal_raster.h"
#include "gis_io.h"
#include "on_grid.h"
#include "reach.h"
#include "thinning.h"

DemGrid DemGrid::whole(int lines, int cols, const Georef& georef) {
    DemGrid g;
    g.lines = g.dem_lines = lines;
    g.cols = g.dem_cols = cols;
    g.georef = georef;
    g.window = Piece{0, 0, lines, cols};
    return g;
}

DemGrid DemGrid::part(const Piece& w) const {
    DemGrid g = whole_dem();
    piece_transform(whole_dem().georef.transform, w, g.georef.transform);
    g.lines = w.lines;
    g.cols = w.cols;
    g.window = w;
    return g;
}

DemGrid DemGrid::whole_dem() const {
    if (dem_lines == 0) return whole(lines, cols, georef);
    DemGrid g = whole(dem_lines, dem_cols, georef);
    piece_transform(georef.transform, Piece{-window.line, -window.col, dem_lines, dem_cols}, g.georef.transform);
    return g;
}

void map_point(const DemGrid& dem, Cell c, double& x, double& y) {
    const double* t = dem.georef.transform;
    x = t[0] + (c.j + 0.5) * t[1] + (c.i + 0.5) * t[2];
    y = t[3] + (c.j + 0.5) * t[4] + (c.i + 0.5) * t[5];
}

namespace {

std::size_t count_set(const ByteGrid& g) {
    return g.cells() - static_cast<std::size_t>(std::count(g.data(), g.data() + g.cells(), 0));
}

}  // namespace

std::string map_coordinate(double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", v);
    std::string s = text;
    if (s.size() > 1 && s.back() == '0') s.pop_back();
    return s;
}

std::string map_text(const DemGrid& dem, Cell c) {
    double x = 0, y = 0;
    map_point(dem, c, x, y);
    return "(" + map_coordinate(x) + ", " + map_coordinate(y) + ")";
}

std::string sets_no_cell(const std::string& src, bool vector) {
    return vector ? "the features of " + src + " set no cell of the DEM's grid: they lie outside it"
                  : src + " sets no cell of the DEM's grid: its cells are all 0 or no data, or lie outside it";
}

ByteGrid cells_on_grid(const std::string& src, const DemGrid& dem, bool lines) {
    GdalDataset dataset(src, GDAL_OF_RASTER | GDAL_OF_VECTOR);
    const bool vector = GDALDatasetGetLayerCount(dataset.get()) > 0 && GDALGetRasterCount(dataset.get()) == 0;
    const std::string empty = sets_no_cell(src, vector);
    ByteGrid g;
    if (vector) {
        g = layers_on_grid(dataset, dem, lines);
    } else {
        GdalRaster raster(std::move(dataset));
        if (!restrict_to_grid(raster, dem)) fail(empty);
        if (!raster.any_cell([&raster](double v) { return raster.is_set(v); })) fail(empty);  // before reading it all
        g = raster_on_grid(raster, dem, lines);
    }
    if (count_set(g) == 0) fail(empty);
    return g;
}

void thin_centreline(ByteGrid& line) { thin_lines(line); }

CentrelinePoints centreline_points(const ByteGrid& line) {
    CentrelinePoints points;
    for (int i = 0; i < line.nb_lig(); ++i) {
        for (int j = 0; j < line.nb_col(); ++j) {
            if (line[i][j] == 0) continue;
            const int n = ring_count(ring_code(line, i, j));
            if (n == 1) points.ends.push_back({i, j});
            if (n >= 3) points.branches.push_back({i, j});
        }
    }
    return points;
}

namespace {

// The map point (x, y) in pixels of the DEM's grid: column u, line v (a cell's centre is at
// j + 0.5, i + 0.5).
void pixel_point(const DemGrid& dem, double x, double y, double& u, double& v) {
    double inverse[6];
    if (!GDALInvGeoTransform(const_cast<double*>(dem.georef.transform), inverse)) {
        fail("the DEM's georeferencing cannot be inverted: no map point can be placed on its grid");
    }
    u = inverse[0] + x * inverse[1] + y * inverse[2];
    v = inverse[3] + x * inverse[4] + y * inverse[5];
}

}  // namespace

void check_on_dem(const DemGrid& dem, double x, double y, const std::string& option, const std::string& dem_name) {
    double u = 0, v = 0;
    pixel_point(dem, x, y, u, v);
    if (u >= 0 && u < dem.cols && v >= 0 && v < dem.lines) return;
    const double* t = dem.georef.transform;
    const double x0 = t[0], x1 = t[0] + dem.cols * t[1], y0 = t[3], y1 = t[3] + dem.lines * t[5];
    fail(option + " (" + map_coordinate(x) + ", " + map_coordinate(y) + ") lies outside the DEM " + dem_name +
         ", which spans x " + map_coordinate(std::min(x0, x1)) + " to " + map_coordinate(std::max(x0, x1)) + " and y " +
         map_coordinate(std::min(y0, y1)) + " to " + map_coordinate(std::max(y0, y1)));
}

Cell snap_to_centreline(const ByteGrid& line, const DemGrid& dem, double pixel_m, double x, double y,
                        double& moved_m) {
    double u = 0, v = 0;
    pixel_point(dem, x, y, u, v);
    if (!std::isfinite(u) || !std::isfinite(v)) fail("the point " + map_coordinate(x) + "," + map_coordinate(y) + " is not a place on the map");
    Cell best{-1, -1};
    double best_d2 = INFINITY;
    for (int i = 0; i < line.nb_lig(); ++i) {
        const double di = i + 0.5 - v;
        if (di * di >= best_d2) continue;
        for (int j = 0; j < line.nb_col(); ++j) {
            if (line[i][j] == 0) continue;
            const double dj = j + 0.5 - u, d2 = di * di + dj * dj;
            if (d2 < best_d2) {
                best_d2 = d2;
                best = {i, j};
            }
        }
    }
    if (best.i < 0) fail("the centreline has no cell to place a point on");
    moved_m = std::sqrt(best_d2) * pixel_m;
    return best;
}

std::vector<Cell> reach_between(const ByteGrid& line, const DemGrid& dem, Cell from, Cell to) {
    for (const Cell c : {from, to}) {
        if (!is_set(line, c.i, c.j)) fail("the point " + map_text(dem, c) + " is not on the centreline");
    }
    if (from == to) {
        fail("both end points land on the centreline cell " + map_text(dem, from) + ": give two points farther apart");
    }
    std::vector<Cell> path = shortest_line(line, from, to);
    if (path.empty()) {
        fail("the centreline does not join the two end points " + map_text(dem, from) + " and " + map_text(dem, to) +
             ": they lie on separate pieces of it; give a centreline that joins them");
    }
    const std::vector<Cell> branches = branches_between(line, path);
    if (!branches.empty()) {
        std::string places;
        for (std::size_t k = 0; k < branches.size(); ++k) {
            places += (k == 0 ? "" : (k + 1 == branches.size() ? " and " : ", ")) + map_text(dem, branches[k]);
        }
        fail("the centreline branches between the two end points, at " + places +
             ": give a centreline without branches, or end points on one branch");
    }
    return path;
}

namespace {

// The widest half span w (at most `cap`) of cells on a line at `g` lines from a centreline
// cell whose centres lie within the radius: w * w + g * g <= r2.
int half_span(double r2, int g, int cap) {
    const double room = r2 - static_cast<double>(g) * g;
    int w = static_cast<int>(std::min<double>(std::floor(std::sqrt(room)), cap));
    while (w < cap && static_cast<double>(w + 1) * (w + 1) + static_cast<double>(g) * g <= r2) ++w;
    while (w > 0 && static_cast<double>(w) * w + static_cast<double>(g) * g > r2) --w;
    return w;
}

}  // namespace

ByteGrid cells_within(const std::vector<Cell>& line, int lines, int cols, double radius_pixels) {
    if (!(radius_pixels >= 0)) fail("a distance from the centreline must be 0 or more");
    ByteGrid near(lines, cols);
    // Line by line: in each column the nearest centreline cell above or below gives the widest
    // span of that line within the radius around the column; the spans are merged in one sweep.
    std::vector<std::vector<int>> rows_in(static_cast<std::size_t>(cols));
    for (const Cell c : line) {
        if (c.i >= 0 && c.i < lines && c.j >= 0 && c.j < cols) rows_in[static_cast<std::size_t>(c.j)].push_back(c.i);
    }
    std::vector<int> columns;
    for (int j = 0; j < cols; ++j) {
        auto& rows = rows_in[static_cast<std::size_t>(j)];
        std::sort(rows.begin(), rows.end());
        if (!rows.empty()) columns.push_back(j);
    }
    const double r2 = radius_pixels * radius_pixels;
    const int reach = static_cast<int>(std::min<double>(std::floor(radius_pixels), lines));
    std::vector<std::size_t> below(static_cast<std::size_t>(cols), 0);  // first centreline row >= i
    std::vector<int> span_end(static_cast<std::size_t>(cols));
    for (int i = 0; i < lines; ++i) {
        std::fill(span_end.begin(), span_end.end(), -1);
        for (const int j : columns) {
            const auto& rows = rows_in[static_cast<std::size_t>(j)];
            std::size_t& k = below[static_cast<std::size_t>(j)];
            while (k < rows.size() && rows[k] < i) ++k;
            int g = k < rows.size() ? rows[k] - i : lines;
            if (k > 0) g = std::min(g, i - rows[k - 1]);
            if (g > reach) continue;
            const int w = half_span(r2, g, cols);
            int& end = span_end[static_cast<std::size_t>(std::max(0, j - w))];
            end = std::max(end, static_cast<int>(std::min<long>(cols - 1L, static_cast<long>(j) + w)));
        }
        int covered = -1;
        for (int j = 0; j < cols; ++j) {
            covered = std::max(covered, span_end[static_cast<std::size_t>(j)]);
            near[i][j] = j <= covered ? 1 : 0;
        }
    }
    return near;
}
