// Pictures read back for tests: PNG maps pixel by pixel, SVG plots by their elements.
#ifndef TARVEX_GIS_PICTURE_SUPPORT_H
#define TARVEX_GIS_PICTURE_SUPPORT_H

#include <string>
#include <utility>
#include <vector>

struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    bool read = false;  // the file was a PNG that could be read

    struct Pixel {
        int r, g, b;
        bool operator==(const Pixel& o) const { return r == o.r && g == o.g && b == o.b; }
        bool grey() const { return r == g && g == b; }
    };
    Pixel at(int x, int y) const;
    // How many pixels of the rectangle have the colour.
    int count(const Pixel& c, int x, int y, int w, int h) const;
};

Picture read_png(const std::string& path);

// The points of the SVG polyline of class `name`, as (x, y) pairs; none when there is none.
std::vector<std::pair<double, double>> svg_polyline(const std::string& svg, const std::string& name);
// The numbers of the labels centred under the x axis, in order.
std::vector<double> svg_x_ticks(const std::string& svg);

#endif
