#include "run_path.h"

#include <cmath>
#include <cstdlib>

#include "neighbours.h"
#include "gis_io.h"
#include "pieces.h"
#include "raw_files.h"
#include "river_path.h"

namespace {

ByteGrid read_skeleton(const std::string& path, int lines, int cols) {
    ByteGrid grid(lines, cols);
    RawReader in(path, grid.cells(), 1);
    for_each_piece(lines, cols, [&](const Piece& p) {
        in.read(grid[p.line] + p.col, p.cells());
    });
    return grid;
}

GridCell end_point(const RunResults& r, ReportPoint which, const char* label) {
    GridPoint c;
    if (!r.point(which, c)) fail(r.base + "_tarvex.txt gives no \"" + std::string(label) + "\" line");
    if (c.line < 0 || c.line >= r.lines || c.column < 0 || c.column >= r.cols) {
        fail(r.base + "_tarvex.txt gives a point outside its grid: " + label + " i = " + std::to_string(c.line) +
             " j = " + std::to_string(c.column));
    }
    return GridCell{c.line, c.column};
}

// The engine's message without the blank lines around it.
std::string trimmed(const std::string& s) {
    const std::size_t first = s.find_first_not_of(" \n\t"), last = s.find_last_not_of(" \n\t");
    return first == std::string::npos ? std::string() : s.substr(first, last - first + 1);
}

}  // namespace

RunPath trace_run_path(const RunResults& r) {
    RunPath path;
    path.from = end_point(r, ReportPoint::upper, "Starting point :");
    path.to = end_point(r, ReportPoint::lower, "End point :");
    GridPoint summit;
    if (r.point(ReportPoint::summit, summit)) path.summit = {summit.line, summit.column};
    const std::string skeleton = r.input(ReportInput::skeleton);
    SkeletonPath traced;
    try {
        traced = trace_skeleton_path(read_skeleton(skeleton, r.lines, r.cols), GridPoint{path.from.first, path.from.second},
                                     GridPoint{path.to.first, path.to.second}, r.pixel);
    } catch (const Stop& stop) {
        fail("cannot trace the river path on " + skeleton + ": " + trimmed(stop.what()));
    }
    for (const GridPoint c : traced.cells) path.cells.emplace_back(c.line, c.column);
    return path;
}

std::vector<double> path_distances(const std::vector<GridCell>& cells, double pixel_m) {
    std::vector<double> d;
    double along = 0;
    for (std::size_t k = 0; k < cells.size(); ++k) {
        if (k > 0) {
            along += step_pixels(cells[k].first - cells[k - 1].first, cells[k].second - cells[k - 1].second);
        }
        d.push_back(along * pixel_m);
    }
    return d;
}
