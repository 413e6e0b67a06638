// Pictures of a flood worth looking at: a map and a river profile, each as PNG, SVG or PDF.
#ifndef TARVEX_GIS_MAPS_H
#define TARVEX_GIS_MAPS_H

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "drawing.h"

// What a map shows. Lines are read through `read_line`, a few at a time, so that a large grid
// need not be held whole.
struct MapSource {
    int lines = 0, cols = 0;
    double pixel_m = 1;  // the side of a pixel in metres
    // Line i of the original ground (metres, NaN where it has no data) and of the flood's depth
    // (metres, NaN where dry), `cols` values each. The map is drawn in two sweeps of the grid:
    // within a sweep the lines asked for come in increasing order (some may be skipped), and
    // the second sweep starts again from a lower line.
    std::function<void(int i, float* ground, float* depth)> read_line;
    std::vector<std::pair<int, int>> path;  // the river path: line, column, from the upper end
    std::pair<int, int> from{-1, -1}, to{-1, -1};  // the end points (-1: not marked)
    std::string title;
    std::vector<std::string> notes;    // under the title, wrapped to the picture's width (the warnings)
    std::vector<std::pair<int, int>> cut;  // the cells of the lines that cut the valley at the ends
    std::string legend = "depth (m)";  // what the colours of `depth` stand for
    std::vector<double> classes;       // the values `depth` takes, one colour each (a library's levels)
    // With `classes`, rising: each one's colour and name. Named classes get a key of named boxes
    // in place of the row of values; without colours, the classes take shades of blue.
    std::vector<Rgb> class_colours;
    std::vector<std::string> class_names;
    bool full_extent = false;  // the whole grid, not the flood's box with a margin
};

// Draws the map (hillshade of the ground, depth in a sequential colour ramp with a legend in
// metres, the path and the end points, a scale bar, a north arrow, the title) into `path` in
// `format`. Fails with the reason when it cannot be written, naming the file `name` (for a
// `path` that is the temporary of another file; `path` itself when empty).
void draw_flood_map(const MapSource& map, const std::string& path, const std::string& name = "",
                    PictureFormat format = PictureFormat::png);

// The colours of the profile's lines (a test looks for them).
inline constexpr Rgb kGroundLine{140, 90, 43}, kProfileLine{119, 119, 119}, kSurfaceLine{31, 95, 208};

// What a profile shows, point by point along the path from its upper end.
struct ProfileSource {
    std::vector<double> distance_m;  // distance along the path from the upper point
    std::vector<double> ground_m, linear_m, surface_m;  // ground; profile under the layer; final water surface
    std::string linear_name = "linear profile";         // what that profile is: the straight line, or the bed
    int summit = -1;  // the index of the wave's summit, -1 without a wave
    std::string title;
    std::string altitude_unit = "m";  // what the altitudes are counted in, for the axis's label
};

// Draws the profile into `path` in `format` (the file named `name`, as for a map): ground,
// linear profile and water surface against distance, labelled ticks on both axes, end points
// and summit marked. A ground value that is NaN (no data) leaves its point out of the ground's
// line. Fails when the columns differ in length or are empty.
void draw_profile(const ProfileSource& profile, const std::string& path, const std::string& name = "",
                  PictureFormat format = PictureFormat::svg);

#endif
