// The opening stage of a console run: the banner, the directory and the three inputs, their
// descriptors (read, or created from the user's answers), the size check, the result name, and
// the five result files, created under temporary names.
#ifndef TARVEX_OPENING_H
#define TARVEX_OPENING_H

#include <memory>
#include <string>

#include "checked_files.h"
#include "console.h"
#include "output_set.h"
#include "result_files.h"
#include "temporaries.h"

// The files of a console run: the paths its dialog built, the three input rasters open for
// reading, what the mask's descriptor says, and the result files being written.
struct RunFiles {
    std::string nomim1, nomdescr1;  // river mask raster and descriptor
    std::string nomim2, nomdescr2;  // river skeleton
    std::string nomim3, nomdescr3;  // DEM
    InputFile f1, f2, f3;  // the mask, skeleton and DEM rasters, until they are loaded
    int nb_lig = 0, nb_col = 0, taille_pix = 0;  // the mask descriptor's lines, columns and pixel size
    // 1 when the DEM descriptor is missing: the parameter dialog creates it whole, with the
    // DEM's lines and columns answered here.
    int flag_f3d = 0;
    int nb_lig3 = 0, nb_col3 = 0;
    Temporaries* temporaries = nullptr;
    // The five results: their paths, their temporaries in `results` and their streams (owned
    // by `results`).
    ResultFiles result_files;
    std::unique_ptr<OutputSet> results;
};

RunFiles opening(Console& con, Temporaries* temporaries);

#endif
