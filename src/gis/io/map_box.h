// Rectangles of map coordinates and the cells under them: what a reach's window is made of, and
// what limits the reading of a mask or a centreline to the window.
#ifndef TARVEX_GIS_MAP_BOX_H
#define TARVEX_GIS_MAP_BOX_H

#include <cmath>
#include <string>

#include "georef.h"
#include "pieces.h"

// A rectangle of map coordinates; empty until a point is added.
struct MapBox {
    double min_x = INFINITY, min_y = INFINITY, max_x = -INFINITY, max_y = -INFINITY;
    bool empty() const { return !(min_x <= max_x && min_y <= max_y); }
    void add(double x, double y);
    void add(const MapBox& other);
};

// The rectangle the cells of `p` cover (their outer edges), on the grid placed by `g`.
MapBox box_of_cells(const Georef& g, const Piece& p);

// The rectangle of the coordinate system `to_wkt` that holds `box` of `from_wkt` (its edges
// transformed at many points, so a curved edge stays inside); `box` itself when either text is
// empty or both name the same system; empty when no point of it can be transformed.
MapBox box_in(const MapBox& box, const std::string& from_wkt, const std::string& to_wkt);

// The cells of a grid of `lines` x `cols` placed by `g` that `box` covers (a point: the cell it
// lies in), widened by `pad` cells on each side and kept within the grid; a piece without cells
// when none.
Piece cells_under(const MapBox& box, const Georef& g, int lines, int cols, int pad);

#endif
