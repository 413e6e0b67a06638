// What the map and the profile draw with on a cairo context: colours, text in DejaVu Sans
// (found by cairo through fontconfig), rectangles, disks and lines in picture units.
#ifndef TARVEX_GIS_DRAWING_H
#define TARVEX_GIS_DRAWING_H

#include <cairo.h>

#include <cstdint>
#include <string>

#include "picture_file.h"

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
};
inline bool operator==(Rgb a, Rgb b) { return a.r == b.r && a.g == b.g && a.b == b.b; }

void set_colour(cairo_t* cr, Rgb c, double alpha = 1);

// Text of `size` units (the font's em), written from `x` (its left, centre or right) on the
// baseline `baseline`.
enum class Align { left, centre, right };
void draw_text(cairo_t* cr, double x, double baseline, const std::string& text, double size, Rgb colour,
               Align align = Align::left);
// How wide `text` is at `size`.
double text_width(cairo_t* cr, const std::string& text, double size);
// A context on a scratch surface, to measure text before the picture's size is known.
Cairo measuring_context();

void fill_rect(cairo_t* cr, double x, double y, double w, double h, Rgb c);
// A one-unit outline just inside the rectangle's edge.
void frame_rect(cairo_t* cr, double x, double y, double w, double h, Rgb c);
void fill_disk(cairo_t* cr, double x, double y, double radius, Rgb c);
// A line `width` units thick with round ends.
void draw_line(cairo_t* cr, double x0, double y0, double x1, double y1, double width, Rgb c);

#endif
