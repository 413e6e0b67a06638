// tarvex's engine: a scenario in, results out. Public: this is the way into the engine for any
// caller (the GIS front end, the example in docs/examples, a program of one's own).
//
//     Scenario s;
//     s.inputs = Inputs{mask, skeleton, dem};          // three grids of one size
//     s.settings.unit = DemUnit::centimetres;          // the DEM's unit
//     s.settings.upper = {{0, 12}, 104.5};             // the river's ends and water levels
//     s.settings.lower = {{199, 40}, 98.0};
//     s.settings.layer = {true, 1.0, 1.5};             // a water layer above the surface
//     s.settings.pixel_m = 5.0;
//     Results r = run(std::move(s), progress, trace);
//
// run() orders the skeleton into a river path with a falling water surface (raised by the
// water layer and the Gaussian wave), measures the river, spreads the surface over the river
// mask, floods the terrain beside the river, and returns the flooded DEM, the flood extent,
// the river profile, the measurements and the run report. It writes no file (result_files.h
// writes the console program's files from Results). A run that cannot go on throws Stop,
// carrying the message it also gave its trace; a run cancelled by its progress callback throws
// Stop("cancelled") and returns nothing. Runs share nothing: several may go at once in threads
// of one process.
#ifndef TARVEX_ENGINE_H
#define TARVEX_ENGINE_H

#include <cstdint>
#include <string>
#include <vector>

#include "grid.h"
#include "stop.h"
#include "trace.h"

// The unit of the DEM's integer cells.
enum class DemUnit { metres, decimetres, centimetres, millimetres };

// DEM units per metre: 1, 10, 100 or 1000.
int units_per_metre(DemUnit unit);

// A cell of the grids: line from 0 at the top, column from 0 at the left.
struct GridPoint {
    int line = 0, column = 0;
};

// An end of the river: its cell on the skeleton and the water level there, in metres.
struct RiverEnd {
    GridPoint cell;
    double level_m = 0.0;
};

// A Gaussian wave raising the surface around a summit on the path.
struct WaveOptions {
    bool on = false;
    int half_length_px = 0;  // samples on each side of the summit
    double height_m = 0.0;   // the summit's height
    GridPoint summit;        // where the summit lies
};

// A water layer above the surface, its thickness varying evenly from the upper to the lower end.
struct LayerOptions {
    bool on = false;
    double upper_m = 0.0, lower_m = 0.0;
};

// How the surface spreads over the river mask and the water over the terrain.
//   described  the console program's rules: a cell takes the surface or the water only from
//              one neighbour or two adjacent ones (three give the surface, and raise a dry cell
//              without wetting it); opposite or all four neighbours give nothing. The whole
//              surface is burnt into the DEM, below the ground too, and the whole mask is water.
//   sound      a cell takes them from any of its four neighbours, whatever their arrangement: a
//              dry cell joins the water whenever a water neighbour's level lies above its ground,
//              at the mean of those higher levels. A river cell whose ground lies at or above its
//              surface is dry, and no ground is lowered: the flooded DEM is the higher of the
//              ground and the water.
enum class SpreadRules { described, sound };

// The water surface along the path, before the layer and the wave are added to it.
//   straight  the straight line between the two end levels.
//   bed       the river bed: the ground of each path position, carved so that it never rises
//             downstream (the lowest ground at or upstream of the position). A cell at the
//             highest altitude a DEM unit holds (no ground: a DEM's no data) gives no bed; the
//             positions before the first with ground take its bed.
enum class SurfaceProfile { straight, bed };

// What a run is asked to do, its grids apart. A run needs the layer, the wave or both.
struct RunSettings {
    DemUnit unit = DemUnit::metres;
    RiverEnd upper, lower;  // the upper end's level may not lie below the lower end's
    WaveOptions wave;
    LayerOptions layer;
    double pixel_m = 0.0;   // the side of a pixel, for the river's lengths
    SpreadRules rules = SpreadRules::described;
    SurfaceProfile surface = SurfaceProfile::straight;
};

// The three rasters of a run, all of one size. Handed over by value: a caller that keeps its
// grids for other runs copies them; one that has no further use for them moves them in.
struct Inputs {
    ByteGrid mask;      // the river mask: 1 where the river may lie
    ByteGrid skeleton;  // the river skeleton: 1 on its one-pixel centre line
    IntGrid dem;        // the DEM, in RunSettings::unit
};

// The paths of the input rasters, as the run report names them.
struct InputNames {
    std::string mask, skeleton, dem;
};

struct Scenario {
    InputNames names;
    Inputs inputs;
    RunSettings settings;
};

// The river as the run measured it along its path.
struct RiverMeasures {
    int path_pixels = 0;      // path positions from the upper to the lower end
    double length_m = 0.0;    // the length along the path
    double straight_m = 0.0;  // the straight distance between the two ends
    double tortuosity = 0.0;  // length_m / straight_m (0 when the ends coincide)
};

// The smallest and largest cells of the input DEM, in its unit.
struct DemRange {
    int min = 0, max = 0;
};

struct Results {
    IntGrid flooded_dem;  // the DEM with the water surface, in the DEM's unit
    ByteGrid extent;      // 1 where there is water: the river and the cells that joined it
    // The profile along the path, element 0 the upper end, one per path position, DEM units:
    std::vector<int> linear_profile;   // the surface under the layer and the wave
    std::vector<int> surface_profile;  // the final surface: with the layer and the wave
    RiverMeasures measures;
    DemRange dem_range;        // of the input DEM
    double wave_factor = 0.0;  // the Gaussian wave's shape factor, when there is a wave
    std::string report;        // the run report, as it follows the extent's descriptor
};

// Runs the scenario. `progress` (may be empty) hears of each stage as it begins (pass 0) and of
// each pass of the growth stages; returning false cancels the run.
Results run(Scenario scenario, const ProgressFn& progress, Trace& trace);

// The checks run() makes of a wave, for a caller that wants them before it builds the grids.
// The longest half length a wave may have on a path of `path_pixels` pixels.
int longest_half_wave(std::int64_t path_pixels);
// Why `wave` cannot be used on a path of `path_pixels` pixels in a grid of lines x cols with
// the DEM in `unit`, or an empty text.
std::string wave_refusal(const WaveOptions& wave, DemUnit unit, int lines, int cols, std::int64_t path_pixels);

#endif
