#include "map_decor.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "nice_numbers.h"
#include "text.h"

namespace {

constexpr int kText = 2;  // the scale of the panel's text
constexpr int kLegendBar = 200, kScaleBarLongest = 170;

struct Point {
    double x, y;
};

// The centre of cell (i, j) on the picture.
Point centre(const MapLayout& l, int i, int j) {
    return Point{l.map.x + (j - l.window.left + 0.5) * l.scale, l.map.y + (i - l.window.top + 0.5) * l.scale};
}

void end_point(const MapLayout& l, std::pair<int, int> cell, double radius, Rgb colour, Canvas& picture) {
    if (cell.first < 0 || cell.second < 0) return;
    const Point p = centre(l, cell.first, cell.second);
    picture.disk(p.x, p.y, radius + 2, kInk);
    picture.disk(p.x, p.y, radius, colour);
}

void draw_title(const MapSource& map, const MapLayout& l, Canvas& picture) {
    std::string t = map.title.empty() ? "Flood depth" : map.title;
    int scale = 3;
    if (text_width(t, scale) > l.width - 32) scale = 2;
    while (t.size() > 3 && text_width(t, scale) > l.width - 32) t = t.substr(0, t.size() - 4) + "..";
    const int band = l.title.h - l.note_lines * kNoteLine;
    picture.text((l.width - text_width(t, scale)) / 2, (std::min(band, 48) - text_height(scale)) / 2, t, scale, kTextInk);
    const std::vector<std::string> lines = note_lines(map.notes, l.width - 32, l.note_lines);
    for (std::size_t k = 0; k < lines.size(); ++k) {
        picture.text(16, 48 + static_cast<int>(k) * kNoteLine, lines[k], kText, kTextInk);
    }
}

void centred_text(int x, int y, const std::string& s, Canvas& picture) {
    picture.text(x - text_width(s, kText) / 2, y, s, kText, kTextInk);
}

// A discrete legend: a box of each class's colour in a row, labelled below with the class's
// value as few times as the labels need to stand apart (the first always).
void draw_class_legend(const DepthRamp& ramp, int x, int y, Canvas& picture) {
    const std::size_t n = ramp.classes.size();
    const int box = std::max(1, kLegendBar / static_cast<int>(n));
    int widest = 0;
    for (double c : ramp.classes) widest = std::max(widest, text_width(strf("%g", c), kText));
    const std::size_t every = static_cast<std::size_t>((widest + 8 + box - 1) / box);
    for (std::size_t k = 0; k < n; ++k) {
        const Rect r{x + static_cast<int>(k) * box, y + 22, box, 14};
        picture.fill(r, ramp.class_colour(k));
        if (k % every != 0) continue;
        picture.fill(Rect{r.x + box / 2, y + 37, 1, 5}, kInk);
        centred_text(r.x + box / 2, y + 44, strf("%g", ramp.classes[k]), picture);
    }
    picture.frame(Rect{x - 1, y + 21, box * static_cast<int>(n) + 2, 16}, kInk);
}

// The legend's label ("depth (m)") above a bar of the ramp, with round ticks labelled below it.
void draw_depth_legend(const std::string& label, const DepthRamp& ramp, int x, int y, Canvas& picture) {
    picture.text(x, y, label, kText, kTextInk);
    if (!ramp.classes.empty()) return draw_class_legend(ramp, x, y, picture);
    const Rect bar{x, y + 22, kLegendBar, 14};
    for (int k = 0; k < bar.w; ++k) {
        picture.fill(Rect{bar.x + k, bar.y, 1, bar.h}, ramp.colour((k + 0.5) / bar.w * ramp.top));
    }
    picture.frame(Rect{bar.x - 1, bar.y - 1, bar.w + 2, bar.h + 2}, kInk);
    for (double tick : ticks_around(0, ramp.top, ramp.step)) {
        const int tx = bar.x + static_cast<int>(std::lround(tick / ramp.top * (bar.w - 1)));
        picture.fill(Rect{tx, bar.y + bar.h + 1, 1, 5}, kInk);
        centred_text(tx, bar.y + bar.h + 8, tick_text(tick, ramp.step), picture);
    }
}

// The key to the path's line and end points, and to the cuts at the ends when there are any.
void draw_path_key(int x, int y, bool cut, Canvas& picture) {
    if (cut) {
        picture.fill(Rect{x, y + 78, 24, 5}, kCutColour);
        picture.text(x + 34, y + 72, "cut at an end", kText, kTextInk);
    }
    picture.line(x, y + 7, x + 24, y + 7, 5, kPathColour);
    picture.text(x + 34, y, "river path", kText, kTextInk);
    const Rgb ends[2] = {kUpperEnd, kLowerEnd};
    const char* names[2] = {"upper end", "lower end"};
    for (int k = 0; k < 2; ++k) {
        const int row = y + 24 * (k + 1);
        picture.disk(x + 12, row + 7, 8, kInk);
        picture.disk(x + 12, row + 7, 6, ends[k]);
        picture.text(x + 34, row, names[k], kText, kTextInk);
    }
}

// A bar of a round length, half black and half white, its length written below it.
void draw_scale_bar(double metres_a_pixel, int x, int y, Canvas& picture) {
    const double metres = nice_floor(kScaleBarLongest * metres_a_pixel);
    const int w = std::max(2, static_cast<int>(std::lround(metres / metres_a_pixel)));
    picture.fill(Rect{x, y + 22, w / 2, 8}, kInk);
    picture.frame(Rect{x, y + 22, w, 8}, kInk);
    centred_text(x + w / 2, y + 36, length_text(metres), picture);
}

// An arrow pointing up with an N above it: the grids are north up.
void draw_north_arrow(int cx, int y, Canvas& picture) {
    centred_text(cx, y, "N", picture);
    const double left[3] = {static_cast<double>(cx), cx - 13.0, static_cast<double>(cx)};
    const double right[3] = {static_cast<double>(cx), cx + 13.0, static_cast<double>(cx)};
    const double ys[3] = {y + 20.0, y + 58.0, y + 47.0};
    picture.triangle(left, ys, kInk);
    picture.triangle(right, ys, Rgb{110, 110, 110});
}

}  // namespace

std::vector<std::string> note_lines(const std::vector<std::string>& notes, int width, int most) {
    std::vector<std::string> lines;
    for (const std::string& note : notes) {
        std::string line = "- ";
        std::size_t at = 0;
        while (at < note.size()) {
            const std::size_t space = note.find(' ', at);
            const std::string word = note.substr(at, space == std::string::npos ? std::string::npos : space - at);
            at = space == std::string::npos ? note.size() : space + 1;
            if (line.size() > 2 && text_width(line + " " + word, kText) > width) {
                lines.push_back(line);
                line = "  " + word;
            } else {
                line += (line.size() > 2 ? " " : "") + word;
            }
        }
        lines.push_back(line);
    }
    if (static_cast<int>(lines.size()) > most) {
        const std::size_t left_out = lines.size() - static_cast<std::size_t>(std::max(0, most - 1));
        lines.resize(static_cast<std::size_t>(std::max(0, most - 1)));
        if (most > 0) lines.push_back("  (" + std::to_string(left_out) + " more lines in summary.txt)");
    }
    return lines;
}

void draw_path(const MapSource& map, const MapLayout& l, Canvas& picture) {
    picture.clip(l.map);
    const double side = std::max(2.0, l.scale);
    for (const auto& [i, j] : map.cut) {
        const Point p = centre(l, i, j);
        picture.fill(Rect{static_cast<int>(p.x - side / 2), static_cast<int>(p.y - side / 2),
                          static_cast<int>(std::ceil(side)), static_cast<int>(std::ceil(side))},
                     kCutColour);
    }
    const double width = std::clamp(l.scale * 0.3, 2.0, 6.0);
    for (std::size_t k = 0; k < map.path.size(); ++k) {
        const auto [i, j] = map.path[k];
        const Point p = centre(l, i, j);
        picture.disk(p.x, p.y, width / 2, kPathColour);
        if (k + 1 == map.path.size()) break;
        const auto [ni, nj] = map.path[k + 1];
        if (std::abs(ni - i) > 1 || std::abs(nj - j) > 1) continue;  // not a step of a path
        const Point q = centre(l, ni, nj);
        picture.line(p.x, p.y, q.x, q.y, width, kPathColour);
    }
    const double radius = std::max(6.0, width * 1.5);
    end_point(l, map.from, radius, kUpperEnd, picture);
    end_point(l, map.to, radius, kLowerEnd, picture);
    picture.clip_all();
}

void draw_decor(const MapSource& map, const MapLayout& l, const DepthRamp& ramp, Canvas& picture) {
    draw_title(map, l, picture);
    picture.frame(Rect{l.map.x - 1, l.map.y - 1, l.map.w + 2, l.map.h + 2}, kInk);
    const int x = l.panel.x, y = l.panel.y;
    draw_depth_legend(map.legend, ramp, x + 20, y, picture);
    draw_path_key(x + 260, y, !map.cut.empty(), picture);
    draw_scale_bar(map.pixel_m / l.scale, x + 440, y, picture);
    draw_north_arrow(l.width - 40, y, picture);
}
