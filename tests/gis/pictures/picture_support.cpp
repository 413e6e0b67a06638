#include "picture_support.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <regex>
#include <sstream>

bool Picture::Pixel::near(const Pixel& o, int tolerance) const {
    return std::abs(r - o.r) <= tolerance && std::abs(g - o.g) <= tolerance && std::abs(b - o.b) <= tolerance;
}

Picture::Pixel Picture::at(int x, int y) const {
    const unsigned char* p = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
    return Pixel{p[0], p[1], p[2]};
}

int Picture::count(const Pixel& c, int x, int y, int w, int h, int tolerance) const {
    int n = 0;
    for (int py = y; py < y + h && py < height; ++py) {
        for (int px = x; px < x + w && px < width; ++px) n += at(px, py).near(c, tolerance) ? 1 : 0;
    }
    return n;
}

Picture::Pixel pixel_of(Rgb c) { return Picture::Pixel{c.r, c.g, c.b}; }

Picture read_png(const std::string& path) {
    Picture p;
    const CairoSurface owned(cairo_image_surface_create_from_png(path.c_str()));
    cairo_surface_t* image = owned.get();
    if (cairo_surface_status(image) == CAIRO_STATUS_SUCCESS) {
        cairo_surface_flush(image);
        p.width = cairo_image_surface_get_width(image);
        p.height = cairo_image_surface_get_height(image);
        const unsigned char* data = cairo_image_surface_get_data(image);
        const int stride = cairo_image_surface_get_stride(image);
        for (int k = 0; k < p.height * p.width; ++k) {
            std::uint32_t v = 0;  // 0xAARRGGBB
            std::memcpy(&v, data + static_cast<std::size_t>(k / p.width) * stride + k % p.width * 4, 4);
            p.rgb.insert(p.rgb.end(), {static_cast<unsigned char>(v >> 16), static_cast<unsigned char>(v >> 8),
                                       static_cast<unsigned char>(v)});
        }
        p.read = true;
    }
    return p;
}

namespace {

// The colour of a style's property ("stroke", "fill"), written rgb(R%,G%,B%); none without.
Picture::Pixel style_colour(const std::string& style, const std::string& property) {
    std::smatch m;
    const std::regex colour("(^|;)" + property + ":rgb\\(([0-9.]+)%,([0-9.]+)%,([0-9.]+)%\\)");
    if (!std::regex_search(style, m, colour)) return Picture::Pixel{-1, -1, -1};
    auto channel = [&m](int k) { return static_cast<int>(std::lround(std::stod(m[k]) * 2.55)); };
    return Picture::Pixel{channel(2), channel(3), channel(4)};
}

}  // namespace

std::vector<SvgPath> svg_paths(const std::string& svg) {
    std::vector<SvgPath> paths;
    const std::size_t defs = svg.find("</defs>");  // the drawing follows the glyphs' definitions
    const std::string drawing = defs == std::string::npos ? svg : svg.substr(defs);
    const std::regex path("<path style=\"([^\"]*)\" d=\"([^\"]*)\"");
    for (auto it = std::sregex_iterator(drawing.begin(), drawing.end(), path); it != std::sregex_iterator(); ++it) {
        SvgPath p;
        const std::string style = (*it)[1];
        p.stroke = style_colour(style, "stroke");
        p.fill = style_colour(style, "fill");
        std::istringstream d((*it)[2].str());
        std::string op;
        double x = 0, y = 0;
        while (d >> op) {
            if (op == "M" || op == "L") {
                if (d >> x >> y) p.points.emplace_back(x, y);
            }
        }
        paths.push_back(p);
    }
    return paths;
}

std::vector<SvgPath> svg_strokes(const std::string& svg, const Picture::Pixel& colour) {
    std::vector<SvgPath> found;
    for (const SvgPath& p : svg_paths(svg)) {
        if (p.stroke.near(colour, 1)) found.push_back(p);
    }
    return found;
}

std::vector<std::pair<double, double>> svg_curve(const std::string& svg, const Picture::Pixel& colour) {
    const std::vector<SvgPath> found = svg_strokes(svg, colour);
    if (found.size() != 2) ADD_FAILURE() << found.size() << " lines of the curve's colour";
    return found.empty() ? std::vector<std::pair<double, double>>{} : found.front().points;
}

std::vector<double> svg_x_grid(const std::string& svg) {
    std::vector<double> xs;
    for (const SvgPath& p : svg_strokes(svg, Picture::Pixel{226, 226, 226})) {  // the grid's light grey
        if (p.points.size() == 2 && p.points[0].first == p.points[1].first) xs.push_back(p.points[0].first);
    }
    return xs;
}
