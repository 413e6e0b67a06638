#include "flood_checks.h"

#include <cmath>
#include <cstdint>
#include <deque>
#include <functional>
#include <initializer_list>
#include <limits>

#include "neighbours.h"
#include "discharge_search.h"
#include "flood_files.h"
#include "json_files.h"
#include "map_box.h"
#include "reach_ends.h"
#include "reach_window.h"
#include "text.h"

namespace {

// How far the carved bed at path position k (from 0) lies below the ground there.
void measure_carve(const Reach& r, const Results& results, std::size_t k, Cell c, FloodFigures& f) {
    const double cut = r.ground_m(c) - static_cast<double>(results.linear_profile[k]) / r.coef;
    if (!(cut > kDeepCarveM)) return;  // never where the DEM has no data: its ground is NaN
    ++f.deep_carves;
    if (cut > f.deepest_carve_m) f.deepest_carve_m = cut, f.deepest_carve = c;
}

void measure_path(const Reach& r, const Results& results, FloodFigures& f) {
    f.path_cells = static_cast<int>(results.surface_profile.size());
    double length = 0;
    for (std::size_t k = 0; k < results.surface_profile.size(); ++k) {
        const Cell c = r.path[k];
        const double below = r.ground_m(c) - static_cast<double>(results.surface_profile[k]) / r.coef;
        if (below > 0) {  // never where the DEM has no data: its ground is NaN
            ++f.path_cells_below_ground;
            f.deepest_below_ground_m = std::max(f.deepest_below_ground_m, below);
        }
        if (r.surface == SurfaceProfile::bed) measure_carve(r, results, k, c, f);
        if (k > 0) {
            const Cell b = r.path[k - 1];
            length += step_pixels(c.i - b.i, c.j - b.j);
        }
    }
    const Cell a = r.path.front(), z = r.path[static_cast<std::size_t>(std::max(0, f.path_cells - 1))];
    f.river_length_m = length * r.pixel.metres;
    f.straight_m = std::hypot(a.i - z.i, a.j - z.j) * r.pixel.metres;
    f.tortuosity = f.straight_m > 0 ? f.river_length_m / f.straight_m : 0;
    if (f.path_cells < 1) return;
    const auto last = static_cast<std::size_t>(f.path_cells - 1);
    f.water_from_m = static_cast<double>(results.surface_profile.front()) / r.coef;
    f.water_to_m = static_cast<double>(results.surface_profile[last]) / r.coef;
    f.profile_from_m = static_cast<double>(results.linear_profile.front()) / r.coef;
    f.profile_to_m = static_cast<double>(results.linear_profile[last]) / r.coef;
}

// Where a wet cell (i, j) meets the DEM's edge or its cells without data.
void measure_bounds(const Reach& r, int i, int j, FloodFigures& f) {
    const bool sides[4] = {i == 0, j == r.grid.cols - 1, i == r.grid.lines - 1, j == 0};
    bool on_edge = false;
    for (int s = 0; s < 4; ++s) {
        f.edge_cells[s] += sides[s] ? 1 : 0;
        on_edge = on_edge || sides[s];
    }
    if (on_edge && r.ground_m(Cell{i, j}) <= 0) ++f.low_edge_cells;
        for (int n = 0; n < 4; ++n) {
        const int ni = i + kOrthogonal[n].di, nj = j + kOrthogonal[n].dj;
        if (ni < 0 || nj < 0 || ni >= r.grid.lines || nj >= r.grid.cols || r.has_ground(Cell{ni, nj})) continue;
        ++f.beside_no_data;
        return;
    }
}

void measure_water(const Reach& r, const Results& results, FloodFigures& f) {
    // With the ends cut nothing floods past them: the parts of the path are not needed.
    const std::vector<unsigned char> nearest = r.cut ? std::vector<unsigned char>() : nearest_parts(r, f.path_cells);
    const double cell_area = r.pixel.metres * r.pixel.metres;
    double depth_sum = 0, wet_sum = 0;
    const std::function<double(int, int)> ground = [&r](int i, int j) {
        const bool inside = i >= 0 && j >= 0 && i < r.grid.lines && j < r.grid.cols;
        return inside ? r.ground_m(Cell{i, j}) : NAN;
    };
    for (int i = 0; i < r.grid.lines; ++i) {
        for (int j = 0; j < r.grid.cols; ++j) {
            const float d = depth_at(r, results, i, j);
            if (std::isnan(d)) continue;
            ++f.wet_cells;
            wet_sum += d;
            f.wet_bed_area_m2 += cell_area * slope_factor(ground, i, j, r.pixel.metres);
            measure_bounds(r, i, j, f);
            f.wet_max_depth_m = std::max(f.wet_max_depth_m, static_cast<double>(d));
            f.too_deep_cells += d > kPlausibleDepthM ? 1 : 0;
            if (r.mask[i][j] == 1) continue;  // the river itself
            ++f.flooded_cells;
            depth_sum += d;
            f.max_depth_m = std::max(f.max_depth_m, static_cast<double>(d));
            double beyond = 0;
            if (!r.cut && past_end(r, f.path_cells, nearest[static_cast<std::size_t>(i) * r.grid.cols + j], i, j, beyond)) {
                ++f.flooded_cells_beyond_ends;
                f.farthest_beyond_m = std::max(f.farthest_beyond_m, beyond * r.pixel.metres);
            }
        }
    }
    f.flooded_area_m2 = static_cast<double>(f.flooded_cells) * cell_area;
    f.volume_m3 = depth_sum * cell_area;
    f.mean_depth_m = f.flooded_cells > 0 ? depth_sum / static_cast<double>(f.flooded_cells) : 0;
    f.wet_area_m2 = static_cast<double>(f.wet_cells) * cell_area;
    f.wet_volume_m3 = wet_sum * cell_area;
    f.wet_mean_depth_m = f.wet_cells > 0 ? wet_sum / static_cast<double>(f.wet_cells) : 0;
}

void warn(const Reach& r, FloodFigures& f) {
    f.warnings = r.warnings;
    if (f.deep_carves > 0) {
        double x = 0, y = 0;
        map_point(r.grid, f.deepest_carve, x, y);
        f.warnings.push_back(strf("the bed was carved more than %.0f m into the ground on %d path cells, %.2f m at the "
                                  "deepest, at (%.1f, %.1f): a bridge, a dam or an artefact of the DEM?",
                                  kDeepCarveM, f.deep_carves, f.deepest_carve_m, x, y));
    }
    // Under the bed surface the water stands on the carved bed: where it lies below the ground
    // the bed was carved through, which the warning above names where it matters.
    if (f.path_cells_below_ground > 0 && r.surface == SurfaceProfile::straight) {
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
    const long long on_edge = f.edge_cells[0] + f.edge_cells[1] + f.edge_cells[2] + f.edge_cells[3];
    if (on_edge > 0) {
        f.warnings.push_back(strf("the flood reaches the DEM's edge on %lld cells (north %lld, east %lld, south %lld, "
                                  "west %lld): it may go on beyond the DEM",
                                  on_edge, f.edge_cells[0], f.edge_cells[1], f.edge_cells[2], f.edge_cells[3]));
    }
    if (f.beside_no_data > 0) {
        f.warnings.push_back(strf("the flood touches cells without data on %lld cells: it may go on where the DEM has "
                                  "none", f.beside_no_data));
    }
    if (f.low_edge_cells > 0) {
        f.warnings.push_back(strf("the flood spreads over %lld cells at or below 0 m on the DEM's edge: probably the "
                                  "sea; cut the sea out of the DEM or the reach",
                                  f.low_edge_cells));
    }
    if (f.path_cells < static_cast<int>(r.path.size())) {
        f.warnings.push_back(strf("the river path has %d cells where the centreline between the ends has %zu",
                                  f.path_cells, r.path.size()));
    }
}


}  // namespace

RatingPoint FloodFigures::rating(double n) const {
    RatingPoint p = rating_point(channel(), n);
    p.layer_m = layer_from_m;
    p.stage_from_m = water_from_m;
    p.stage_to_m = water_to_m;
    return p;
}

FloodFigures measure_flood(const Reach& r, const RunSettings& p, const Results& results) {
    FloodFigures f;
    f.layer_from_m = p.layer.on ? p.layer.upper_m : 0.0;
    f.layer_to_m = p.layer.on ? p.layer.lower_m : 0.0;
    measure_path(r, results, f);
    measure_water(r, results, f);
    warn(r, f);
    return f;
}

void warn_of_discharge(FloodFigures& f) {
    const DischargeFigures& d = f.discharge;
    const double off = std::fabs(d.reached.discharge_m3s - d.asked_m3s) / d.asked_m3s;
    if (off <= kDischargeTolerance) return;
    const char* why = d.how == "bisection" ? "the nearest a whole unit of the layer gives (a finer --unit comes closer)"
                                           : "the rating curve bends between the library's levels (closer levels come "
                                             "closer)";
    f.warnings.push_back(strf("the flood carries %.3f m3/s, %.1f %% from the %g m3/s asked: %s",
                              d.reached.discharge_m3s, off * 100, d.asked_m3s, why));
}

namespace {

// Figures and their places, as stats.json gives them.
struct Figure {
    const char* name;
    double value;
    int decimals;
};

void add_figures(CPLJSONObject& o, std::initializer_list<Figure> figures) {
    for (const Figure& f : figures) o.Add(f.name, rounded(f.value, f.decimals));
}

}  // namespace

namespace {

// The window of the DEM the flood was run in: its cells among the DEM's, where it lies, the
// margin around the reach it was made with (0: the whole DEM was asked for) and the runs it took.
CPLJSONObject window_json(const Reach& r) {
    const MapBox box = box_of_cells(r.grid.georef, Piece{0, 0, r.grid.lines, r.grid.cols});
    const DemGrid whole = r.grid.whole_dem();
    CPLJSONObject w;
    w.Add("first_line", r.grid.window.line);
    w.Add("first_column", r.grid.window.col);
    w.Add("lines", r.grid.lines);
    w.Add("columns", r.grid.cols);
    w.Add("dem_lines", whole.lines);
    w.Add("dem_columns", whole.cols);
    add_figures(w, {{"x_min", box.min_x, 3}, {"x_max", box.max_x, 3}, {"y_min", box.min_y, 3}, {"y_max", box.max_y, 3},
                    {"margin_m", r.margin_m, 3}});
    w.Add("runs", r.runs);
    return w;
}

// The discharge asked, the layer found for it and what the flood at that layer carries.
CPLJSONObject discharge_json(const DischargeFigures& d) {
    CPLJSONObject o;
    const RatingPoint& p = d.reached;
    add_figures(o, {{"asked_m3s", d.asked_m3s, 3}, {"reached_m3s", p.discharge_m3s, 3}, {"layer_m", p.layer_m, 4}});
    o.Add("found_by", d.how);
    o.Add("runs", d.runs);
    add_figures(o, {{"manning_n", d.manning_n, 4}, {"area_m2", p.area_m2, 3}, {"perimeter_m", p.perimeter_m, 3},
                    {"hydraulic_radius_m", p.radius_m, 4}, {"slope", p.slope, 6}});
    return o;
}

}  // namespace

std::string stats_json(const Reach& r, const FloodFigures& f) {
    CPLJSONObject o;
    o.Add("flooded_cells", static_cast<GInt64>(f.flooded_cells));
    add_figures(o, {{"flooded_area_m2", f.flooded_area_m2, 2}, {"volume_m3", f.volume_m3, 3},
                    {"max_depth_m", f.max_depth_m, 3}, {"mean_depth_m", f.mean_depth_m, 3}});
    o.Add("path_cells", f.path_cells);
    o.Add("path_cells_below_ground", f.path_cells_below_ground);
    o.Add("flooded_cells_beyond_ends", static_cast<GInt64>(f.flooded_cells_beyond_ends));
    o.Add("pixel_size_m", r.pixel.metres);
    add_figures(o, {{"river_length_m", f.river_length_m, 2}, {"straight_distance_m", f.straight_m, 2},
                    {"tortuosity", f.tortuosity, 4}, {"level_from_m", r.from.level_m, 3},
                    {"level_to_m", r.to.level_m, 3}, {"from_snapped_m", r.from.moved_m, 2},
                    {"to_snapped_m", r.to.moved_m, 2}});
    o.Add("wet_cells", static_cast<GInt64>(f.wet_cells));
    add_figures(o, {{"wet_area_m2", f.wet_area_m2, 2}, {"wet_volume_m3", f.wet_volume_m3, 3},
                    {"wet_max_depth_m", f.wet_max_depth_m, 3}, {"wet_mean_depth_m", f.wet_mean_depth_m, 3}});
    o.Add("rules", r.rules == SpreadRules::sound ? "sound" : "described");
    o.Add("surface", r.surface == SurfaceProfile::bed ? "bed" : "straight");
    o.Add("cut_at_ends", r.cut);
    add_figures(o, {{"layer_from_m", f.layer_from_m, 3}, {"layer_to_m", f.layer_to_m, 3},
                    {"water_level_from_m", f.water_from_m, 3}, {"water_level_to_m", f.water_to_m, 3}});
    if (f.for_discharge) o.Add("discharge", discharge_json(f.discharge));
    o.Add("window", window_json(r));
    o.Add("warnings", json_strings(f.warnings));
    return json_document(o);
}

namespace {

// An end: where it lies, and the water there, the layer and the wave on the profile under them
// (the bed, or the straight surface's level at that end).
std::string end_line(const Reach& r, const char* name, const ReachEnd& e, double water_m, double profile_m) {
    double x = 0, y = 0;
    map_point(r.grid, e.cell, x, y);
    std::string how = e.given ? strf("snapped %.1f m from the point given", e.moved_m) : "an end of the centreline";
    const char* under = r.surface == SurfaceProfile::bed ? "the carved bed" : (e.level_given ? "the level given" : "the bed near it");
    return strf("  %-11s (%.1f, %.1f), line %d column %d, %s; water at %.3f m (%s at %.3f m, and the layer)\n", name, x,
                y, e.cell.i, e.cell.j, how.c_str(), water_m, under, profile_m);
}

std::string discharge_line(const DischargeFigures& d) {
    return strf("  %-11s %g m3/s asked, %.3f m3/s reached at a layer of %.4f m (%s, %d run%s; Manning's n %g)\n",
                "discharge", d.asked_m3s, d.reached.discharge_m3s, d.reached.layer_m, d.how.c_str(), d.runs,
                d.runs == 1 ? "" : "s", d.manning_n);
}

}  // namespace

std::string summary_text(const Reach& r, const FloodFigures& f, const std::vector<std::string>& files) {
    std::string s = end_line(r, "upper end", r.from, f.water_from_m, f.profile_from_m) +
                    end_line(r, "lower end", r.to, f.water_to_m, f.profile_to_m);
    s += strf("  %-11s %.0f m along the path (%d cells), %.0f m straight, tortuosity %.3f\n", "river", f.river_length_m,
              f.path_cells, f.straight_m, f.tortuosity);
    s += strf("  %-11s %lld cells beside the river, %.0f m2, %.0f m3\n", "flooded", f.flooded_cells, f.flooded_area_m2,
              f.volume_m3);
    s += strf("  %-11s greatest %.2f m, mean %.2f m beside the river\n", "depth", f.max_depth_m, f.mean_depth_m);
    s += strf("  %-11s %lld cells with the river's, %.0f m2, %.0f m3, greatest depth %.2f m\n", "wet", f.wet_cells,
              f.wet_area_m2, f.wet_volume_m3, f.wet_max_depth_m);
    if (f.for_discharge) s += discharge_line(f.discharge);
    s += strf("  %-11s %s\n", "window", window_text(r).c_str());
    s += f.warnings.empty() ? "  warnings    none\n" : "  warnings\n";
    for (const std::string& w : f.warnings) s += "    - " + w + "\n";
    s += "  files\n";
    for (const std::string& file : files) s += "    " + file + "\n";
    return s;
}
