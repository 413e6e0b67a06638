// The rating curve of a flood library: a point a level, from each level's flood, and the
// files that give it (rating.csv, rating.svg).
#ifndef TARVEX_GIS_LIBRARY_RATING_H
#define TARVEX_GIS_LIBRARY_RATING_H

#include <string>
#include <vector>

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

#endif
