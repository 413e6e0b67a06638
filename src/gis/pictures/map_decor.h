// What a flood map draws over and around its ground: the river path and its end points, the
// title, the depth legend, the key to the path's marks, the scale bar and the north arrow.
#ifndef TARVEX_GIS_MAP_DECOR_H
#define TARVEX_GIS_MAP_DECOR_H

#include "drawing.h"
#include "map_layout.h"
#include "map_terrain.h"
#include "maps.h"

// The colours the map's marks are drawn in (a test looks for them).
inline constexpr Rgb kInk{0, 0, 0};           // the scale bar, the north arrow, the frames
inline constexpr Rgb kTextInk{40, 40, 40};    // text
inline constexpr Rgb kPathColour{255, 140, 0};
inline constexpr Rgb kUpperEnd{40, 170, 60}, kLowerEnd{200, 30, 40};
inline constexpr Rgb kCutColour{150, 0, 150};  // the lines cutting the valley at the ends

// The size of the panel's text and of the notes.
inline constexpr double kTextSize = 14;

// The notes wrapped into lines of at most `width` picture pixels at the notes' text size,
// `most` lines at the most (the last one then says how many were left out).
std::vector<std::string> note_lines(const std::vector<std::string>& notes, int width, int most);

// The path (cells next to each other joined by a line) and its end points, clipped to the map.
void draw_path(cairo_t* cr, const MapSource& map, const MapLayout& layout);

// The title band, the map's frame, and the panel below the map: the depth legend at its left,
// the key to the path's marks, the scale bar, and the north arrow at its right end.
void draw_decor(cairo_t* cr, const MapSource& map, const MapLayout& layout, const DepthRamp& ramp);

#endif
