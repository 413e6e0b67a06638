// The map's ground: the grid swept line by line, a hillshade of the ground where it is dry and
// the flood's depth in a colour ramp where it is wet.
#ifndef TARVEX_GIS_MAP_TERRAIN_H
#define TARVEX_GIS_MAP_TERRAIN_H

#include <vector>

#include "drawing.h"
#include "map_layout.h"
#include "maps.h"

// The sequential ramp of the depths, light blue at 0 to dark blue at `top` (a round number at
// or above the deepest cell), with the round step of its legend's ticks.
// With `classes` (a library's levels, rising) the ramp is discrete instead: one colour a class,
// a value taking the colour of the class nearest it.
struct DepthRamp {
    double top = 1, step = 1;
    std::vector<double> classes;
    std::vector<Rgb> colours;  // the classes' own colours, when they have them
    Rgb colour(double depth) const;
    // The colour of class k of `classes`.
    Rgb class_colour(std::size_t k) const;
};
DepthRamp depth_ramp(double deepest);
DepthRamp class_ramp(const std::vector<double>& classes, const std::vector<Rgb>& colours = {});

// The flooded cells' box and the greatest depth, from one sweep of the grid.
struct FloodSurvey {
    CellBox box;
    double deepest = 0;
};
FloodSurvey survey_flood(const MapSource& map);

// The grey of dry ground in `light` (0 to 1, NaN: flat): never darker than 55.
Rgb shade_grey(float light);

// The cells of a window drawn on a map `pixels` long at `scale` picture pixels a cell: every
// cell when a cell takes a pixel or more, else the cell at the centre of each pixel.
std::vector<int> shown_cells(int first, int count, double scale, int pixels);

// The map's ground as an image of one pixel a shown cell, from a second sweep that reads only
// the lines it shows and the ones beside them (for the hillshade), in rising order.
CairoSurface paint_terrain(const MapSource& map, const MapLayout& layout, const DepthRamp& ramp);
// Draws that image over the layout's map area, each cell a square of the layout's scale: in
// every format, an image of the map area's own pixels.
void draw_terrain(cairo_t* cr, const MapLayout& layout, cairo_surface_t* terrain);

#endif
