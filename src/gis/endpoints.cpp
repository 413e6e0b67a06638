#include "endpoints.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "centreline.h"
#include "gdal_raster.h"
#include "gis_io.h"
#include "on_grid.h"
#include "resources.h"
#include "river_path.h"
#include "thinning.h"

namespace {

struct Point {
    const char* kind;
    Cell cell;
};

std::vector<Point> points_of(const ByteGrid& cells) {
    const CentrelinePoints found = centreline_points(cells);
    std::vector<Point> points;
    for (const Cell c : found.ends) points.push_back({"end", c});
    for (const Cell c : found.branches) points.push_back({"branch", c});
    return points;
}

// The ground under each point as the DEM holds it ("nodata" where it has none), or nothing
// without a DEM.
std::vector<std::string> altitudes(const std::string& dem_path, const GdalRaster& skeleton,
                                   const std::vector<Point>& points) {
    if (dem_path.empty()) return std::vector<std::string>(points.size());
    const GdalRaster dem(dem_path);
    if (dem.lines() != skeleton.lines() || dem.cols() != skeleton.cols()) {
        fail("the sizes differ: " + skeleton.path() + " has " + std::to_string(skeleton.lines()) + " x " +
             std::to_string(skeleton.cols()) + " cells, " + dem_path + " " + std::to_string(dem.lines()) + " x " +
             std::to_string(dem.cols()));
    }
    std::vector<std::string> found;
    for (const Point& p : points) {
        double v = 0;
        dem.read(Piece{p.cell.i, p.cell.j, 1, 1}, &v);
        char text[32];
        std::snprintf(text, sizeof text, " %.10g", v);
        found.emplace_back(dem.is_nodata(v) ? " nodata" : text);
    }
    return found;
}

}  // namespace

int endpoints_command(const std::string& centreline, const std::string& dem) {
    const GdalRaster skeleton(centreline);
    const DemGrid grid = DemGrid::whole(skeleton.lines(), skeleton.cols(), skeleton.georef());
    // Before the grid of its cells is allocated: a few bytes of a virtual raster may declare
    // billions of them.
    if (!skeleton.any_cell([&skeleton](double v) { return skeleton.is_set(v); })) {
        fail(centreline + " sets no cell: every cell is 0 or no data");
    }
    const std::uint64_t available = available_memory();
    if (skeleton.cells() > available) {
        fail("not enough memory for the " + std::to_string(skeleton.lines()) + " x " + std::to_string(skeleton.cols()) +
             " cells of " + centreline + ": they need " + size_text(skeleton.cells()) + " and " +
             size_text(available) + " is available");
    }
    ByteGrid cells = raster_on_grid(skeleton, grid, true);
    remove_elbows(cells);  // what the console program follows
    const std::vector<Point> points = points_of(cells);
    const std::vector<std::string> ground = altitudes(dem, skeleton, points);
    std::printf("# kind line(i) column(j) x y%s -- i and j as the console dialog asks for them (GDAL gives the "
                "column first)\n",
                dem.empty() ? "" : " ground(DEM value)");
    for (std::size_t k = 0; k < points.size(); ++k) {
        double x = 0, y = 0;
        map_point(grid, points[k].cell, x, y);
        const std::string place = grid.georef.has_transform ? map_coordinate(x) + " " + map_coordinate(y) : "- -";
        std::printf("%s %d %d %s%s\n", points[k].kind, points[k].cell.i, points[k].cell.j, place.c_str(),
                    ground[k].c_str());
    }
    if (!grid.georef.has_transform) note(centreline + " has no georeferencing: no map coordinates are given");
    if (points.empty() || std::string(points[0].kind) != "end") {
        note("the skeleton has no end pixel: it closes on itself, or its pixels stand alone");
    }
    return 0;
}
