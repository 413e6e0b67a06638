#include "svg_plot.h"

#include <cmath>
#include <cstdio>

#include "nice_numbers.h"

namespace {

// The legend stands in a margin of its own on the right, where it never covers a curve.
constexpr double kLegendWidth = 210;
constexpr double kWidth = 1190, kHeight = 540, kLeft = 86, kRight = kLegendWidth + 50, kTop = 56, kBottom = 66;

std::string num(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", v);
    return text;
}

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

}  // namespace

std::string xml_text(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '&') out += "&amp;";
        else if (c == '<') out += "&lt;";
        else if (c == '>') out += "&gt;";
        else if (c == '"') out += "&quot;";
        else out += c;
    }
    return out;
}

SvgPlot::SvgPlot(double x_lo, double x_hi, double y_lo, double y_hi)
    : x_lo_(x_lo), x_hi_(x_hi), y_lo_(y_lo), y_hi_(y_hi) {
    // The distance axis ends where the data ends; the altitude axis at round values.
    if (!(x_hi_ > x_lo_)) x_hi_ = x_lo_ + 1;
    x_step_ = nice_step(x_hi_ - x_lo_, 6);
    y_step_ = widen(y_lo_, y_hi_);
}

double SvgPlot::x_of(double x) const { return kLeft + (x - x_lo_) / (x_hi_ - x_lo_) * (kWidth - kLeft - kRight); }
double SvgPlot::y_of(double y) const {
    return kHeight - kBottom - (y - y_lo_) / (y_hi_ - y_lo_) * (kHeight - kTop - kBottom);
}

void SvgPlot::axes(const std::string& x_label, const std::string& y_label) {
    const std::string grid = "stroke=\"#e2e2e2\"";
    for (double t : ticks_around(x_lo_, x_hi_, x_step_)) {
        if (t < x_lo_ - 1e-9 * x_step_ || t > x_hi_ + 1e-9 * x_step_) continue;
        const std::string x = num(x_of(t));
        body_ << "<line x1=\"" << x << "\" y1=\"" << kTop << "\" x2=\"" << x << "\" y2=\"" << kHeight - kBottom << "\" "
              << grid << "/>\n<text x=\"" << x << "\" y=\"" << kHeight - kBottom + 18
              << "\" text-anchor=\"middle\">" << tick_text(t, x_step_) << "</text>\n";
    }
    for (double t : ticks_around(y_lo_, y_hi_, y_step_)) {
        const std::string y = num(y_of(t));
        body_ << "<line x1=\"" << kLeft << "\" y1=\"" << y << "\" x2=\"" << kWidth - kRight << "\" y2=\"" << y << "\" "
              << grid << "/>\n<text x=\"" << kLeft - 8 << "\" y=\"" << num(y_of(t) + 4)
              << "\" text-anchor=\"end\">" << tick_text(t, y_step_) << "</text>\n";
    }
    body_ << "<rect class=\"frame\" x=\"" << kLeft << "\" y=\"" << kTop << "\" width=\"" << kWidth - kLeft - kRight
          << "\" height=\"" << kHeight - kTop - kBottom << "\" fill=\"none\" stroke=\"#333\"/>\n"
          << "<text x=\"" << (kLeft + kWidth - kRight) / 2 << "\" y=\"" << kHeight - 20
          << "\" text-anchor=\"middle\">" << xml_text(x_label) << "</text>\n"
          << "<text transform=\"translate(22," << (kTop + kHeight - kBottom) / 2
          << ") rotate(-90)\" text-anchor=\"middle\">" << xml_text(y_label) << "</text>\n";
}

void SvgPlot::polyline(const std::string& name, const std::vector<double>& xs, const std::vector<double>& ys,
                       const SvgStyle& style) {
    body_ << "<polyline class=\"" << name << "\" fill=\"none\" " << style.attributes << " points=\"";
    const char* space = "";
    for (std::size_t k = 0; k < xs.size() && k < ys.size(); ++k) {
        if (std::isnan(ys[k])) continue;
        body_ << space << num(x_of(xs[k])) << "," << num(y_of(ys[k]));
        space = " ";
    }
    body_ << "\"/>\n";
}

void SvgPlot::area_below(const std::vector<double>& xs, const std::vector<double>& ys, const SvgStyle& style) {
    std::ostringstream points;
    double first = NAN, last = NAN;
    for (std::size_t k = 0; k < xs.size() && k < ys.size(); ++k) {
        if (std::isnan(ys[k])) continue;
        if (std::isnan(first)) first = xs[k];
        last = xs[k];
        points << num(x_of(xs[k])) << "," << num(y_of(ys[k])) << " ";
    }
    if (std::isnan(first)) return;
    const std::string base = num(y_of(y_lo_));
    body_ << "<polygon " << style.attributes << " points=\"" << points.str() << num(x_of(last)) << "," << base << " "
          << num(x_of(first)) << "," << base << "\"/>\n";
}

namespace {

// A circle or a triangle centred on (x, y), of radius r.
std::string shape_at(SvgPlot::Shape shape, double x, double y, double r, const SvgStyle& style) {
    if (shape == SvgPlot::Shape::triangle) {
        return "<polygon class=\"mark\" " + style.attributes + " points=\"" + num(x) + "," + num(y - r * 1.3) + " " +
               num(x - r * 1.15) + "," + num(y + r * 0.8) + " " + num(x + r * 1.15) + "," + num(y + r * 0.8) + "\"/>\n";
    }
    return "<circle class=\"mark\" cx=\"" + num(x) + "\" cy=\"" + num(y) + "\" r=\"" + num(r) + "\" " +
           style.attributes + "/>\n";
}

}  // namespace

void SvgPlot::mark(double x, double y, Shape shape, const SvgStyle& style, const std::string& label) {
    const double px = x_of(x), py = y_of(y);
    body_ << shape_at(shape, px, py, 6, style);
    if (!label.empty()) {
        body_ << "<text x=\"" << num(px) << "\" y=\"" << num(py - 12) << "\" text-anchor=\"middle\">"
              << xml_text(label) << "</text>\n";
    }
}

void SvgPlot::legend(const std::vector<Entry>& entries) {
    const double w = kLegendWidth, h = 14 + 20.0 * entries.size(), x = kWidth - kRight + 30, y = kTop;
    body_ << "<g class=\"legend\">\n<rect x=\"" << x << "\" y=\"" << y << "\" width=\"" << w << "\" height=\"" << h
          << "\" fill=\"white\" fill-opacity=\"0.9\" stroke=\"#999\"/>\n";
    for (std::size_t k = 0; k < entries.size(); ++k) {
        const double row = y + 17 + 20.0 * k;
        const Entry& e = entries[k];
        if (e.shape == Shape::line) {
            body_ << "<line x1=\"" << x + 10 << "\" y1=\"" << row << "\" x2=\"" << x + 40 << "\" y2=\"" << row << "\" "
                  << e.style.attributes << "/>\n";
        } else {
            body_ << shape_at(e.shape, x + 25, row, 5, e.style);
        }
        body_ << "<text x=\"" << x + 50 << "\" y=\"" << row + 4 << "\">" << xml_text(e.name) << "</text>\n";
    }
    body_ << "</g>\n";
}

std::string SvgPlot::document(const std::string& title) const {
    std::ostringstream svg;
    svg << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << kWidth << "\" height=\"" << kHeight
        << "\" viewBox=\"0 0 " << kWidth << " " << kHeight << "\" font-family=\"sans-serif\" font-size=\"13\">\n"
        << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n"
        << "<text x=\"" << kWidth / 2 << "\" y=\"32\" text-anchor=\"middle\" font-size=\"18\">" << xml_text(title)
        << "</text>\n"
        << body_.str() << "</svg>\n";
    return svg.str();
}
