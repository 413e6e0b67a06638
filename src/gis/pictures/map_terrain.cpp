#include "map_terrain.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "nice_numbers.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr Rgb kNoGround{250, 250, 250};
// Light to dark blue, evenly spread from no depth to the ramp's top.
constexpr Rgb kBlues[] = {{222, 235, 247}, {158, 202, 225}, {66, 146, 198}, {33, 113, 181}, {8, 48, 107}};

// One line of the grid as read: the ground and the depth of each column.
struct Line {
    std::vector<float> ground, depth;
    explicit Line(int cols) : ground(static_cast<std::size_t>(cols)), depth(ground.size()) {}
    void read(const MapSource& map, int i) { map.read_line(i, ground.data(), depth.data()); }
};

// The ground of a neighbour, the cell's own where the neighbour has none.
double or_own(float neighbour, float own) { return std::isnan(neighbour) ? own : neighbour; }

// Grey from light coming from the north-west, 45 degrees above the horizon.
std::uint8_t hillshade(const Line& above, const Line& here, const Line& below, int j, double pixel_m) {
    const int last = static_cast<int>(here.ground.size()) - 1;
    const float own = here.ground[static_cast<std::size_t>(j)];
    const double west = or_own(here.ground[static_cast<std::size_t>(std::max(j - 1, 0))], own);
    const double east = or_own(here.ground[static_cast<std::size_t>(std::min(j + 1, last))], own);
    const double dzdx = (east - west) / (2 * pixel_m);
    const double dzdy = (or_own(below.ground[static_cast<std::size_t>(j)], own) -
                         or_own(above.ground[static_cast<std::size_t>(j)], own)) /
                        (2 * pixel_m);
    const double slope = std::atan(std::hypot(dzdx, dzdy)), aspect = std::atan2(dzdy, -dzdx);
    const double zenith = 45.0 * kPi / 180.0, azimuth = 135.0 * kPi / 180.0;
    const double shade =
        std::cos(zenith) * std::cos(slope) + std::sin(zenith) * std::sin(slope) * std::cos(azimuth - aspect);
    return static_cast<std::uint8_t>(std::lround(55.0 + 200.0 * std::clamp(std::isnan(shade) ? 1.0 : shade, 0.0, 1.0)));
}

// The first picture row (or column) of cell `k` of the window: cells are sampled at the
// centres of the picture's pixels.
int first_pixel(int k, double scale) { return static_cast<int>(std::ceil(k * scale - 0.5)); }

// The window's column drawn in each picture column of the map.
std::vector<int> column_of_pixels(const MapLayout& l) {
    std::vector<int> cols(static_cast<std::size_t>(l.map.w));
    for (int x = 0; x < l.map.w; ++x) {
        const int k = static_cast<int>(std::floor((x + 0.5) / l.scale));
        cols[static_cast<std::size_t>(x)] = l.window.left + std::min(k, l.window.cols - 1);
    }
    return cols;
}

void paint_line(Line* const lines[3], int y0, int y1, const std::vector<int>& cols, const MapSource& map,
                const MapLayout& l, const DepthRamp& ramp, Canvas& picture) {
    for (int x = 0; x < l.map.w; ++x) {
        const int j = cols[static_cast<std::size_t>(x)];
        const float depth = lines[1]->depth[static_cast<std::size_t>(j)];
        Rgb c = kNoGround;
        if (!std::isnan(depth)) {
            c = ramp.colour(depth);
        } else if (!std::isnan(lines[1]->ground[static_cast<std::size_t>(j)])) {
            const std::uint8_t grey = hillshade(*lines[0], *lines[1], *lines[2], j, map.pixel_m);
            c = Rgb{grey, grey, grey};
        }
        for (int y = y0; y < y1; ++y) picture.set(l.map.x + x, l.map.y + y, c);
    }
}

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
    const DepthRamp continuous;
    const double n = static_cast<double>(classes.size());
    return continuous.colour(n > 1 ? static_cast<double>(k) / (n - 1) : 0.5);
}

DepthRamp class_ramp(const std::vector<double>& classes) {
    DepthRamp r;
    r.classes = classes;
    std::sort(r.classes.begin(), r.classes.end());
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
    Line line(map.cols);
    for (int i = 0; i < map.lines; ++i) {
        line.read(map, i);
        for (int j = 0; j < map.cols; ++j) {
            const float d = line.depth[static_cast<std::size_t>(j)];
            if (std::isnan(d)) continue;
            s.box.add(i, j);
            if (std::isfinite(d)) s.deepest = std::max(s.deepest, static_cast<double>(d));
        }
    }
    return s;
}

void paint_terrain(const MapSource& map, const MapLayout& l, const DepthRamp& ramp, Canvas& picture) {
    const CellBox& w = l.window;
    const std::vector<int> cols = column_of_pixels(l);
    Line a(map.cols), b(map.cols), c(map.cols);
    Line* lines[3] = {&a, &b, &c};  // above, here, below; the grid's edges repeated
    if (w.top > 0) a.read(map, w.top - 1);
    b.read(map, w.top);
    if (w.top == 0) a = b;
    const int bottom = w.top + w.lines - 1;
    for (int i = w.top; i <= bottom; ++i) {
        if (i + 1 < map.lines) {
            lines[2]->read(map, i + 1);
        } else {
            *lines[2] = *lines[1];
        }
        const int y0 = first_pixel(i - w.top, l.scale), y1 = std::min(first_pixel(i - w.top + 1, l.scale), l.map.h);
        if (y1 > y0) paint_line(lines, y0, y1, cols, map, l, ramp, picture);
        std::rotate(lines, lines + 1, lines + 3);
    }
}
