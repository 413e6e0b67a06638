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
//     itab_out       the river surface (kNoData: no surface altitude)
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
//   Parameters, Measurements (engine.h): the dialog's answers; the river's length, straight
//     distance and tortuosity.
#ifndef TARVEX_RUN_STATE_H
#define TARVEX_RUN_STATE_H

#include <vector>

#include "byte_grids.h"
#include "engine.h"

// The surface grid's mark for a cell without a surface altitude.
constexpr int kNoData = -99999;

struct Grids {
    int nb_lig = 0, nb_col = 0;
    ByteGrid tab_mask, tab_mask_prov, tab_soul, tab_soul_prov, tab_respaldo;
    IntGrid itab_in, itab_out;

    // The three input grids and four zero grids of their size; throws std::bad_alloc.
    static Grids around(Inputs inputs);
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
