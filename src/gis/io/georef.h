// Where a raster lies, and the size of its pixels in metres. tarvex works on square pixels
// measured in metres: a raster in degrees, a rotated grid, pixels that are not square, or a
// pixel size that is not a plausible positive number are refused; other linear units (US
// survey and international feet) are converted with the coordinate system's own factor.
#ifndef TARVEX_GIS_GEOREF_H
#define TARVEX_GIS_GEOREF_H

#include <string>

#include "pieces.h"

// GDAL's geotransform and the coordinate system as WKT.
struct Georef {
    bool has_transform = false;
    double transform[6] = {0, 1, 0, 0, 0, 1};
    std::string wkt;
};

// The geotransform of the piece `p` of a grid placed by `grid`: the grid's, moved to the
// piece's first cell.
void piece_transform(const double* grid, const Piece& p, double* t);

struct PixelSize {
    double metres = 1;  // the side of a pixel
    int whole = 1;      // the nearest whole metre, at least 1: the field of a descriptor
    // What the user should know about the figures (units converted, none given, rounded).
    std::string note;
};

// The pixel size of the raster `name` of `lines` x `cols` cells; fails with the reason and a
// way out when tarvex cannot use it. Widths and heights that differ by less than 0.1 % (what
// reprojection leaves) count as square, and their mean is taken.
PixelSize pixel_size(const Georef& georef, int lines, int cols, const std::string& name);

#endif
