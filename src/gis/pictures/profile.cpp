#include "profile.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <map>
#include <sstream>
#include <vector>

#include "cell_depth.h"
#include "file_formats.h"
#include "gis_io.h"
#include "input_guard.h"
#include "maps.h"
#include "outputs.h"
#include "pieces.h"
#include "raw_files.h"
#include "results.h"
#include "run_path.h"

namespace {


// The table's linear and final altitudes, a line per path position, in DEM units / factor.
void read_table(const std::string& path, double factor, ProfileSource& p) {
    std::istringstream in(read_text(path));
    long long pos = 0, lin = 0, pos2 = 0, fin = 0;
    while (in >> pos >> lin >> pos2 >> fin) {
        p.linear_m.push_back(static_cast<double>(lin) / factor);
        p.surface_m.push_back(static_cast<double>(fin) / factor);
    }
    if (p.linear_m.empty()) fail(path + " holds no profile line");
}

// The ground under each cell of the path (NaN where it has no data), the DEM read line by line.
std::vector<double> ground_along(const RunResults& r, const std::vector<GridCell>& cells, double factor) {
    std::multimap<int, std::size_t> by_line;
    for (std::size_t k = 0; k < cells.size(); ++k) by_line.emplace(cells[k].first, k);
    std::vector<double> ground(cells.size(), NAN);
    RawReader dem(r.input(ReportInput::dem), r.cells(), 4);
    std::vector<std::int32_t> piece(std::min(kPieceCells, r.cells()));
    for_each_piece(r.lines, r.cols, [&](const Piece& p) {
        dem.read(piece.data(), p.cells());
        for (auto it = by_line.lower_bound(p.line); it != by_line.end() && it->first < p.line + p.lines; ++it) {
            const int j = cells[it->second].second - p.col;
            if (j < 0 || j >= p.cols) continue;
            const std::int32_t v = piece[static_cast<std::size_t>(it->first - p.line) * p.cols + j];
            if (v != kNoGround) ground[it->second] = v / factor;
        }
    });
    return ground;
}

// The position of the wave's summit on the path, -1 when it is not on it.
int summit_index(const RunPath& path) {
    for (std::size_t k = 0; k < path.cells.size(); ++k) {
        if (path.cells[k] == path.summit) return static_cast<int>(k);
    }
    return -1;
}

}  // namespace

int render_profile(const std::string& base, const std::string& out, const std::string& unit, bool overwrite) {
    InputGuard guard;
    guard_run(guard, base);
    guard.check({out});
    check_new(out, overwrite);
    const PictureFormat format = picture_format(out);
    const double factor = unit.empty() ? 1 : unit_factor(unit);
    const RunResults r = load_results(base);
    ProfileSource p;
    read_table(base + kResultTable, factor, p);
    const RunPath path = trace_run_path(r);
    if (path.cells.size() != p.linear_m.size()) {
        fail("the river path traced on " + r.input(ReportInput::skeleton) + " has " +
             std::to_string(path.cells.size()) + " cells where " + base + kResultTable + " has " +
             std::to_string(p.linear_m.size()) + " lines: the skeleton is not the one the run had");
    }
    p.distance_m = path_distances(path.cells, r.pixel_metres(r.input(ReportInput::dem)));
    p.ground_m = ground_along(r, path.cells, factor);
    p.summit = summit_index(path);
    p.title = "River profile: " + std::filesystem::path(base).filename().string();
    p.altitude_unit = unit.empty() ? "DEM units" : "m";
    GisOutputs outputs;
    draw_profile(p, outputs.reserve(out), out, format);
    outputs.commit();
    std::printf("%s: %zu profile points along %.1f m\n", out.c_str(), p.distance_m.size(), p.distance_m.back());
    return 0;
}
