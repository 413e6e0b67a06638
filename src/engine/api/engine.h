// tarvex's engine: a scenario in, results out.
//
//     Scenario s;
//     s.inputs = Inputs{mask, skeleton, dem};     // three grids of one size
//     s.parameters.hypso_scale = 2;               // ... the dialog's answers
//     Results r = run(std::move(s), progress, trace);
//
// run() orders the skeleton into a river path with a falling water surface (raised by the
// water layer and the Gaussian wave), measures the river, spreads the surface over the river
// mask, floods the terrain beside the river, and returns the flooded DEM, the flood extent,
// the river profile, the measurements and the run report. It writes no file. A run that cannot
// go on throws Stop, carrying the message it also gave its trace. Runs share nothing: several
// may go at once in threads of one process.
#ifndef TARVEX_ENGINE_H
#define TARVEX_ENGINE_H

#include <string>
#include <vector>

#include "grid.h"
#include "stop.h"
#include "trace.h"

// The answers of the parameter dialog (option codes: 0 yes, 1 no). Altitudes, heights and
// thicknesses are metres; points are grid indices (line i, column j).
struct Parameters {
    int hypso_scale = 0;  // the DEM's unit: 0 metres, 1 decimetres, 2 centimetres, 3 millimetres
    int ideb = 0, jdeb = 0;
    double alti_deb = 0.0;  // the upper point of the river and its water level
    int ifin = 0, jfin = 0;
    double alti_fin = 0.0;  // the lower point
    int gauss_treat = 1;    // the Gaussian wave, with:
    int LO = 0;             //   its half length in pixels
    double AO_Max = 0.0;    //   the height of its summit
    int i_AO = 0, j_AO = 0; //   and where the summit lies
    int water_layer = 1;    // the water layer, with:
    double dthick_deb = 0.0, dthick_end = 0.0;  // its thickness above the upper and lower points
    int taille_pix = 0;     // the pixel size in metres, for the river's lengths

    // DEM units per metre: 1, 10, 100 or 1000 (0 for a scale outside the menu).
    int coef() const;
};

// The three rasters of a run, all of one size. Handed over by value: a caller that keeps its
// grids for other runs copies them; one that has no further use for them moves them in.
struct Inputs {
    ByteGrid tab_mask;  // the river mask: 1 where the river may lie
    ByteGrid tab_soul;  // the river skeleton: 1 on its one-pixel centre line
    IntGrid itab_in;    // the DEM, in the unit of Parameters::hypso_scale
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
//   straight  the straight line between the two end altitudes (Parameters::alti_deb, alti_fin).
//   bed       the river bed: the ground of each path position, carved so that it never rises
//             downstream (the lowest ground at or upstream of the position). A cell at the
//             highest altitude a DEM unit holds (no ground: a DEM's no data) gives no bed; the
//             positions before the first with ground take its bed.
enum class SurfaceProfile { straight, bed };

struct Scenario {
    // The input rasters as the run report names them.
    std::string nomim1, nomim2, nomim3;
    // The pixel size of the mask's descriptor, which the result descriptors carry.
    int descriptor_pixel = 0;
    Inputs inputs;
    Parameters parameters;
    SpreadRules rules = SpreadRules::described;
    SurfaceProfile surface = SurfaceProfile::straight;
};

struct Measurements {
    int pix_soul = 0;         // path positions from the upper to the lower point
    double length_tot = 0.0;  // the river's length along the path, metres
    double hypo = 0.0;        // the straight distance between its end points, metres
    double ratio = 0.0;       // the degree of meander tortuosity, length_tot / hypo
};

struct Results {
    IntGrid itab_in;      // the flooded DEM
    ByteGrid tab_mask;    // the flood extent: the river mask with the cells that joined the water
    std::vector<int> k_coord, k_coord2;  // the river profile at path positions 1 .. pix_soul:
                                         // linear, and with the layer and the wave
    Measurements measurements;
    int dem_min = 0, dem_max = 0;  // the input DEM's extremes
    double wave_factor = 0.0;      // the Gaussian wave's shape factor A, when there is a wave
    std::string report;            // the run report, as it follows the result descriptor
};

Results run(Scenario scenario, const ProgressFn& progress, Trace& trace);

#endif
