// The results of a tarvex run, found from their base name: the flooded DEM, the flood extent,
// the profile table and the run report, which names the run's input rasters and its points.
// The report is read here and nowhere else.
#ifndef TARVEX_GIS_RESULTS_H
#define TARVEX_GIS_RESULTS_H

#include <cstddef>
#include <string>

#include "input_guard.h"
#include "result_files.h"

struct RunResults {
    std::string base;
    int lines = 0, cols = 0, pixel = 0;  // from the run report's six integers
    std::string report;                  // the text of BASE_tarvex.txt

    std::size_t cells() const { return static_cast<std::size_t>(lines) * static_cast<std::size_t>(cols); }
    // BASE followed by one of the result suffixes of file_formats.h.
    std::string file(const char* suffix) const { return base + suffix; }
    // The path the report gives for an input; fails when it names none.
    std::string input(ReportInput which) const;
    // The cell the report gives for an end point or the wave's summit; false when it gives none.
    bool point(ReportPoint which, GridPoint& cell) const { return report_point(report, which, cell); }
    // The side of a pixel in metres: from the georeferencing of `dem` (through its ENVI header)
    // when GDAL reads it, else the report's whole metres, with a note.
    double pixel_metres(const std::string& dem) const;
};

// Reads the run report BASE_tarvex.txt; fails when it is missing or not a report.
RunResults load_results(const std::string& base);

// Guards the five result files of the run `base` and, when its report can be read, the inputs
// the report names.
void guard_run(InputGuard& guard, const std::string& base);

#endif
