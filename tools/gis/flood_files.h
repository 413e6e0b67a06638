// The files of a flood: its folder, made whole or not at all, and what goes in it.
#ifndef TARVEX_GIS_FLOOD_FILES_H
#define TARVEX_GIS_FLOOD_FILES_H

#include <mutex>
#include <string>
#include <vector>

#include "engine.h"
#include "flood_setup.h"

// A folder of a flood's files: where they are written now, and where they will be.
struct FloodPlace {
    std::string work, final_root;
    std::string at(const std::string& name) const { return work + "/" + name; }
    std::string final_path(const std::string& name) const { return final_root + "/" + name; }
};

// The output folder FOLDER: everything is written into a hidden folder beside it, which takes
// its place once complete (an existing FOLDER, with --overwrite, is removed only then). A
// command that fails or is interrupted before leaves FOLDER as it was and nothing else.
class FloodFolder {
public:
    // Fails when FOLDER exists without `overwrite`, or holds one of `inputs`.
    FloodFolder(const std::string& out, bool overwrite, const std::vector<std::string>& inputs);
    ~FloodFolder();
    FloodFolder(const FloodFolder&) = delete;
    FloodFolder& operator=(const FloodFolder&) = delete;

    // Where the file `name` of FOLDER (e.g. "run/answers.txt") is written now.
    std::string at(const std::string& name) const;
    // Where it will be: FOLDER/name, as given.
    std::string final_path(const std::string& name) const;
    // The sub-folder `sub` of FOLDER (all of it for ""), made with its run/images/reach/.
    FloodPlace place(const std::string& sub) const;
    void commit();

private:
    std::string out_, work_;
    bool committed_ = false;
};

// The names the console run of a flood uses: its directory, inputs and result.
inline constexpr const char* kRunDirectory = "reach";
inline constexpr const char* kRunMask = "mask";
inline constexpr const char* kRunSkeleton = "skeleton";
inline constexpr const char* kRunDem = "dem";
inline constexpr const char* kRunResult = "flood";

// The scenario of the reach with the parameters `p`, its inputs named where the console run
// finds them. Its copies of the inputs go into the grids of `spare` that have their size.
Scenario reach_scenario(const Reach& r, const Parameters& p, const FloodPlace& folder, Inputs spare = Inputs());

// The run inputs of a library's levels, which are the same for every level: the first level
// writes them, the others link to its files (and write their own where they cannot).
struct SharedRunInputs {
    std::mutex mutex;
    std::string first;  // the folder (as written now) holding them, empty before
};

// run/: the inputs as the console program reads them (with ENVI headers) and the five results
// as it writes them, in images/reach/; answers.txt, the dialog's answers that reproduce them;
// console.txt, the engine's console trace.
void write_run(const FloodPlace& folder, const Reach& r, const Parameters& p, const Results& results,
               const std::string& trace, SharedRunInputs* shared = nullptr);

// depth.tif (metres, no data where dry), extent.tif (1 water, 0 dry) and extent.gpkg (the
// flood's polygons with their area in square metres).
void write_flood_rasters(const FloodPlace& folder, const Reach& r, const Results& results);

// The depth of a cell in metres, NaN where it is dry.
float depth_at(const Reach& r, const Results& results, int i, int j);

#endif
