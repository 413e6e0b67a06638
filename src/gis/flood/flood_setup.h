// What the flood command derives from GIS data before it runs the engine: the DEM in DEM
// units, the centreline on its grid made a single line between the two end points, the mask,
// the water levels, and the engine's parameters.
#ifndef TARVEX_GIS_FLOOD_SETUP_H
#define TARVEX_GIS_FLOOD_SETUP_H

#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "cell_depth.h"
#include "centreline.h"
#include "engine.h"
#include "georef.h"
#include "rating.h"

// The command's options, checked.
struct FloodOptions {
    std::string dem, river, mask, out, unit = "cm", extent = "flood";
    std::string z_unit;  // the DEM's vertical unit, in place of the file's ("" to take the file's)
    double width = 0;  // metres, for a mask made around the centreline (0: --mask)
    bool has_from = false, has_to = false;
    double from_x = 0, from_y = 0, to_x = 0, to_y = 0;
    bool has_level_from = false, has_level_to = false;
    double level_from = 0, level_to = 0;
    bool layer = false;
    double layer_from = 0, layer_to = 0;
    // A library: one run per layer thickness (labelled as typed: "0.25"), `jobs` at once (0:
    // as many as the cores and the memory allow).
    bool layers = false;
    std::vector<std::string> levels;
    int jobs = 0;
    // The flood carrying a discharge (m3/s), its layer found by runs; a library's floods of
    // `discharges` (as typed), at the layers its rating curve gives them; Manning's n.
    bool discharge = false;
    double discharge_m3s = 0;
    std::vector<std::string> discharges;
    double manning = kDefaultManning;
    bool wave = false, wave_placed = false;
    double wave_half_m = 0, wave_height_m = 0, wave_x = 0, wave_y = 0;
    bool overwrite = false;
    // The window of the DEM read around the reach: its margin beyond the reach's box, doubled
    // until the flood stays inside; the whole DEM with --extent full.
    double margin_m = 2000;
    // How the water spreads and stands: the sound rules on the carved bed by default, the
    // described ones and the straight line between the end levels as options; the flood is cut
    // at the reach's ends unless `beyond_ends`.
    SpreadRules rules = SpreadRules::sound;
    SurfaceProfile surface = SurfaceProfile::bed;
    bool beyond_ends = false;
    // The options as given, for the command that gives the flood again.
    std::map<std::string, std::string> given;
};

// The tarvex-gis command that gives the run of `p` again, into `out`, from the options the
// flood was given: a library's level becomes the single run at its layer. Whether a folder is
// replaced and how many levels run at once are left out: they do not change the flood.
std::string flood_command_line(std::map<std::string, std::string> options, const RunSettings& p,
                               const std::string& out);

// An end point of the reach: where it lies, and how it was chosen.
struct ReachEnd {
    Cell cell;
    double moved_m = 0;        // from the point given, when it was snapped (0 at an end of the centreline)
    bool given = false;        // from --from / --to
    double level_m = 0;        // the water surface there
    bool level_given = false;  // from --level-from / --level-to, else the bed near it
};

struct Reach {
    DemGrid grid;
    PixelSize pixel;
    int coef = 100;
    IntGrid dem;                 // DEM units; cells without data are high ground (kNoGround)
    std::vector<Cell> path;      // the centreline from the upper to the lower end
    ReachEnd from, to;
    ByteGrid mask;               // the river mask (1), with the path; kBeyondCut past the ends
    int summit = -1;             // the wave's summit, an index into `path`
    std::vector<std::string> warnings;
    RunSettings parameters;  // the engine's, its rules and surface apart (below)
    SpreadRules rules = SpreadRules::sound;
    SurfaceProfile surface = SurfaceProfile::bed;
    bool cut = false;     // the valley cut at the ends
    // The window of the DEM the reach was read in (r.grid says where it lies), the margin it was
    // made with, and the engine runs it took to find a window the flood stays inside.
    double margin_m = 0;
    int runs = 1;
    std::map<std::string, std::string> options;  // the command's, as given

    // Whether the console program replays the run: under the described rules on the straight surface.
    bool replayable() const { return rules == SpreadRules::described && surface == SurfaceProfile::straight; }

    bool has_ground(Cell c) const { return dem[c.i][c.j] != kNoGround; }
    // The ground of a cell in metres, NaN where the DEM has no data.
    double ground_m(Cell c) const { return has_ground(c) ? static_cast<double>(dem[c.i][c.j]) / coef : NAN; }

    static constexpr std::int32_t kNoGround = ::kNoGround;
    // Cells past a cut at an end of the reach: out of the river, kept dry by the run.
    static constexpr unsigned char kBeyondCut = 2;
    bool beyond_cut(Cell c) const { return mask[c.i][c.j] == kBeyondCut; }
};

// The grid of the whole DEM of `o` and the size of its pixels, read from its header alone.
DemGrid whole_dem_grid(const FloodOptions& o, PixelSize& pixel);

// Reads the DEM in `window` (cells of the whole DEM; all of it when the window has no cells),
// places the centreline, the ends and the mask there, and derives the parameters. In a window
// that is not the whole DEM, two ends given that the centreline does not join inside it give
// a reach without a path: a larger window may hold the way between them.
Reach derive_reach(const FloodOptions& o, const Piece& window = Piece{});

// The river skeleton of the reach, its path alone (1 on the path's cells, 0 elsewhere), made
// when needed rather than kept beside the mask: in `into` when that has the grid's size.
ByteGrid skeleton_grid(const Reach& r, ByteGrid into = ByteGrid());

#endif
