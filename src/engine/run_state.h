// The state of one engine run, in parts with one job each. Their members keep the names of
// the run's vocabulary, which its report and console trace use:
//
//   Grids, nb_lig lines x nb_col columns (a byte cell counts as set only when it is 1)
//     tab_mask       the river mask as loaded; the flood adds the cells that join the water
//     tab_mask_prov  the water set with the additions of the flooding pass under way
//     tab_soul       the skeleton as loaded; the tracing thins its elbows and marks the path
//                    (255); the construction then adds the cells it gives a surface value
//     tab_soul_prov  that set with the additions of the construction pass under way
//     tab_respaldo   the thinned skeleton
//     itab_in        the DEM; the river surface is burnt into it, then the flood raises it
//     itab_out       the river surface (kNoData: no surface altitude), held only along the
//                    river (surface_grid.h)
//   A run holds at most three of the byte grids at once: tab_soul_prov takes the memory of
//   tab_respaldo once the tracing is done with it, and tab_mask_prov that of tab_soul once the
//   construction is done.
//   Wave, when the Gaussian wave is chosen (samples 1 .. 2*LO+1, index 0 unused)
//     ref_gauss      the summit's sample, LO + 1
//     gauss_curve    the samples in DEM units, truncated
//     z_gauss        the samples in DEM units, not truncated
//     A              the shape factor the search settled on
//   RiverPath, set by the skeleton tracing (positions 1 .. pix_soul, 1 the upper point)
//     pix_soul       the number of path positions
//     i_coord, j_coord  each position's line and column
//     k_coord        the linear water profile, DEM units, truncated
//     z_coord        the same, not truncated (for the trace)
//     k_coord2       the final surface: k_coord with the layer and the wave
//     thick          the water layer's thickness along the path, DEM units
//     step           the fall of the linear profile from one position to the next, metres
//   Parameters, the dialog's answers (option codes: 0 yes, 1 no); metres, grid indices
//     hypso_scale    the DEM's unit: 0 metres, 1 decimetres, 2 centimetres, 3 millimetres
//     ideb, jdeb, alti_deb   the upper point and its water level
//     ifin, jfin, alti_fin   the lower point and its water level
//     gauss_treat    the Gaussian wave, with LO (its half length in pixels), AO_Max (the
//                    height of its summit) and i_AO, j_AO (where the summit lies)
//     water_layer    the water layer, with dthick_deb, dthick_end (its thickness above the
//                    upper and the lower point)
//     taille_pix     the pixel size in metres, for the river's lengths
//   Measurements
//     pix_soul, length_tot, hypo, ratio   path positions, the length along the path, the
//                    straight distance between its ends, the tortuosity length_tot / hypo
//   RunScenario, the run as the stages take it: the input names nomim1, nomim2, nomim3 (mask,
//     skeleton, DEM), the grids, the Parameters, the rules and the surface.
//
// The typed API of engine.h maps onto these in typed_scenario.cpp; engine.cpp maps the results
// back.
#ifndef TARVEX_RUN_STATE_H
#define TARVEX_RUN_STATE_H

#include <string>
#include <vector>

#include "byte_grids.h"
#include "engine.h"
#include "surface_grid.h"

struct Parameters {
    int hypso_scale = 0;
    int ideb = 0, jdeb = 0;
    double alti_deb = 0.0;
    int ifin = 0, jfin = 0;
    double alti_fin = 0.0;
    int gauss_treat = 1;
    int LO = 0;
    double AO_Max = 0.0;
    int i_AO = 0, j_AO = 0;
    int water_layer = 1;
    double dthick_deb = 0.0, dthick_end = 0.0;
    double taille_pix = 0.0;

    // DEM units per metre: 1, 10, 100 or 1000 (0 for a scale outside the menu).
    int coef() const;
};

struct Measurements {
    int pix_soul = 0;
    double length_tot = 0.0;
    double hypo = 0.0;
    double ratio = 0.0;
};

struct RunScenario {
    std::string nomim1, nomim2, nomim3;
    Inputs inputs;
    Parameters parameters;
    SpreadRules rules = SpreadRules::described;
    SurfaceProfile surface = SurfaceProfile::straight;
};

// The run of a scenario in the engine's terms: what run() does once the typed scenario is
// mapped. The console program, which holds the dialog's answers, comes in here.
Results run_scenario(RunScenario scenario, const ProgressFn& progress, Trace& trace);

// The engine's terms of a typed scenario (typed_scenario.cpp, the one place they are mapped).
Parameters parameters_of(const RunSettings& settings);
RunScenario described_scenario(Scenario scenario);

struct Grids {
    int nb_lig = 0, nb_col = 0;
    ByteGrid tab_mask, tab_mask_prov, tab_soul, tab_soul_prov, tab_respaldo;
    IntGrid itab_in;
    SurfaceGrid itab_out;

    // All the memory a run needs, taken up front: the three input grids, tab_respaldo (zero)
    // and the surface around the mask and the skeleton. The provisional sets are not
    // allocated: they take the memory of grids done with (create_river_surface(),
    // end_construction()). Throws std::bad_alloc.
    static Grids around(Inputs inputs);
    // The construction is done: tab_mask_prov takes the memory of tab_soul, and the surface and
    // the construction's grids are given back.
    void end_construction();
    GridShape shape() const { return GridShape{nb_lig, nb_col}; }
};

struct Wave {
    int ref_gauss = 0;
    double A = 0.0;
    std::vector<int> gauss_curve;
    std::vector<double> z_gauss;
};

struct RiverPath {
    int pix_soul = 0;
    std::vector<int> i_coord, j_coord, k_coord, k_coord2, thick;
    std::vector<double> z_coord;
    double step = 0.0;
};

#endif
