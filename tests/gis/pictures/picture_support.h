// Pictures read back for tests: PNG maps pixel by pixel, SVG plots by their elements.
#ifndef TARVEX_GIS_PICTURE_SUPPORT_H
#define TARVEX_GIS_PICTURE_SUPPORT_H

#include <string>
#include <utility>
#include <vector>

#include "drawing.h"

struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    bool read = false;  // the file was a PNG that could be read

    struct Pixel {
        int r, g, b;
        bool operator==(const Pixel& o) const { return r == o.r && g == o.g && b == o.b; }
        bool grey() const { return r == g && g == b; }
        // Within `tolerance` of `o` in each channel.
        bool near(const Pixel& o, int tolerance = 3) const;
    };
    Pixel at(int x, int y) const;
    // How many pixels of the rectangle are within `tolerance` of the colour in each channel.
    int count(const Pixel& c, int x, int y, int w, int h, int tolerance = 0) const;
};

Picture::Pixel pixel_of(Rgb c);

// The PNG at `path`, read by cairo.
Picture read_png(const std::string& path);

// A path an SVG document draws (glyph outlines left out): its colours (-1 for none) and the
// points of its moves and straight lines, in document units.
struct SvgPath {
    Picture::Pixel stroke{-1, -1, -1}, fill{-1, -1, -1};
    std::vector<std::pair<double, double>> points;
};
std::vector<SvgPath> svg_paths(const std::string& svg);
// The paths stroked in `colour`.
std::vector<SvgPath> svg_strokes(const std::string& svg, const Picture::Pixel& colour);
// The points of a plot's curve stroked in `colour`: the first line of that colour, the second
// being its sample in the legend (a failure when there are not two).
std::vector<std::pair<double, double>> svg_curve(const std::string& svg, const Picture::Pixel& colour);
// The x of a plot's vertical grid lines, one a tick of its x axis.
std::vector<double> svg_x_grid(const std::string& svg);

#endif
