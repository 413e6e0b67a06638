// The rating curve of a flood library: a point a level, from each level's flood, and the
// files that give it (rating.csv, rating.svg).
#ifndef TARVEX_GIS_LIBRARY_RATING_H
#define TARVEX_GIS_LIBRARY_RATING_H

#include <string>
#include <vector>

#include <cpl_json.h>

#include "flood.h"
#include "flood_checks.h"
#include "flood_folder.h"

struct LibraryRating {
    double manning_n = kDefaultManning;
    std::vector<RatingPoint> curve;  // empty when the reach has none: the warnings say why
    std::vector<std::string> warnings;
};

// The curve of the levels' floods (rising in layer) with Manning's `n`; none, and a warning,
// where the bed (the straight surface when `straight`) does not fall along the reach.
LibraryRating library_rating(const std::vector<FloodFigures>& levels, double n, bool straight);

// rating.csv and rating.svg in `folder`, titled with the library's name; nothing without a curve.
void write_rating(const FloodFolder& folder, const LibraryRating& rating, const std::string& name);

// A level's point of the curve, as library.json gives it.
void add_rating(CPLJSONObject& o, const RatingPoint& p);

// Fails, before a library asked for discharges runs its levels, when the reach has no rating
// curve: `w` is the run that found the library's window, at its thickest layer.
void refuse_flat_bed(const WindowedRun& w, double thickest);

// A discharge's flood, at the layer the rating curve gives it.
struct DischargeLevel {
    std::string label;  // the discharge as given, which names its folder
    FloodFigures figures;
};

// The flood of each discharge of `o` in the reach `r`, at the layer the curve gives it, in
// discharge_<Q>/ of `folder`; fails for a discharge outside the curve.
std::vector<DischargeLevel> run_discharges(const FloodOptions& o, const Reach& r, const FloodFolder& folder,
                                           const LibraryRating& rating);

// library.json's list of them: each discharge, the layer the curve gives it, what its flood
// carries, and its folder.
CPLJSONArray discharges_json(const std::vector<DischargeLevel>& discharges);

#endif
