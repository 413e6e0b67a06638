// The files of a run's results as the console program writes them, and the run report read
// back. Public: the GIS writes a console run's files into a flood's run/ folder, and reads those
// of a finished run, without the console.
//
// The five results of a result name NAME: the flooded DEM NAME_tarvex_m4.raw and its
// descriptor NAME_tarvex_m4.txt, the profile table NAME_tarvex.xls (position, linear profile,
// position, final surface, tab-separated, from position 1), the flood extent NAME_tarvex.raw
// and its descriptor NAME_tarvex.txt, followed by the run report.
#ifndef TARVEX_RESULT_FILES_H
#define TARVEX_RESULT_FILES_H

#include <cstdio>
#include <string>

#include "engine.h"
#include "output_set.h"
#include "temporaries.h"

// One result file: its final path and, while it is written, its temporary's stream.
struct ResultFile {
    std::string path;
    std::FILE* stream = nullptr;
};

// The five results of a result name, in the order they are created.
struct ResultFiles {
    ResultFile dem, dem_descriptor, table, extent, extent_descriptor;

    // The results of `base`, a folder and a result name: base + each result's suffix.
    static ResultFiles named(const std::string& base);
    // Creates the five temporaries in `set`, in order: the first result that cannot be created
    // (errno set), or null when all were.
    const ResultFile* create(OutputSet& set);
};

// Writes `results` into the five files created in `set`, their descriptors giving `pixel` as
// the pixel size, and commits the set. A write that fails throws Stop("\n Unable to write the
// file PATH: CAUSE \n") naming the result; nothing is committed then.
void write_results(ResultFiles& files, OutputSet& set, const Results& results, int pixel);

// The same for the result name `base`, all or nothing: the results of the name are the new
// ones, or stay as they were when anything fails. `temporaries` (may be null) learns the
// temporaries; without `sync` the files are not synced one by one (see OutputSet).
void write_results(const std::string& base, const Results& results, int pixel, Temporaries* temporaries,
                   bool sync);

// What a run report (the text after the extent descriptor's six integers) records.
enum class ReportInput { mask, skeleton, dem };
// The path of an input as a run report names it; false when the report names none.
bool report_input(const std::string& report, ReportInput which, std::string& path);

enum class ReportPoint { upper, lower, summit };
// The cell of an end point, or of the wave's summit, as a run report gives it; false when the
// report gives none.
bool report_point(const std::string& report, ReportPoint which, GridPoint& cell);

#endif
