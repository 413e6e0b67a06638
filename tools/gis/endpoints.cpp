#include "endpoints.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "centreline.h"
#include "gdal_raster.h"
#include "gis_io.h"
#include "on_grid.h"
#include "thinning.h"

namespace {

// The ground under each point, as the DEM holds it ("no data" where it has none).
std::vector<std::string> altitudes(const std::string& dem_path, const GdalRaster& skeleton,
                                   const std::vector<Cell>& points) {
    if (dem_path.empty()) return std::vector<std::string>(points.size());
    const GdalRaster dem(dem_path);
    if (dem.lines() != skeleton.lines() || dem.cols() != skeleton.cols()) {
        fail("the sizes differ: " + skeleton.path() + " has " + std::to_string(skeleton.lines()) + " x " +
             std::to_string(skeleton.cols()) + " cells, " + dem_path + " " + std::to_string(dem.lines()) + " x " +
             std::to_string(dem.cols()));
    }
    std::vector<std::string> found;
    for (const Cell c : points) {
        double v = 0;
        dem.read(Piece{c.i, c.j, 1, 1}, &v);
        char text[32];
        std::snprintf(text, sizeof text, "%.10g", v);
        found.emplace_back(dem.is_nodata(v) ? "no data" : text);
    }
    return found;
}

void print_points(const char* kind, const std::vector<Cell>& points, const DemGrid& grid,
                  const std::vector<std::string>& ground) {
    for (std::size_t k = 0; k < points.size(); ++k) {
        const Cell c = points[k];
        double x = 0, y = 0;
        map_point(grid, c, x, y);
        const std::string place = grid.georef.has_transform ? map_coordinate(x) + " " + map_coordinate(y) : "- -";
        std::printf("%s %d %d %s%s%s\n", kind, c.i, c.j, place.c_str(), ground[k].empty() ? "" : " ",
                    ground[k].c_str());
    }
}

}  // namespace

int endpoints_command(const std::string& centreline, const std::string& dem) {
    const GdalRaster skeleton(centreline);
    const DemGrid grid{skeleton.lines(), skeleton.cols(), skeleton.georef()};
    ByteGrid cells = raster_on_grid(skeleton, grid, true);
    if (std::count(cells.data(), cells.data() + cells.cells(), 1) == 0) {
        fail(centreline + " sets no cell: every cell is 0 or no data");
    }
    thin_elbows_as_engine(cells);  // what the console program follows
    const CentrelinePoints points = centreline_points(cells);
    const std::vector<std::string> end_ground = altitudes(dem, skeleton, points.ends);
    const std::vector<std::string> branch_ground = altitudes(dem, skeleton, points.branches);
    std::printf("# kind line(i) column(j) x y%s -- i and j as the console dialog asks for them (GDAL gives the "
                "column first)\n",
                dem.empty() ? "" : " ground(DEM value)");
    print_points("end", points.ends, grid, end_ground);
    print_points("branch", points.branches, grid, branch_ground);
    if (!grid.georef.has_transform) note(centreline + " has no georeferencing: no map coordinates are given");
    if (points.ends.empty()) note("the skeleton has no end pixel: it closes on itself, or its pixels stand alone");
    return 0;
}
