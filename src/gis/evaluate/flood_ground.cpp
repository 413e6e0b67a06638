#include "flood_ground.h"

#include <cmath>
#include <sstream>

#include "altitudes.h"
#include "gdal_raster.h"
#include "gis_io.h"
#include "json_files.h"
#include "numbers.h"

namespace {

// Where the flood's window lies among the cells of its DEM, as its stats.json says.
struct Window {
    Piece cells;
    int dem_lines = 0, dem_cols = 0;
};

Window window_of(const CPLJSONObject& figures, const std::string& stats) {
    const CPLJSONObject w = figures.GetObj("window");
    const Window win{Piece{w.GetInteger("first_line", -1), w.GetInteger("first_column", -1), w.GetInteger("lines"),
                           w.GetInteger("columns")},
                     w.GetInteger("dem_lines"), w.GetInteger("dem_columns")};
    const Piece& p = win.cells;
    if (!w.IsValid() || p.line < 0 || p.col < 0 || p.lines <= 0 || p.cols <= 0 || p.line + p.lines > win.dem_lines ||
        p.col + p.cols > win.dem_cols) {
        fail(stats + " does not say where the flood's window lies in its DEM (a flood of an earlier version?): "
                     "flood it again");
    }
    return win;
}

// Whether two grids' geotransforms place their cells alike, to a millionth of a cell.
bool same_place(const Georef& a, const Georef& b) {
    const double tolerance = 1e-6 * std::fabs(b.transform[1]);
    for (int k = 0; k < 6; ++k) {
        if (std::fabs(a.transform[k] - b.transform[k]) > tolerance) return false;
    }
    return a.has_transform && b.has_transform;
}

// The DEM's grid with the window `w` in it, from the window's own georeferencing.
DemGrid grid_of(const Window& w, const Georef& window_georef) {
    Georef whole = window_georef;
    piece_transform(window_georef.transform, Piece{-w.cells.line, -w.cells.col, w.dem_lines, w.dem_cols},
                    whole.transform);
    return DemGrid::whole(w.dem_lines, w.dem_cols, whole).part(w.cells);
}

// The word after `option` in `words`; "" when it is not among them.
std::string value_of(const std::vector<std::string>& words, const std::string& option) {
    for (std::size_t k = 0; k + 1 < words.size(); ++k) {
        if (words[k] == option) return words[k + 1];
    }
    return "";
}

// DEM units a metre of a console run, from the unit's answer (the power of ten) in answers.txt.
double run_units_per_metre(const std::string& folder) {
    std::istringstream answers(read_text(folder + "/run/answers.txt"));
    std::string line;
    for (int k = 0; k < 6 && std::getline(answers, line); ++k) {
    }
    const std::optional<double> power = read_number(line, 0, 3);
    if (!power || *power != std::floor(*power)) {
        fail(folder + "/run/answers.txt gives no DEM unit as its sixth answer: give the DEM with --dem DEM");
    }
    return std::pow(10.0, *power);
}

// The ground of `raster`'s cells on `grid`, in metres by `metres(value)`.
template <typename Metres>
std::vector<float> ground_of(const GdalRaster& raster, const DemGrid& grid, Metres metres) {
    std::vector<float> ground(static_cast<std::size_t>(grid.lines) * static_cast<std::size_t>(grid.cols));
    std::vector<double> values;
    for_each_piece(grid.lines, grid.cols, [&](const Piece& p) {
        values.resize(p.cells());
        raster.read(p, values.data());
        float* out = ground.data() + static_cast<std::size_t>(p.line) * grid.cols + p.col;
        for (std::size_t k = 0; k < p.cells(); ++k) {
            out[k] = raster.is_nodata(values[k]) ? NAN : static_cast<float>(metres(values[k]));
        }
    });
    return ground;
}

// The folder's own copy of the window's DEM, in the run's DEM units; high ground (its no data)
// where the DEM has no data.
void read_run_copy(FloodGround& g, const std::string& folder, const std::string& copy) {
    const GdalRaster raster(copy);
    if (raster.lines() != g.grid.lines || raster.cols() != g.grid.cols) {
        fail(copy + " is not the size of the flood's window: give the DEM with --dem DEM");
    }
    const double factor = run_units_per_metre(folder);
    g.ground = ground_of(raster, g.grid, [factor](double v) { return v / factor; });
}

// The DEM `dem`, which must have the grid the flood was run on; `z_unit` as --z-unit.
void read_dem(FloodGround& g, const std::string& dem, const std::string& z_unit, const std::string& folder) {
    GdalRaster raster(dem);
    const DemGrid whole = g.grid.whole_dem();
    if (raster.lines() != whole.lines || raster.cols() != whole.cols || !same_place(raster.georef(), whole.georef)) {
        fail(dem + " is not the DEM " + folder + " was flooded on: its grid is not the flood's (" +
             std::to_string(whole.lines) + " x " + std::to_string(whole.cols) + " cells placed as the flood's window)");
    }
    std::string units_note;
    const ZUnits z = z_units_of(raster, z_unit, units_note);
    if (!g.grid.is_whole()) raster.restrict_to(g.grid.window);
    g.ground = ground_of(raster, g.grid, [&z](double v) { return (v * z.scale + z.offset) * z.unit_m; });
}

}  // namespace

std::vector<std::string> shell_words(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    bool in_word = false, quoted = false;
    for (std::size_t k = 0; k < line.size(); ++k) {
        const char c = line[k];
        if (quoted) {
            if (c == '\'') quoted = false; else word += c;
        } else if (c == '\'') {
            quoted = in_word = true;
        } else if (c == '\\' && k + 1 < line.size()) {
            word += line[++k];
            in_word = true;
        } else if (c == ' ') {
            if (in_word) words.push_back(word);
            word.clear();
            in_word = false;
        } else {
            word += c;
            in_word = true;
        }
    }
    if (in_word) words.push_back(word);
    return words;
}

FloodGround read_flood_ground(const std::string& folder, const std::string& dem_given) {
    const CPLJSONObject figures = read_json(folder + "/stats.json");
    const Window w = window_of(figures, folder + "/stats.json");
    const GdalRaster extent(folder + "/extent.tif");
    if (extent.lines() != w.cells.lines || extent.cols() != w.cells.cols || !extent.georef().has_transform) {
        fail(folder + "/extent.tif is not the flood's window its stats.json gives");
    }
    FloodGround g;
    g.grid = grid_of(w, extent.georef());
    g.pixel_m = pixel_size(extent.georef(), extent.lines(), extent.cols(), extent.path()).metres;
    const std::string copy = folder + "/run/images/reach/dem_m4.raw", scenario = folder + "/run/scenario.json";
    const std::vector<std::string> command =
        path_exists(scenario) ? shell_words(read_json(scenario).GetString("command")) : std::vector<std::string>{};
    if (dem_given.empty() && path_exists(copy)) {
        // Cells past the cuts at the ends are high ground there, as cells without data are.
        if (figures.GetBool("cut_at_ends", true)) {
            fail(folder + " was cut at the ends of its reach: its run's copy of the DEM (run/images/reach/dem_m4.raw) "
                          "holds high ground past them, and the folder names no other: give the DEM with --dem DEM");
        }
        g.dem = copy;
        read_run_copy(g, folder, copy);
        return g;
    }
    g.dem = dem_given.empty() ? value_of(command, "--dem") : dem_given;
    if (g.dem.empty()) {
        fail(folder + " holds neither the DEM of its run (run/images/reach/dem_m4.raw) nor run/scenario.json naming "
                      "it: give the DEM with --dem DEM");
    }
    if (dem_given.empty() && !path_exists(g.dem)) {
        fail(folder + " was flooded on the DEM " + g.dem + ", which is not found from here (a relative name counts "
                      "from the folder the flood ran in): give it with --dem DEM");
    }
    check_input(g.dem, true);
    read_dem(g, g.dem, value_of(command, "--z-unit"), folder);
    return g;
}

ByteGrid read_flood_water(const std::string& folder, const DemGrid& grid) {
    const GdalRaster extent(folder + "/extent.tif");
    if (extent.lines() != grid.lines || extent.cols() != grid.cols || !same_place(extent.georef(), grid.georef)) {
        fail(extent.path() + " is not on the grid of the flood's window");
    }
    ByteGrid water = step("read the flood's extent", [&] { return ByteGrid(grid.lines, grid.cols); });
    for_each_piece(grid.lines, grid.cols, [&](const Piece& p) {
        unsigned char* cells = water.data() + static_cast<std::size_t>(p.line) * grid.cols + p.col;
        extent.read(p, cells);
        for (std::size_t k = 0; k < p.cells(); ++k) cells[k] = cells[k] != 0 ? 1 : 0;
    });
    return water;
}
