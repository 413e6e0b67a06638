#include "flood_setup.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <set>

#include "altitudes.h"
#include "dem_units.h"
#include "gdal_raster.h"
#include "gis_io.h"
#include "reach.h"
#include "reach_ends.h"
#include "resources.h"
#include "run_memory.h"
#include "text.h"

namespace {

constexpr int kBedRadius = 3;     // cells around an end point searched for the river bed
constexpr double kFarSnap = 5;    // pixels between a point given and its centreline cell, beyond which it is warned of
constexpr std::int32_t kHighGround = Reach::kNoGround;

// A word as the shell reads it back: quoted when it holds anything but plain characters.
std::string shell_word(const std::string& word) {
    if (!word.empty() && word.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"
                                                "_-+=.,:/@%") == std::string::npos) {
        return word;
    }
    std::string quoted = "'";
    for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

}  // namespace

std::string flood_command_line(std::map<std::string, std::string> options, const RunSettings& p,
                               const std::string& out) {
    options["--out"] = out;
    // A library's level, or a flood for a discharge, is the run at the layer it was given.
    if (p.layer.on && (options.count("--layers") != 0 || options.count("--discharge") != 0)) {
        for (const char* found : {"--layers", "--discharge", "--discharges"}) options.erase(found);
        options["--layer"] = p.layer.upper_m == p.layer.lower_m ? strf("%.15g", p.layer.upper_m)
                                                                : strf("%.15g,%.15g", p.layer.upper_m, p.layer.lower_m);
    }
    std::string command = "tarvex-gis flood";
    for (const auto& [option, value] : options) {
        if (option == "--overwrite" || option == "--jobs") continue;
        command += " " + option;
        if (!value.empty()) command += " " + shell_word(value);
    }
    return command;
}

namespace {

// The DEM in `window`: its grid, pixel size and cells in DEM units (its values brought to
// metres first), once it is clear it holds an altitude and the machine can hold the run (its
// grids, and the outputs drawn from them).
void read_dem(Reach& r, const FloodOptions& o, Piece window) {
    GdalRaster raster(o.dem);
    if (raster.complex_band()) fail(o.dem + ": wrong band type (complex values are not altitudes)");
    std::string units_note;
    const ZUnits z = z_units_of(raster, o.z_unit, units_note);
    const DemGrid whole = DemGrid::whole(raster.lines(), raster.cols(), raster.georef());
    r.pixel = pixel_size(raster.georef(), raster.lines(), raster.cols(), o.dem);
    r.coef = unit_factor(o.unit);
    if (window.cells() == 0) window = whole.window;
    r.grid = whole.part(window);
    if (!r.grid.is_whole()) raster.restrict_to(window);
    require_an_altitude(raster);
    const std::uint64_t needed = run_memory_need(r.grid.lines, r.grid.cols) +
                                 saturated_product(raster.cells(), 6);  // the mask, skeleton and DEM read in
    const std::uint64_t available = available_memory();
    if (needed > available) {
        fail("not enough memory for a run on the " + std::to_string(r.grid.lines) + " x " +
             std::to_string(r.grid.cols) + " cells of " + (r.grid.is_whole() ? "" : "a window of ") + o.dem +
             ": it needs " + size_text(needed) + " and " + size_text(available) + " is available");
    }
    r.dem = load_dem(raster, z, r.coef, kHighGround);
    if (!units_note.empty()) note(units_note);
}

double squared_distance(Cell a, Cell b) {
    const double di = a.i - b.i, dj = a.j - b.j;
    return di * di + dj * dj;
}

// The lowest valid ground within kBedRadius cells of `c`, of the mask only when `in_mask`;
// kHighGround when every cell there is no data.
std::int32_t lowest_near(const Reach& r, Cell c, bool in_mask) {
    std::int32_t lowest = kHighGround;  // no data is kHighGround: any valid cell lies below it
    for (int i = std::max(0, c.i - kBedRadius); i <= std::min(r.grid.lines - 1, c.i + kBedRadius); ++i) {
        for (int j = std::max(0, c.j - kBedRadius); j <= std::min(r.grid.cols - 1, c.j + kBedRadius); ++j) {
            if (!in_mask || r.mask[i][j] == 1) lowest = std::min(lowest, r.dem[i][j]);
        }
    }
    return lowest;
}

// The point of --from (`upper`) or --to snapped to the centreline; it must lie on the DEM, and
// one far from the centreline is warned of.
ReachEnd snapped_end(Reach& r, const FloodOptions& o, const ByteGrid& line, bool upper) {
    const double x = upper ? o.from_x : o.to_x, y = upper ? o.from_y : o.to_y;
    const char* option = upper ? "--from" : "--to";
    check_on_dem(r.grid, x, y, option, o.dem);
    ReachEnd e;
    e.given = true;
    e.cell = snap_to_centreline(line, r.grid, r.pixel.metres, x, y, e.moved_m);
    if (e.moved_m > kFarSnap * r.pixel.metres) {
        r.warnings.push_back(strf("the %s end lies %.1f m (%.1f pixels) from the point given with %s (%s, %s): check "
                                  "that the point is on this river",
                                  upper ? "upper" : "lower", e.moved_m, e.moved_m / r.pixel.metres, option,
                                  map_coordinate(x).c_str(), map_coordinate(y).c_str()));
    }
    return e;
}

// The ground at an end of the centreline, for telling which end is upstream: where the end
// has no data, the lowest valid ground near it; fails when there is none.
std::int32_t ground_at_end(const Reach& r, Cell end) {
    if (r.has_ground(end)) return r.dem[end.i][end.j];
    const std::int32_t near = lowest_near(r, end, false);
    if (near == kHighGround) {
        fail("the end " + map_text(r.grid, end) + " of the centreline has no valid ground within " +
             std::to_string(kBedRadius) + " cells: which end is upstream cannot be told; give the reach's ends with " +
             "--from X,Y and --to X,Y");
    }
    return near;
}

// The two ends: the points given, snapped to the centreline; a missing one is the end of the
// centreline farthest from the other, and with neither, the centreline's two ends, the higher
// ground upstream.
void place_ends(Reach& r, const FloodOptions& o, const ByteGrid& line) {
    if (o.has_from) r.from = snapped_end(r, o, line, true);
    if (o.has_to) r.to = snapped_end(r, o, line, false);
    if (o.has_from && o.has_to) return;
    const std::vector<Cell> ends = centreline_points(line).ends;
    if (ends.size() < 2 || (ends.size() > 2 && !o.has_from && !o.has_to)) {
        fail("the centreline has " + std::to_string(ends.size()) +
             " ends: give the reach's ends with --from X,Y and --to X,Y");
    }
    if (o.has_from || o.has_to) {
        const Cell known = o.has_from ? r.from.cell : r.to.cell;
        const Cell far = *std::max_element(ends.begin(), ends.end(), [&](Cell a, Cell b) {
            return squared_distance(a, known) < squared_distance(b, known);
        });
        (o.has_from ? r.to : r.from).cell = far;
        return;
    }
    const bool first_higher = ground_at_end(r, ends[0]) >= ground_at_end(r, ends[1]);
    r.from.cell = first_higher ? ends[0] : ends[1];
    r.to.cell = first_higher ? ends[1] : ends[0];
}

void make_mask(Reach& r, const FloodOptions& o) {
    const int lines = r.grid.lines, cols = r.grid.cols;
    r.mask = o.width > 0 ? cells_within(r.path, lines, cols, o.width / 2 / r.pixel.metres)
                         : cells_on_grid(o.mask, r.grid, false);
    for (const Cell c : r.path) r.mask[c.i][c.j] = 1;  // the river runs in its mask
}

// The lowest valid ground of the mask within a few cells of an end: the river bed there.
// Fails, naming the end, when every cell there is no data.
double bed_near(const Reach& r, const ReachEnd& end, bool upper) {
    const std::int32_t lowest = lowest_near(r, end.cell, true);
    if (lowest == kHighGround) {
        fail(std::string("the ") + (upper ? "upper" : "lower") + " end " + map_text(r.grid, end.cell) +
             " has no valid ground within " + std::to_string(kBedRadius) +
             " cells in the river mask: every cell there is no data; give its level with " +
             (upper ? "--level-from" : "--level-to") + ", or move it with " + (upper ? "--from" : "--to"));
    }
    return static_cast<double>(lowest) / r.coef;
}

void set_levels(Reach& r, const FloodOptions& o) {
    r.from.level_given = o.has_level_from;
    r.to.level_given = o.has_level_to;
    r.from.level_m = o.has_level_from ? o.level_from : bed_near(r, r.from, true);
    r.to.level_m = o.has_level_to ? o.level_to : bed_near(r, r.to, false);
    if (r.to.level_m <= r.from.level_m) return;
    const std::string levels = strf("the level at the lower end (%.3f m) lies above the level at the upper end (%.3f m)",
                                    r.to.level_m, r.from.level_m);
    if (o.has_level_from && o.has_level_to) fail(levels + ": give them the other way round, or swap --from and --to");
    // The bed surface stands on the bed, not on these levels: nothing to warn of there.
    if (o.surface == SurfaceProfile::straight) {
        r.warnings.push_back(levels + ": the water surface was kept level at " + strf("%.3f m", r.from.level_m));
    }
    r.to.level_m = r.from.level_m;
}

// The wave: its half length in whole pixels, its summit on the path (the point given, else the
// middle of the path); fails when the engine could not use it. A half length longer than the
// path is refused as it stands, before it becomes a whole number of pixels that could wrap.
void set_wave(Reach& r, const FloodOptions& o) {
    WaveOptions& w = r.parameters.wave;
    w.on = true;
    const double pixels = std::max(1.0, std::round(o.wave_half_m / r.pixel.metres));
    const int longest = longest_half_wave(static_cast<std::int64_t>(r.path.size()));
    w.half_length_px = pixels > longest ? longest + 1 : static_cast<int>(pixels);
    w.height_m = o.wave_height_m;
    r.summit = static_cast<int>(r.path.size() / 2);
    if (o.wave_placed) {
        check_on_dem(r.grid, o.wave_x, o.wave_y, "--wave", o.dem);
        double moved = 0;
        const Cell at = snap_to_centreline(skeleton_grid(r), r.grid, r.pixel.metres, o.wave_x, o.wave_y, moved);
        r.summit = static_cast<int>(std::find(r.path.begin(), r.path.end(), at) - r.path.begin());
    }
    w.summit = GridPoint{r.path[static_cast<std::size_t>(r.summit)].i, r.path[static_cast<std::size_t>(r.summit)].j};
    const std::string refusal =
        wave_refusal(w, r.parameters.unit, r.grid.lines, r.grid.cols, static_cast<std::int64_t>(r.path.size()));
    if (!refusal.empty()) {
        fail(strf("the wave of %g m on each side (%.0f pixels) cannot be used on a path of %zu pixels:", o.wave_half_m,
                  pixels, r.path.size()) +
             refusal.substr(1, refusal.size() - 3));
    }
}

void set_parameters(Reach& r, const FloodOptions& o) {
    RunSettings& p = r.parameters;
    for (const DemUnit u : {DemUnit::metres, DemUnit::decimetres, DemUnit::centimetres, DemUnit::millimetres}) {
        if (units_per_metre(u) == r.coef) p.unit = u;
    }
    p.upper = RiverEnd{GridPoint{r.from.cell.i, r.from.cell.j}, r.from.level_m};
    p.lower = RiverEnd{GridPoint{r.to.cell.i, r.to.cell.j}, r.to.level_m};
    p.layer = LayerOptions{o.layer, o.layer_from, o.layer_to};
    if (o.wave) set_wave(r, o);
    // The whole metres the descriptors give: the run's lengths and trace stay those of the
    // console program replaying the run from its files.
    p.pixel_m = r.pixel.whole;
}

}  // namespace

DemGrid whole_dem_grid(const FloodOptions& o, PixelSize& pixel) {
    const GdalRaster raster(o.dem);
    pixel = pixel_size(raster.georef(), raster.lines(), raster.cols(), o.dem);
    return DemGrid::whole(raster.lines(), raster.cols(), raster.georef());
}

Reach derive_reach(const FloodOptions& o, const Piece& window) {
    Reach r;
    read_dem(r, o, window);
    ByteGrid line = cells_on_grid(o.river, r.grid, true);
    thin_centreline(line);
    place_ends(r, o, line);
    if (!r.grid.is_whole() && shortest_line(line, r.from.cell, r.to.cell).empty()) return r;
    r.path = reach_between(line, r.grid, r.from.cell, r.to.cell);
    make_mask(r, o);
    set_levels(r, o);
    set_parameters(r, o);
    r.rules = o.rules;
    r.surface = o.surface;
    r.options = o.given;
    r.cut = !o.beyond_ends;
    if (r.cut) cut_beyond_ends(r);
    return r;
}

ByteGrid skeleton_grid(const Reach& r, ByteGrid into) {
    if (into.nb_lig() == r.grid.lines && into.nb_col() == r.grid.cols) {
        std::memset(into.data(), 0, into.cells());
    } else {
        into = ByteGrid(r.grid.lines, r.grid.cols);
    }
    for (const Cell c : r.path) into[c.i][c.j] = 1;
    return into;
}
