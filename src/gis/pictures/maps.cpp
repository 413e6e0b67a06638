#include "maps.h"

#include <algorithm>
#include <cmath>

#include "gis_io.h"
#include "map_decor.h"
#include "map_layout.h"
#include "map_terrain.h"
#include "plot.h"

namespace {

void check_map(const MapSource& map) {
    if (map.lines <= 0 || map.cols <= 0) fail("a map needs a grid of at least one cell");
    if (!(map.pixel_m > 0) || !std::isfinite(map.pixel_m)) fail("a map needs a pixel size above 0 m");
    if (!map.read_line) fail("a map needs a way to read its grid");
}

void check_profile(const ProfileSource& p) {
    const std::size_t n = p.distance_m.size();
    if (n == 0) fail("a profile needs at least one point");
    if (p.ground_m.size() != n || p.linear_m.size() != n || p.surface_m.size() != n) {
        fail("the columns of a profile differ in length");
    }
}

// The smallest and largest of the values that are numbers.
void extend_range(const std::vector<double>& values, double& lo, double& hi) {
    for (double v : values) {
        if (!std::isfinite(v)) continue;
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
}

const LineStyle kGround{kGroundLine, 2};
constexpr Rgb kGroundFill{232, 217, 192};
const LineStyle kLinear{kProfileLine, 1.5, true};
const LineStyle kSurface{kSurfaceLine, 2.5};
const LineStyle kUpper{{40, 170, 60}}, kLower{{200, 30, 40}}, kSummit{{255, 140, 0}};

void draw_profile_on(cairo_t* cr, const ProfileSource& p) {
    double x_lo = 0, x_hi = 0, y_lo = INFINITY, y_hi = -INFINITY;
    extend_range(p.distance_m, x_lo, x_hi);
    for (const auto* values : {&p.ground_m, &p.linear_m, &p.surface_m}) extend_range(*values, y_lo, y_hi);
    if (!std::isfinite(y_lo)) y_lo = y_hi = 0;
    Plot plot(cr, x_lo, x_hi, y_lo, y_hi);
    plot.page(p.title.empty() ? "River profile" : p.title);
    plot.axes("distance along the path from the upper end (m)", "altitude (" + p.altitude_unit + ")");
    plot.area_below(p.distance_m, p.ground_m, kGroundFill);
    plot.polyline(p.distance_m, p.ground_m, kGround);
    plot.polyline(p.distance_m, p.linear_m, kLinear);
    plot.polyline(p.distance_m, p.surface_m, kSurface);
    using Shape = Plot::Shape;
    plot.mark(p.distance_m.front(), p.surface_m.front(), Shape::circle, kUpper, "");
    plot.mark(p.distance_m.back(), p.surface_m.back(), Shape::circle, kLower, "");
    std::vector<Plot::Entry> key = {{"ground", kGround, Shape::line},
                                    {p.linear_name, kLinear, Shape::line},
                                    {"final water surface", kSurface, Shape::line},
                                    {"upper end", kUpper, Shape::circle},
                                    {"lower end", kLower, Shape::circle}};
    if (p.summit >= 0 && static_cast<std::size_t>(p.summit) < p.distance_m.size()) {
        const auto k = static_cast<std::size_t>(p.summit);
        plot.mark(p.distance_m[k], p.surface_m[k], Shape::triangle, kSummit, "wave summit");
        key.push_back({"wave summit", kSummit, Shape::triangle});
    }
    plot.legend(key);
}

}  // namespace

void draw_flood_map(const MapSource& map, const std::string& path, const std::string& name, PictureFormat format) {
    check_map(map);
    const FloodSurvey flood = survey_flood(map);
    // The notes take as many lines as they need, up to eight, at the width the map will have.
    const int width = map_layout(map.lines, map.cols, flood.box, map.full_extent).width;
    const int notes = static_cast<int>(std::min<std::size_t>(8, note_lines(map.notes, width - 32, 1000).size()));
    const MapLayout layout = map_layout(map.lines, map.cols, flood.box, map.full_extent, notes);
    const DepthRamp ramp = map.classes.empty() ? depth_ramp(flood.deepest) : class_ramp(map.classes, map.class_colours);
    const CairoSurface terrain = paint_terrain(map, layout, ramp);
    const auto draw = [&](cairo_t* cr) {
        set_colour(cr, Rgb{255, 255, 255});
        cairo_paint(cr);
        draw_terrain(cr, layout, terrain.get());
        draw_path(cr, map, layout);
        draw_decor(cr, map, layout, ramp);
    };
    write_picture(format, layout.width, layout.height, draw, path, name.empty() ? path : name);
}

void draw_profile(const ProfileSource& p, const std::string& path, const std::string& name, PictureFormat format) {
    check_profile(p);
    const auto draw = [&p](cairo_t* cr) { draw_profile_on(cr, p); };
    write_picture(format, Plot::kWidth, Plot::kHeight, draw, path, name.empty() ? path : name);
}
