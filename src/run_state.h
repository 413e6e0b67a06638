// The run state: everything one stage hands to the next. `main` owns one instance, which
// starts at zero (null streams, grids and vectors, 0 numbers, empty paths), and passes it by
// reference to every stage. Member names are those of the run's tables.
#ifndef TARVEX_RUN_STATE_H
#define TARVEX_RUN_STATE_H

#include <cstdio>
#include <memory>
#include <string>

#include "output_set.h"
#include "temporaries.h"

// The surface grid's mark for a cell without a surface altitude.
constexpr int kNoData = -99999;

struct RunState {
    // Where the process learns of the files to remove when it is interrupted (may be null).
    Temporaries* temporaries = nullptr;
    // The five result files, under temporary names until the completed run commits them; it
    // owns the result streams below.
    std::unique_ptr<OutputSet> results;

    // Streams. f1..f3 the three input rasters, f4/f4d the result DEM and its descriptor, f4xls
    // the profile table, f5/f5d the result mask and its descriptor with the run report.
    std::FILE* f1 = nullptr;
    std::FILE* f2 = nullptr;
    std::FILE* f3 = nullptr;
    std::FILE* f4 = nullptr;
    std::FILE* f4d = nullptr;
    std::FILE* f4xls = nullptr;
    std::FILE* f5 = nullptr;
    std::FILE* f5d = nullptr;

    // Grids, nb_lig lines x nb_col columns. Byte grids count a cell as set only when it is 1.
    unsigned char** tab_mask = nullptr;       // river mask, then the water set
    unsigned char** tab_mask_prov = nullptr;  // water set with the current pass's additions
    unsigned char** tab_soul = nullptr;       // river skeleton, then the filled set
    unsigned char** tab_soul_prov = nullptr;  // filled set with the current pass's additions
    unsigned char** tab_respaldo = nullptr;   // thinned skeleton
    int** itab_in = nullptr;                  // DEM, then river surface burnt in, then flooded
    int** itab_out = nullptr;                 // river surface grid (-99999 = no data)

    // Paths: the result mask raster (printed by the parameter dialog), and the other files
    // whose failures must be reported by name.
    std::string nomim5;
    std::string nomim1, nomim2, nomim3;
    std::string nomdescr1, nomdescr2, nomdescr3;
    std::string nomim4, nomdescr4, nomxls4, nomdescr5;

    // Grid geometry and descriptor fields.
    int nb_lig = 0;
    int nb_col = 0;
    int taille_pix = 0;  // metres per pixel
    int val = 0;
    int min_al = 0;
    int max_al = 0;
    // 1 when the DEM descriptor is missing: the parameter dialog creates it whole, with the
    // DEM's lines and columns answered in the opening (nb_lig3, nb_col3).
    int flag_f3d = 0;
    int nb_lig3 = 0, nb_col3 = 0;

    // Parameters of the run (option codes: 0 yes, 1 no).
    int hypso_scale = 0;
    int coef = 0;  // DEM units per metre
    int ideb = 0, jdeb = 0;
    double alti_deb = 0.0;  // metres
    int ifin = 0, jfin = 0;
    double alti_fin = 0.0;  // metres
    int gauss_treat = 0;
    int LO = 0;
    double AO_Max = 0.0;  // metres
    int i_AO = 0, j_AO = 0;
    int water_layer = 0;
    double dthick_deb = 0.0, dthick_end = 0.0;  // metres

    // Gaussian wave: vectors of 2*LO+2 entries used at 1..2*LO+1.
    int ref_gauss = 0;
    int* gauss_curve = nullptr;
    int* i_gauss = nullptr;
    int* j_gauss = nullptr;
    double* z_gauss = nullptr;  // DEM units, not truncated

    // River path: vectors of pix_soul+1 entries used at 1..pix_soul.
    int pix_soul = 0;
    int* i_coord = nullptr;
    int* j_coord = nullptr;
    int* k_coord = nullptr;   // linear profile, DEM units
    int* k_coord2 = nullptr;  // final surface altitude, DEM units
    double* z_coord = nullptr;
    int* thick = nullptr;  // water layer thickness, DEM units
    double step = 0.0;     // metres per path position

    // River measurements.
    int idif = 0, jdif = 0;
    double length = 0.0;
    double length_tot = 0.0;
    double hypo = 0.0;
    double ratio = 0.0;
};

#endif
