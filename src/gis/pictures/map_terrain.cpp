#include "map_terrain.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "hillshade.h"
#include "nice_numbers.h"

namespace {

constexpr Rgb kNoGround{250, 250, 250};
// Light to dark blue, evenly spread from no depth to the ramp's top.
constexpr Rgb kBlues[] = {{222, 235, 247}, {158, 202, 225}, {66, 146, 198}, {33, 113, 181}, {8, 48, 107}};

// The cells with one more beside each end, at the cells' own spacing (-1 where that one lies
// outside the grid's `limit` cells): the neighbours the hillshade of the end cells needs.
std::vector<int> with_neighbours(const std::vector<int>& cells, int limit) {
    const int before = cells.size() > 1 ? cells[1] - cells[0] : 1;
    const int after = cells.size() > 1 ? cells[cells.size() - 1] - cells[cells.size() - 2] : 1;
    std::vector<int> all;
    all.reserve(cells.size() + 2);
    all.push_back(cells.front() - before >= 0 ? cells.front() - before : -1);
    all.insert(all.end(), cells.begin(), cells.end());
    all.push_back(cells.back() + after < limit ? cells.back() + after : -1);
    return all;
}

// The pixels of an RGB image surface, written in place.
class Pixels {
public:
    explicit Pixels(cairo_surface_t* image)
        : data_(cairo_image_surface_get_data(image)), stride_(cairo_image_surface_get_stride(image)) {}
    void set(int x, int y, Rgb c) {
        const std::uint32_t value = static_cast<std::uint32_t>(c.r) << 16 | static_cast<std::uint32_t>(c.g) << 8 | c.b;
        std::memcpy(data_ + static_cast<std::size_t>(y) * stride_ + static_cast<std::size_t>(x) * 4, &value, 4);
    }

private:
    unsigned char* data_;
    int stride_;
};

}  // namespace

Rgb DepthRamp::colour(double depth) const {
    if (!classes.empty()) {
        const auto above = std::lower_bound(classes.begin(), classes.end(), depth);
        std::size_t k = static_cast<std::size_t>(above - classes.begin());
        if (k == classes.size() || (k > 0 && depth - classes[k - 1] < *above - depth)) --k;
        return class_colour(k);
    }
    const double t = std::isnan(depth) ? 0.0 : std::clamp(depth / top, 0.0, 1.0) * 4;
    const int k = std::min(static_cast<int>(t), 3);
    const double f = t - k;
    auto mix = [f](std::uint8_t a, std::uint8_t b) { return static_cast<std::uint8_t>(std::lround(a + (b - a) * f)); };
    return Rgb{mix(kBlues[k].r, kBlues[k + 1].r), mix(kBlues[k].g, kBlues[k + 1].g), mix(kBlues[k].b, kBlues[k + 1].b)};
}

Rgb DepthRamp::class_colour(std::size_t k) const {
    if (k < colours.size()) return colours[k];
    const DepthRamp continuous;
    const double n = static_cast<double>(classes.size());
    return continuous.colour(n > 1 ? static_cast<double>(k) / (n - 1) : 0.5);
}

DepthRamp class_ramp(const std::vector<double>& classes, const std::vector<Rgb>& colours) {
    DepthRamp r;
    r.classes = classes;
    std::sort(r.classes.begin(), r.classes.end());
    if (colours.size() == classes.size()) r.colours = colours;  // given with their rising classes
    return r;
}

DepthRamp depth_ramp(double deepest) {
    DepthRamp r;
    if (!(deepest > 0)) return r;
    r.step = nice_step(deepest, 4);
    r.top = std::ceil(deepest / r.step - 1e-9) * r.step;
    return r;
}

FloodSurvey survey_flood(const MapSource& map) {
    FloodSurvey s;
    std::vector<float> ground(static_cast<std::size_t>(map.cols)), depth(ground.size());
    for (int i = 0; i < map.lines; ++i) {
        map.read_line(i, ground.data(), depth.data());
        for (int j = 0; j < map.cols; ++j) {
            const float d = depth[static_cast<std::size_t>(j)];
            if (std::isnan(d)) continue;
            s.box.add(i, j);
            if (std::isfinite(d)) s.deepest = std::max(s.deepest, static_cast<double>(d));
        }
    }
    return s;
}

Rgb shade_grey(float light) {
    const double lit = std::isnan(light) ? 1.0 : std::clamp(static_cast<double>(light), 0.0, 1.0);
    const auto grey = static_cast<std::uint8_t>(std::lround(55.0 + 200.0 * lit));
    return Rgb{grey, grey, grey};
}

std::vector<int> shown_cells(int first, int count, double scale, int pixels) {
    std::vector<int> cells;
    if (scale >= 1) {
        for (int k = 0; k < count; ++k) cells.push_back(first + k);
        return cells;
    }
    for (int x = 0; x < pixels; ++x) {
        cells.push_back(first + std::min(static_cast<int>(std::floor((x + 0.5) / scale)), count - 1));
    }
    return cells;
}

CairoSurface paint_terrain(const MapSource& map, const MapLayout& l, const DepthRamp& ramp) {
    const CellBox& win = l.window;
    const std::vector<int> lines = with_neighbours(shown_cells(win.top, win.lines, l.scale, l.map.h), map.lines);
    const std::vector<int> cols = with_neighbours(shown_cells(win.left, win.cols, l.scale, l.map.w), map.cols);
    const int h = static_cast<int>(lines.size()) - 2, w = static_cast<int>(cols.size()) - 2;
    CairoSurface image =
        checked_surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h), "make the picture of the map");
    cairo_surface_flush(image.get());
    Pixels pixels(image.get());
    const std::size_t width = cols.size();
    std::vector<float> ground(lines.size() * width, NAN), line_ground(static_cast<std::size_t>(map.cols)),
        line_depth(line_ground.size());
    std::vector<std::uint8_t> dry(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    int read = -1;
    for (std::size_t r = 0; r < lines.size(); ++r) {
        if (lines[r] < 0) continue;
        if (lines[r] != read) map.read_line(read = lines[r], line_ground.data(), line_depth.data());
        for (std::size_t c = 0; c < width; ++c) {
            if (cols[c] >= 0) ground[r * width + c] = line_ground[static_cast<std::size_t>(cols[c])];
        }
        if (r == 0 || r + 1 == lines.size()) continue;
        for (int x = 0; x < w; ++x) {
            const auto j = static_cast<std::size_t>(cols[static_cast<std::size_t>(x) + 1]);
            const int y = static_cast<int>(r) - 1;
            if (!std::isnan(line_depth[j])) {
                pixels.set(x, y, ramp.colour(line_depth[j]));
            } else if (std::isnan(line_ground[j])) {
                pixels.set(x, y, kNoGround);
            } else {
                dry[static_cast<std::size_t>(y) * w + x] = 1;
            }
        }
    }
    // The shown cells are a cell apart, or as far apart as the cells of a pixel.
    const double cell_m = map.pixel_m * (l.scale >= 1 ? 1 : 1 / l.scale);
    const std::vector<float> light = hillshade(std::move(ground), static_cast<int>(lines.size()),
                                               static_cast<int>(width), cell_m);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (dry[static_cast<std::size_t>(y) * w + x] == 0) continue;
            pixels.set(x, y, shade_grey(light[(static_cast<std::size_t>(y) + 1) * width + x + 1]));
        }
    }
    cairo_surface_mark_dirty(image.get());
    return image;
}

void draw_terrain(cairo_t* cr, const MapLayout& l, cairo_surface_t* terrain) {
    // Viewers of SVG and PDF smooth an image drawn larger than its pixels: the cells are drawn
    // on an image of the map's own pixels first, each a square of them.
    CairoSurface shown;
    if (l.scale > 1) {
        shown = checked_surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, l.map.w, l.map.h),
                                "make the picture of the map");
        const Cairo enlarge = context_on(shown.get());
        cairo_scale(enlarge.get(), l.scale, l.scale);
        cairo_set_source_surface(enlarge.get(), terrain, 0, 0);
        cairo_pattern_set_filter(cairo_get_source(enlarge.get()), CAIRO_FILTER_NEAREST);
        cairo_paint(enlarge.get());
        check_cairo(cairo_status(enlarge.get()), "draw the map");
        cairo_surface_flush(shown.get());
        terrain = shown.get();
    }
    cairo_set_source_surface(cr, terrain, l.map.x, l.map.y);
    cairo_rectangle(cr, l.map.x, l.map.y, l.map.w, l.map.h);
    cairo_fill(cr);
}
