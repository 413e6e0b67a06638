#include "map_decor.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "nice_numbers.h"
#include "text.h"

namespace {

constexpr double kTitleSize = 24, kSmallTitleSize = 16;
// The baseline of the panel's text below the top of the space given to it.
constexpr double kDrop = 12;
constexpr int kLegendBar = 200, kScaleBarLongest = 170;

struct Point {
    double x, y;
};

// The centre of cell (i, j) on the picture.
Point centre(const MapLayout& l, int i, int j) {
    return Point{l.map.x + (j - l.window.left + 0.5) * l.scale, l.map.y + (i - l.window.top + 0.5) * l.scale};
}

// A disk of `colour` in a black ring.
void marked_disk(cairo_t* cr, double x, double y, double radius, Rgb colour) {
    fill_disk(cr, x, y, radius + 2, kInk);
    fill_disk(cr, x, y, radius, colour);
}

void end_point(cairo_t* cr, const MapLayout& l, std::pair<int, int> cell, double radius, Rgb colour) {
    if (cell.first < 0 || cell.second < 0) return;
    const Point p = centre(l, cell.first, cell.second);
    marked_disk(cr, p.x, p.y, radius, colour);
}

void panel_text(cairo_t* cr, double x, double top, const std::string& s, Align align = Align::left) {
    draw_text(cr, x, top + kDrop, s, kTextSize, kTextInk, align);
}

void draw_title(cairo_t* cr, const MapSource& map, const MapLayout& l) {
    std::string t = map.title.empty() ? "Flood depth" : map.title;
    double size = kTitleSize;
    if (text_width(cr, t, size) > l.width - 32) size = kSmallTitleSize;
    while (t.size() > 3 && text_width(cr, t, size) > l.width - 32) t = t.substr(0, t.size() - 4) + "..";
    const double band = std::min(l.title.h - l.note_lines * kNoteLine, 48);
    draw_text(cr, l.width / 2.0, (band + 0.72 * size) / 2, t, size, kTextInk, Align::centre);
    const std::vector<std::string> lines = note_lines(map.notes, l.width - 32, l.note_lines);
    for (std::size_t k = 0; k < lines.size(); ++k) {
        panel_text(cr, 16, 48 + static_cast<double>(k) * kNoteLine, lines[k]);
    }
}

// A discrete legend: a box of each class's colour in a row, labelled below with the class's
// value as few times as the labels need to stand apart (the first always).
void draw_class_legend(cairo_t* cr, const DepthRamp& ramp, int x, int y) {
    const std::size_t n = ramp.classes.size();
    const int box = std::max(1, kLegendBar / static_cast<int>(n));
    double widest = 0;
    for (double c : ramp.classes) widest = std::max(widest, text_width(cr, strf("%g", c), kTextSize));
    const auto every = static_cast<std::size_t>(std::ceil((widest + 8) / box));
    for (std::size_t k = 0; k < n; ++k) {
        const int left = x + static_cast<int>(k) * box;
        fill_rect(cr, left, y + 22, box, 14, ramp.class_colour(k));
        if (k % every != 0) continue;
        fill_rect(cr, left + box / 2, y + 37, 1, 5, kInk);
        panel_text(cr, left + box / 2 + 0.5, y + 44, strf("%g", ramp.classes[k]), Align::centre);
    }
    frame_rect(cr, x - 1, y + 21, box * static_cast<int>(n) + 2, 16, kInk);
}

// A key of named classes: a box of each class's colour and its name, one class a row.
void draw_named_legend(cairo_t* cr, const std::vector<std::string>& names, const DepthRamp& ramp, int x, int y) {
    for (std::size_t k = 0; k < names.size() && k < ramp.classes.size(); ++k) {
        const int row = y + 24 * static_cast<int>(k);
        fill_rect(cr, x, row + 1, 24, 14, ramp.class_colour(k));
        frame_rect(cr, x, row + 1, 24, 14, kInk);
        panel_text(cr, x + 34, row, names[k]);
    }
}

// The legend's label ("depth (m)") above a bar of the ramp, with round ticks labelled below it.
void draw_depth_legend(cairo_t* cr, const MapSource& map, const DepthRamp& ramp, int x, int y) {
    if (!map.class_names.empty()) return draw_named_legend(cr, map.class_names, ramp, x, y);
    panel_text(cr, x, y, map.legend);
    if (!ramp.classes.empty()) return draw_class_legend(cr, ramp, x, y);
    const int bar_y = y + 22, bar_h = 14;
    for (int k = 0; k < kLegendBar; ++k) {
        fill_rect(cr, x + k, bar_y, 1, bar_h, ramp.colour((k + 0.5) / kLegendBar * ramp.top));
    }
    frame_rect(cr, x - 1, bar_y - 1, kLegendBar + 2, bar_h + 2, kInk);
    for (double tick : ticks_around(0, ramp.top, ramp.step)) {
        const int tx = x + static_cast<int>(std::lround(tick / ramp.top * (kLegendBar - 1)));
        fill_rect(cr, tx, bar_y + bar_h + 1, 1, 5, kInk);
        panel_text(cr, tx + 0.5, bar_y + bar_h + 8, tick_text(tick, ramp.step), Align::centre);
    }
}

// The key to the path's line and end points, and to the cuts at the ends when there are any.
void draw_path_key(cairo_t* cr, int x, int y, bool cut) {
    if (cut) {
        fill_rect(cr, x, y + 78, 24, 5, kCutColour);
        panel_text(cr, x + 34, y + 72, "cut at an end");
    }
    draw_line(cr, x, y + 7, x + 24, y + 7, 5, kPathColour);
    panel_text(cr, x + 34, y, "river path");
    const Rgb ends[2] = {kUpperEnd, kLowerEnd};
    const char* names[2] = {"upper end", "lower end"};
    for (int k = 0; k < 2; ++k) {
        const int row = y + 24 * (k + 1);
        marked_disk(cr, x + 12, row + 7, 6, ends[k]);
        panel_text(cr, x + 34, row, names[k]);
    }
}

// A bar of a round length, half black and half white, its length written below it.
void draw_scale_bar(cairo_t* cr, double metres_a_pixel, int x, int y) {
    const double metres = nice_floor(kScaleBarLongest * metres_a_pixel);
    const int w = std::max(2, static_cast<int>(std::lround(metres / metres_a_pixel)));
    fill_rect(cr, x, y + 22, w / 2, 8, kInk);
    frame_rect(cr, x, y + 22, w, 8, kInk);
    panel_text(cr, x + w / 2.0, y + 36, length_text(metres), Align::centre);
}

void fill_triangle(cairo_t* cr, const Point (&corners)[3], Rgb c) {
    set_colour(cr, c);
    cairo_move_to(cr, corners[0].x, corners[0].y);
    cairo_line_to(cr, corners[1].x, corners[1].y);
    cairo_line_to(cr, corners[2].x, corners[2].y);
    cairo_close_path(cr);
    cairo_fill(cr);
}

// An arrow pointing up with an N above it: the grids are north up.
void draw_north_arrow(cairo_t* cr, int cx, int y) {
    panel_text(cr, cx, y, "N", Align::centre);
    fill_triangle(cr, {{cx + 0.0, y + 20.0}, {cx - 13.0, y + 58.0}, {cx + 0.0, y + 47.0}}, kInk);
    fill_triangle(cr, {{cx + 0.0, y + 20.0}, {cx + 13.0, y + 58.0}, {cx + 0.0, y + 47.0}}, Rgb{110, 110, 110});
}

}  // namespace

std::vector<std::string> note_lines(const std::vector<std::string>& notes, int width, int most) {
    const Cairo cr = measuring_context();
    std::vector<std::string> lines;
    for (const std::string& note : notes) {
        std::string line = "- ";
        std::size_t at = 0;
        while (at < note.size()) {
            const std::size_t space = note.find(' ', at);
            const std::string word = note.substr(at, space == std::string::npos ? std::string::npos : space - at);
            at = space == std::string::npos ? note.size() : space + 1;
            if (line.size() > 2 && text_width(cr.get(), line + " " + word, kTextSize) > width) {
                lines.push_back(line);
                line = "  " + word;
            } else {
                line += (line.size() > 2 ? " " : "") + word;
            }
        }
        lines.push_back(line);
    }
    check_cairo(cairo_status(cr.get()), "measure the notes of a map");
    if (static_cast<int>(lines.size()) > most) {
        const std::size_t left_out = lines.size() - static_cast<std::size_t>(std::max(0, most - 1));
        lines.resize(static_cast<std::size_t>(std::max(0, most - 1)));
        if (most > 0) lines.push_back("  (" + std::to_string(left_out) + " more lines in summary.txt)");
    }
    return lines;
}

void draw_path(cairo_t* cr, const MapSource& map, const MapLayout& l) {
    cairo_save(cr);
    cairo_rectangle(cr, l.map.x, l.map.y, l.map.w, l.map.h);
    cairo_clip(cr);
    const double side = std::max(2.0, l.scale);
    for (const auto& [i, j] : map.cut) {
        const Point p = centre(l, i, j);
        fill_rect(cr, p.x - side / 2, p.y - side / 2, side, side, kCutColour);
    }
    // The path as runs of cells next to each other; a cell alone is a dot.
    const double width = std::clamp(l.scale * 0.3, 2.0, 6.0);
    set_colour(cr, kPathColour);
    cairo_set_line_width(cr, width);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    for (std::size_t k = 0; k < map.path.size(); ++k) {
        const auto [i, j] = map.path[k];
        const Point p = centre(l, i, j);
        const auto [pi, pj] = k > 0 ? map.path[k - 1] : map.path[k];
        if (k > 0 && std::abs(pi - i) <= 1 && std::abs(pj - j) <= 1) {
            cairo_line_to(cr, p.x, p.y);
        } else {
            cairo_move_to(cr, p.x, p.y);
            cairo_close_path(cr);  // a run of one cell is drawn as a dot
        }
    }
    cairo_stroke(cr);
    const double radius = std::max(6.0, width * 1.5);
    end_point(cr, l, map.from, radius, kUpperEnd);
    end_point(cr, l, map.to, radius, kLowerEnd);
    cairo_restore(cr);
}

void draw_decor(cairo_t* cr, const MapSource& map, const MapLayout& l, const DepthRamp& ramp) {
    draw_title(cr, map, l);
    frame_rect(cr, l.map.x - 1, l.map.y - 1, l.map.w + 2, l.map.h + 2, kInk);
    const int x = l.panel.x, y = l.panel.y;
    draw_depth_legend(cr, map, ramp, x + 20, y);
    if (!map.path.empty()) draw_path_key(cr, x + 260, y, !map.cut.empty());
    draw_scale_bar(cr, map.pixel_m / l.scale, x + 440, y);
    draw_north_arrow(cr, l.width - 40, y);
}
