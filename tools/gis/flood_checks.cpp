#include "flood_checks.h"

#include <cmath>
#include <cstdint>
#include <deque>
#include <limits>

#include "flood_files.h"
#include "text.h"

namespace {

// What part of the path each cell lies nearest to: its first position, its last, or another.
enum Nearest : unsigned char { kUnreached, kFirst, kLast, kInner };

Nearest part_of_path(int k, int positions) {
    return k == 0 ? kFirst : k == positions - 1 ? kLast : kInner;
}

// For every cell, the part of the path holding the position nearest to it through the grid
// (4-neighbour steps, ties to the position that reaches it first): a byte a cell, where the
// position itself would take four, since every level of a library has one at once.
std::vector<unsigned char> nearest_parts(const Reach& r, int positions) {
    const int lines = r.grid.lines, cols = r.grid.cols;
    std::vector<unsigned char> nearest(static_cast<std::size_t>(lines) * static_cast<std::size_t>(cols), kUnreached);
    std::deque<std::size_t> front;
    for (int k = 0; k < positions; ++k) {
        const std::size_t at = static_cast<std::size_t>(r.path[static_cast<std::size_t>(k)].i) * cols + r.path[k].j;
        if (nearest[at] != kUnreached) continue;
        nearest[at] = part_of_path(k, positions);
        front.push_back(at);
    }
    while (!front.empty()) {
        const std::size_t at = front.front();
        front.pop_front();
        const int i = static_cast<int>(at / cols), j = static_cast<int>(at % cols);
        const int di[4] = {-1, 0, 1, 0}, dj[4] = {0, 1, 0, -1};
        for (int n = 0; n < 4; ++n) {
            const int ni = i + di[n], nj = j + dj[n];
            if (ni < 0 || nj < 0 || ni >= lines || nj >= cols) continue;
            const std::size_t next = static_cast<std::size_t>(ni) * cols + nj;
            if (nearest[next] != kUnreached) continue;
            nearest[next] = nearest[at];
            front.push_back(next);
        }
    }
    return nearest;
}

// Whether a cell nearest an end of the path lies past it: on the far side of the end from
// the path's next cell.
bool past_end(const Reach& r, int positions, unsigned char part, int i, int j, double& distance_cells) {
    if (positions < 2 || (part != kFirst && part != kLast)) return false;
    const int k = part == kFirst ? 0 : positions - 1;
    const Cell end = r.path[static_cast<std::size_t>(k)];
    const Cell inner = r.path[static_cast<std::size_t>(k == 0 ? 1 : positions - 2)];
    const double oi = end.i - inner.i, oj = end.j - inner.j, ci = i - end.i, cj = j - end.j;
    distance_cells = std::hypot(ci, cj);
    return oi * ci + oj * cj > 0;
}

void measure_path(const Reach& r, const Results& results, FloodFigures& f) {
    f.path_cells = static_cast<int>(results.k_coord2.size()) - 1;
    double length = 0;
    for (int k = 1; k <= f.path_cells; ++k) {
        const Cell c = r.path[static_cast<std::size_t>(k - 1)];
        const double below = r.ground_m(c) - static_cast<double>(results.k_coord2[static_cast<std::size_t>(k)]) / r.coef;
        if (below > 0) {  // never where the DEM has no data: its ground is NaN
            ++f.path_cells_below_ground;
            f.deepest_below_ground_m = std::max(f.deepest_below_ground_m, below);
        }
        if (k > 1) {
            const Cell b = r.path[static_cast<std::size_t>(k - 2)];
            length += (b.i != c.i && b.j != c.j) ? std::sqrt(2.0) : 1.0;
        }
    }
    const Cell a = r.path.front(), z = r.path[static_cast<std::size_t>(std::max(0, f.path_cells - 1))];
    f.river_length_m = length * r.pixel.metres;
    f.straight_m = std::hypot(a.i - z.i, a.j - z.j) * r.pixel.metres;
    f.tortuosity = f.straight_m > 0 ? f.river_length_m / f.straight_m : 0;
}

void measure_water(const Reach& r, const Results& results, FloodFigures& f) {
    const std::vector<unsigned char> nearest = nearest_parts(r, f.path_cells);
    const double cell_area = r.pixel.metres * r.pixel.metres;
    double depth_sum = 0;
    for (int i = 0; i < r.grid.lines; ++i) {
        for (int j = 0; j < r.grid.cols; ++j) {
            const float d = depth_at(r, results, i, j);
            if (std::isnan(d)) continue;
            f.max_depth_m = std::max(f.max_depth_m, static_cast<double>(d));
            f.too_deep_cells += d > kPlausibleDepthM ? 1 : 0;
            if (r.mask[i][j] == 1) continue;  // the river itself
            ++f.flooded_cells;
            depth_sum += d;
            double beyond = 0;
            if (past_end(r, f.path_cells, nearest[static_cast<std::size_t>(i) * r.grid.cols + j], i, j, beyond)) {
                ++f.flooded_cells_beyond_ends;
                f.farthest_beyond_m = std::max(f.farthest_beyond_m, beyond * r.pixel.metres);
            }
        }
    }
    f.flooded_area_m2 = static_cast<double>(f.flooded_cells) * cell_area;
    f.volume_m3 = depth_sum * cell_area;
    f.mean_depth_m = f.flooded_cells > 0 ? depth_sum / static_cast<double>(f.flooded_cells) : 0;
}

void warn(const Reach& r, FloodFigures& f) {
    f.warnings = r.warnings;
    if (f.path_cells_below_ground > 0) {
        f.warnings.push_back(strf("the water surface lies below the ground on %d of the %d path cells, %.2f m at the "
                                  "deepest: raise the levels or the layer",
                                  f.path_cells_below_ground, f.path_cells, f.deepest_below_ground_m));
    }
    if (f.flooded_cells_beyond_ends > 0) {
        f.warnings.push_back(strf("%lld flooded cells lie past the ends of the reach, up to %.0f m from an end: the "
                                  "flood ran along the valley beyond the reach",
                                  f.flooded_cells_beyond_ends, f.farthest_beyond_m));
    }
    if (f.too_deep_cells > 0) {
        f.warnings.push_back(strf("%lld cells are deeper than %.0f m (%.2f m at the deepest): check the levels and "
                                  "the DEM's unit",
                                  f.too_deep_cells, kPlausibleDepthM, f.max_depth_m));
    }
    if (f.path_cells < static_cast<int>(r.path.size())) {
        f.warnings.push_back(strf("the river path has %d cells where the centreline between the ends has %zu",
                                  f.path_cells, r.path.size()));
    }
}


}  // namespace

std::string json_text(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            out += strf("\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(c)));  // a line break, a tab...
        } else {
            out += c;
        }
    }
    return out + "\"";
}

FloodFigures measure_flood(const Reach& r, const Results& results) {
    FloodFigures f;
    measure_path(r, results, f);
    measure_water(r, results, f);
    warn(r, f);
    return f;
}

std::string stats_json(const Reach& r, const FloodFigures& f) {
    std::string warnings;
    for (const std::string& w : f.warnings) warnings += (warnings.empty() ? "" : ", ") + json_text(w);
    return strf("{\n  \"flooded_cells\": %lld,\n  \"flooded_area_m2\": %.2f,\n  \"volume_m3\": %.3f,\n"
                "  \"max_depth_m\": %.3f,\n  \"mean_depth_m\": %.3f,\n  \"path_cells\": %d,\n"
                "  \"path_cells_below_ground\": %d,\n  \"flooded_cells_beyond_ends\": %lld,\n"
                "  \"pixel_size_m\": %.6g,\n  \"river_length_m\": %.2f,\n  \"straight_distance_m\": %.2f,\n"
                "  \"tortuosity\": %.4f,\n  \"level_from_m\": %.3f,\n  \"level_to_m\": %.3f,\n"
                "  \"from_snapped_m\": %.2f,\n  \"to_snapped_m\": %.2f,\n",
                f.flooded_cells, f.flooded_area_m2, f.volume_m3, f.max_depth_m, f.mean_depth_m, f.path_cells,
                f.path_cells_below_ground, f.flooded_cells_beyond_ends, r.pixel.metres, f.river_length_m, f.straight_m,
                f.tortuosity, r.from.level_m, r.to.level_m, r.from.moved_m, r.to.moved_m) +
           "  \"warnings\": [" + warnings + "]\n}\n";
}

namespace {

std::string end_line(const Reach& r, const char* name, const ReachEnd& e) {
    double x = 0, y = 0;
    map_point(r.grid, e.cell, x, y);
    std::string how = e.given ? strf("snapped %.1f m from the point given", e.moved_m) : "an end of the centreline";
    return strf("  %-11s (%.1f, %.1f), line %d column %d, %s; water at %.3f m (%s)\n", name, x, y, e.cell.i,
                e.cell.j, how.c_str(), e.level_m, e.level_given ? "given" : "the bed near it");
}

}  // namespace

std::string summary_text(const Reach& r, const FloodFigures& f, const std::vector<std::string>& files) {
    std::string s = end_line(r, "upper end", r.from) + end_line(r, "lower end", r.to);
    s += strf("  %-11s %.0f m along the path (%d cells), %.0f m straight, tortuosity %.3f\n", "river", f.river_length_m,
              f.path_cells, f.straight_m, f.tortuosity);
    s += strf("  %-11s %lld cells beside the river, %.0f m2, %.0f m3\n", "flooded", f.flooded_cells, f.flooded_area_m2,
              f.volume_m3);
    s += strf("  %-11s greatest %.2f m, mean %.2f m beside the river\n", "depth", f.max_depth_m, f.mean_depth_m);
    s += f.warnings.empty() ? "  warnings    none\n" : "  warnings\n";
    for (const std::string& w : f.warnings) s += "    - " + w + "\n";
    s += "  files\n";
    for (const std::string& file : files) s += "    " + file + "\n";
    return s;
}
