// A rating curve as a plot: the discharge against the water level at the reach's upper end,
// a point a level of the library.
#ifndef TARVEX_GIS_RATING_PLOT_H
#define TARVEX_GIS_RATING_PLOT_H

#include <string>
#include <vector>

struct RatingPlot {
    std::vector<double> stage_m, discharge_m3s;  // a point a level, rising
    std::string title, curve_name;
};

// Draws the curve as an SVG into `path` (the file named `name`, as a map is); fails when it
// has no point or its columns differ in length.
void draw_rating(const RatingPlot& plot, const std::string& path, const std::string& name);

#endif
