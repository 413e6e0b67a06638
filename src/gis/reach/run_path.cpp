#include "run_path.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "gis_io.h"
#include "pieces.h"
#include "raw_files.h"
#include "run_state.h"
#include "path_tracing.h"

namespace {

ByteGrid read_skeleton(const std::string& path, int lines, int cols) {
    ByteGrid grid(lines, cols);
    RawReader in(path, grid.cells(), 1);
    for_each_piece(lines, cols, [&](const Piece& p) {
        in.read(grid[p.line] + p.col, p.cells());
    });
    return grid;
}

GridCell end_point(const RunResults& r, const char* label) {
    GridCell c;
    if (!report_cell(r.report, label, c)) fail(r.base + "_tarvex.txt gives no \"" + std::string(label) + "\" line");
    if (c.first < 0 || c.first >= r.lines || c.second < 0 || c.second >= r.cols) {
        fail(r.base + "_tarvex.txt gives a point outside its grid: " + label + " i = " + std::to_string(c.first) +
             " j = " + std::to_string(c.second));
    }
    return c;
}

// The engine's message without the blank lines around it.
std::string trimmed(const std::string& s) {
    const std::size_t first = s.find_first_not_of(" \n\t"), last = s.find_last_not_of(" \n\t");
    return first == std::string::npos ? std::string() : s.substr(first, last - first + 1);
}

}  // namespace

bool report_cell(const std::string& report, const char* label, GridCell& cell) {
    const std::size_t at = report.find(label);
    if (at == std::string::npos) return false;
    return std::sscanf(report.c_str() + at + std::string(label).size(), " i = %d j = %d", &cell.first,
                       &cell.second) == 2;
}

RunPath trace_run_path(const RunResults& r) {
    RunPath path;
    path.from = end_point(r, "Starting point :");
    path.to = end_point(r, "End point :");
    if (!report_cell(r.report, "Coordinates of this point", path.summit)) path.summit = {-1, -1};
    const std::string skeleton = r.input(ReportInput::skeleton);
    Grids g;
    g.nb_lig = r.lines;
    g.nb_col = r.cols;
    g.tab_soul = read_skeleton(skeleton, r.lines, r.cols);
    g.tab_respaldo = ByteGrid(r.lines, r.cols);
    g.itab_out = IntGrid(r.lines, r.cols);
    Parameters p;
    p.ideb = path.from.first;
    p.jdeb = path.from.second;
    p.ifin = path.to.first;
    p.jfin = path.to.second;
    p.taille_pix = r.pixel;
    SilentTrace trace;
    RunLog log(trace, nullptr);
    Measurements m;
    RiverPath traced;
    try {
        traced = suiv_cont(g, p, log, m);
    } catch (const Stop& stop) {
        fail("cannot trace the river path on " + skeleton + ": " + trimmed(stop.what()));
    }
    for (int k = 1; k <= traced.pix_soul; ++k) path.cells.emplace_back(traced.i_coord[k], traced.j_coord[k]);
    return path;
}

std::vector<double> path_distances(const std::vector<GridCell>& cells, double pixel_m) {
    std::vector<double> d;
    double along = 0;
    for (std::size_t k = 0; k < cells.size(); ++k) {
        if (k > 0) {
            const bool diagonal = std::abs(cells[k].first - cells[k - 1].first) == 1 &&
                                  std::abs(cells[k].second - cells[k - 1].second) == 1;
            along += diagonal ? std::sqrt(2.0) : 1.0;
        }
        d.push_back(along * pixel_m);
    }
    return d;
}
