#include "plot.h"

#include <cmath>

#include "nice_numbers.h"

namespace {

// The legend stands in a margin of its own on the right, where it never covers a curve.
constexpr double kLegendWidth = 210;
constexpr double kLeft = 86, kRight = kLegendWidth + 50, kTop = 56, kBottom = 66;
constexpr double kTextSize = 13, kTitleSize = 18;
constexpr Rgb kInk{0, 0, 0}, kGrid{226, 226, 226}, kFrame{51, 51, 51}, kLegendFrame{153, 153, 153};
constexpr Rgb kWhite{255, 255, 255};

// The round step of a range and the range widened to the ticks around it.
double widen(double& lo, double& hi) {
    if (!(hi > lo)) {
        lo -= 0.5;
        hi += 0.5;
    }
    const double step = nice_step(hi - lo, 6);
    lo = std::floor(lo / step + 1e-9) * step;
    hi = std::ceil(hi / step - 1e-9) * step;
    return step;
}

// A circle or a triangle centred on (x, y), of radius r, as a path.
void shape_at(cairo_t* cr, Plot::Shape shape, double x, double y, double r) {
    if (shape == Plot::Shape::triangle) {
        cairo_move_to(cr, x, y - r * 1.3);
        cairo_line_to(cr, x - r * 1.15, y + r * 0.8);
        cairo_line_to(cr, x + r * 1.15, y + r * 0.8);
        cairo_close_path(cr);
    } else {
        cairo_new_sub_path(cr);
        cairo_arc(cr, x, y, r, 0, 2 * 3.14159265358979323846);
    }
}

// A filled shape with a black outline.
void outlined(cairo_t* cr, Plot::Shape shape, double x, double y, double r, Rgb fill) {
    shape_at(cr, shape, x, y, r);
    set_colour(cr, fill);
    cairo_fill_preserve(cr);
    set_colour(cr, kInk);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
}

}  // namespace

Plot::Plot(cairo_t* cr, double x_lo, double x_hi, double y_lo, double y_hi)
    : cr_(cr), x_lo_(x_lo), x_hi_(x_hi), y_lo_(y_lo), y_hi_(y_hi) {
    // The distance axis ends where the data ends; the altitude axis at round values.
    if (!(x_hi_ > x_lo_)) x_hi_ = x_lo_ + 1;
    x_step_ = nice_step(x_hi_ - x_lo_, 6);
    y_step_ = widen(y_lo_, y_hi_);
}

double Plot::x_of(double x) const { return kLeft + (x - x_lo_) / (x_hi_ - x_lo_) * (kWidth - kLeft - kRight); }
double Plot::y_of(double y) const {
    return kHeight - kBottom - (y - y_lo_) / (y_hi_ - y_lo_) * (kHeight - kTop - kBottom);
}

void Plot::page(const std::string& title) {
    set_colour(cr_, kWhite);
    cairo_paint(cr_);
    draw_text(cr_, kWidth / 2.0, 32, title, kTitleSize, kInk, Align::centre);
}

void Plot::use(const LineStyle& style) {
    set_colour(cr_, style.colour);
    cairo_set_line_width(cr_, style.width);
    const double dashes[2] = {6, 4};
    cairo_set_dash(cr_, dashes, style.dashed ? 2 : 0, 0);
}

void Plot::axes(const std::string& x_label, const std::string& y_label) {
    const LineStyle grid{kGrid};
    for (double t : ticks_around(x_lo_, x_hi_, x_step_)) {
        if (t < x_lo_ - 1e-9 * x_step_ || t > x_hi_ + 1e-9 * x_step_) continue;
        use(grid);
        cairo_move_to(cr_, x_of(t), kTop);
        cairo_line_to(cr_, x_of(t), kHeight - kBottom);
        cairo_stroke(cr_);
        draw_text(cr_, x_of(t), kHeight - kBottom + 18, tick_text(t, x_step_), kTextSize, kInk, Align::centre);
    }
    for (double t : ticks_around(y_lo_, y_hi_, y_step_)) {
        use(grid);
        cairo_move_to(cr_, kLeft, y_of(t));
        cairo_line_to(cr_, kWidth - kRight, y_of(t));
        cairo_stroke(cr_);
        draw_text(cr_, kLeft - 8, y_of(t) + 4, tick_text(t, y_step_), kTextSize, kInk, Align::right);
    }
    use(LineStyle{kFrame});
    cairo_rectangle(cr_, kLeft, kTop, kWidth - kLeft - kRight, kHeight - kTop - kBottom);
    cairo_stroke(cr_);
    draw_text(cr_, (kLeft + kWidth - kRight) / 2, kHeight - 20, x_label, kTextSize, kInk, Align::centre);
    cairo_save(cr_);
    cairo_translate(cr_, 22, (kTop + kHeight - kBottom) / 2);
    cairo_rotate(cr_, -3.14159265358979323846 / 2);
    draw_text(cr_, 0, 0, y_label, kTextSize, kInk, Align::centre);
    cairo_restore(cr_);
}

bool Plot::trace(const std::vector<double>& xs, const std::vector<double>& ys) {
    bool started = false;
    for (std::size_t k = 0; k < xs.size() && k < ys.size(); ++k) {
        if (std::isnan(ys[k])) continue;
        if (started) {
            cairo_line_to(cr_, x_of(xs[k]), y_of(ys[k]));
        } else {
            cairo_move_to(cr_, x_of(xs[k]), y_of(ys[k]));
            started = true;
        }
    }
    return started;
}

void Plot::polyline(const std::vector<double>& xs, const std::vector<double>& ys, const LineStyle& style) {
    if (!trace(xs, ys)) return;
    use(style);
    cairo_stroke(cr_);
}

void Plot::area_below(const std::vector<double>& xs, const std::vector<double>& ys, Rgb fill) {
    if (!trace(xs, ys)) return;
    double last_x = 0, last_y = 0, first_x = 0;
    cairo_get_current_point(cr_, &last_x, &last_y);
    for (std::size_t k = 0; k < xs.size() && k < ys.size(); ++k) {
        if (std::isnan(ys[k])) continue;
        first_x = x_of(xs[k]);
        break;
    }
    cairo_line_to(cr_, last_x, y_of(y_lo_));
    cairo_line_to(cr_, first_x, y_of(y_lo_));
    cairo_close_path(cr_);
    set_colour(cr_, fill);
    cairo_fill(cr_);
}

void Plot::mark(double x, double y, Shape shape, const LineStyle& style, const std::string& label) {
    const double px = x_of(x), py = y_of(y);
    outlined(cr_, shape, px, py, 6, style.colour);
    if (!label.empty()) draw_text(cr_, px, py - 12, label, kTextSize, kInk, Align::centre);
}

void Plot::legend(const std::vector<Entry>& entries) {
    const double w = kLegendWidth, h = 14 + 20.0 * entries.size(), x = kWidth - kRight + 30, y = kTop;
    cairo_rectangle(cr_, x, y, w, h);
    set_colour(cr_, kWhite, 0.9);
    cairo_fill_preserve(cr_);
    use(LineStyle{kLegendFrame});
    cairo_stroke(cr_);
    for (std::size_t k = 0; k < entries.size(); ++k) {
        const double row = y + 17 + 20.0 * k;
        const Entry& e = entries[k];
        if (e.shape == Shape::line) {
            use(e.style);
            cairo_move_to(cr_, x + 10, row);
            cairo_line_to(cr_, x + 40, row);
            cairo_stroke(cr_);
        } else {
            outlined(cr_, e.shape, x + 25, row, 5, e.style.colour);
        }
        draw_text(cr_, x + 50, row + 4, e.name, kTextSize, kInk);
    }
}
