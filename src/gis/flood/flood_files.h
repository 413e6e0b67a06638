// The files of a flood: its folder, made whole or not at all, and what goes in it.
#ifndef TARVEX_GIS_FLOOD_FILES_H
#define TARVEX_GIS_FLOOD_FILES_H

#include <mutex>
#include <string>
#include <vector>

#include "engine.h"
#include "flood_folder.h"
#include "flood_setup.h"

// The names the console run of a flood uses: its folder under images/, its three inputs and
// its result.
struct ConsoleRunNames {
    const char* directory;
    const char *mask, *skeleton, *dem;  // NAME.raw and NAME.txt, NAME_m4.raw and NAME_m4.txt
    const char* result;
};
inline constexpr ConsoleRunNames kRun{"reach", "mask", "skeleton", "dem", "flood"};

// The scenario of the reach with the parameters `p`, its inputs named where the console run
// finds them. Its copies of the inputs go into the grids of `spare` that have their size.
Scenario reach_scenario(const Reach& r, const RunSettings& p, const FloodPlace& folder, Inputs spare = Inputs());

// The run inputs of a library's levels, which are the same for every level: the first level
// writes them, the others link to its files (and write their own where they cannot).
struct SharedRunInputs {
    std::mutex mutex;
    std::string first;  // the folder (as written now) holding them, empty before
};

// run/: the inputs as the console program reads them (with ENVI headers) and the five results
// as it writes them, in images/reach/; answers.txt, the dialog's answers that reproduce them;
// console.txt, the engine's console trace.
void write_run(const FloodPlace& folder, const Reach& r, const RunSettings& p, const Results& results,
               const std::string& trace, SharedRunInputs* shared = nullptr);

// depth.tif (metres, no data where dry), extent.tif (1 water, 0 dry) and extent.gpkg (the
// flood's polygons with their area in square metres).
void write_flood_rasters(const FloodPlace& folder, const Reach& r, const Results& results);

// The depth of a cell in metres, NaN where it is dry.
float depth_at(const Reach& r, const Results& results, int i, int j);

#endif
