// Pictures of a flood worth looking at: a map (PNG) and a river profile (SVG).
#ifndef TARVEX_GIS_MAPS_H
#define TARVEX_GIS_MAPS_H

#include <functional>
#include <string>
#include <utility>
#include <vector>

// What a map shows. Lines are read through `read_line`, a few at a time, so that a large grid
// need not be held whole.
struct MapSource {
    int lines = 0, cols = 0;
    double pixel_m = 1;  // the side of a pixel in metres
    // Line i of the original ground (metres) and of the flood's depth (metres, NaN where dry).
    std::function<void(int i, float* ground, float* depth)> read_line;
    std::vector<std::pair<int, int>> path;  // the river path: line, column
    std::pair<int, int> from{-1, -1}, to{-1, -1};  // the end points (-1: not marked)
    std::string title;
    bool full_extent = false;  // the whole grid, not the flood's box with a margin
};

// Draws the map (hillshade of the ground, depth in a sequential colour ramp with a legend in
// metres, the path and the end points, a scale bar, a north arrow, the title) into a PNG at
// `png_path`. Fails with the reason when it cannot be written.
void draw_flood_map(const MapSource& map, const std::string& png_path);

// What a profile shows, point by point along the path from its upper end.
struct ProfileSource {
    std::vector<double> distance_m;  // distance along the path from the upper point
    std::vector<double> ground_m, linear_m, surface_m;  // ground; linear profile; final water surface
    int summit = -1;  // the index of the wave's summit, -1 without a wave
    std::string title;
};

// The profile as an SVG document: ground, linear profile and water surface against distance,
// labelled ticks on both axes, end points and summit marked.
std::string profile_svg_text(const ProfileSource& profile);

#endif
