// A river's centreline on the grid of a DEM, made what the engine needs: one pixel wide,
// 8-connected, without right-angle elbows; its end and branch pixels; the single line between
// two of its pixels; and the cells near it.
#ifndef TARVEX_GIS_CENTRELINE_H
#define TARVEX_GIS_CENTRELINE_H

#include <string>
#include <vector>

#include "georef.h"
#include "grid.h"

// A cell of the grid: its line (0 at the top) and column.
struct Cell {
    int i = 0, j = 0;
};
inline bool operator==(Cell a, Cell b) { return a.i == b.i && a.j == b.j; }
inline bool operator!=(Cell a, Cell b) { return !(a == b); }

// The grid of a DEM, or of a window of it: its size and where it lies.
struct DemGrid {
    int lines = 0, cols = 0;
    Georef georef;
    // For a window, its cells among the whole DEM's and the DEM's size (0: the grid is the
    // whole DEM).
    Piece window;
    int dem_lines = 0, dem_cols = 0;

    // The whole DEM `lines` x `cols` placed by `georef`.
    static DemGrid whole(int lines, int cols, const Georef& georef);
    // The window `w` of this whole DEM.
    DemGrid part(const Piece& w) const;
    // The whole DEM's grid, of which this one is a window.
    DemGrid whole_dem() const;
    bool is_whole() const { return dem_lines == 0 || (lines == dem_lines && cols == dem_cols); }
};

// The map coordinates of a cell's centre.
void map_point(const DemGrid& dem, Cell c, double& x, double& y);
// The same as a text for messages: "(500120.0, 4799870.25)".
std::string map_text(const DemGrid& dem, Cell c);
// A map coordinate with two decimals at most and one at least: 500120.0, 500120.25.
std::string map_coordinate(double v);

// The cells of the DEM's grid that `src` sets (1; others 0): for a raster, the cells that are
// neither 0 nor no data, the raster brought onto the DEM's grid by nearest neighbour (and, for
// `lines`, each set cell also setting the DEM cell under its centre, so that a line finer than
// the DEM stays whole); for a vector file, its features burnt (lines when `lines`, else
// polygons). `src` may be in any coordinate system GDAL can transform to the DEM's. Fails when
// `src` sets no cell.
ByteGrid cells_on_grid(const std::string& src, const DemGrid& dem, bool lines);
// How cells_on_grid() fails when `src` (a vector file when `vector`) sets no cell.
std::string sets_no_cell(const std::string& src, bool vector);

// Thins the set cells of `line` to a line one pixel wide and 8-connected, keeping its ends, with
// no right-angle elbow (a cell whose only set neighbours are two orthogonal ones at right
// angles) anywhere, on the grid's border too. Cells kept are 1, others 0.
void thin_centreline(ByteGrid& line);

// The end pixels (one set neighbour of eight) and branch pixels (three or more, once elbows
// are gone) of a thinned centreline, in line order.
struct CentrelinePoints {
    std::vector<Cell> ends, branches;
};
CentrelinePoints centreline_points(const ByteGrid& line);

// Fails, naming `option` and the point, unless the map point (x, y) lies on a cell of the
// DEM `dem_name`.
void check_on_dem(const DemGrid& dem, double x, double y, const std::string& option, const std::string& dem_name);

// The centreline cell nearest the map point (x, y), and how far it lies from it in metres
// (`pixel_m` the side of a pixel). Fails when the centreline has no cell.
Cell snap_to_centreline(const ByteGrid& line, const DemGrid& dem, double pixel_m, double x, double y,
                        double& moved_m);

// The centreline (thinned) from `from` to `to`, cell after cell, each cell touching only the
// one before and the one after, so that the engine follows it exactly. Fails when either is
// not a centreline cell, when they are the same cell, when the two are not connected by the
// centreline, and, naming the branch points in map coordinates, when the centreline between
// them is not a single line: a branch joins it between them, or a second way joins them.
std::vector<Cell> reach_between(const ByteGrid& line, const DemGrid& dem, Cell from, Cell to);

// The cells whose centre lies within `radius_pixels` of the centre of a cell of `line` (cells
// outside the grid are left out); in time proportional to the grid's cells and the line's, not
// their product. Fails for a radius below 0 or not a number.
ByteGrid cells_within(const std::vector<Cell>& line, int lines, int cols, double radius_pixels);

#endif
