// A line plot drawn on a cairo context: axes with round, labelled ticks and grid lines, lines,
// point marks, a legend and a title.
#ifndef TARVEX_GIS_PLOT_H
#define TARVEX_GIS_PLOT_H

#include <string>
#include <vector>

#include "drawing.h"

// How a line is drawn, or a mark filled (a mark has a black outline).
struct LineStyle {
    Rgb colour;
    double width = 1;
    bool dashed = false;
};

class Plot {
public:
    static constexpr int kWidth = 1190, kHeight = 540;

    // A plot of the data's ranges: x from x_lo to x_hi with the round ticks between, y widened
    // to the round ticks around its range.
    Plot(cairo_t* cr, double x_lo, double x_hi, double y_lo, double y_hi);

    double x_of(double x) const;
    double y_of(double y) const;

    // A white page and the title above the plot.
    void page(const std::string& title);
    void axes(const std::string& x_label, const std::string& y_label);
    // The points whose y is a number, joined.
    void polyline(const std::vector<double>& xs, const std::vector<double>& ys, const LineStyle& style);
    // The area between the points and the bottom of the plot.
    void area_below(const std::vector<double>& xs, const std::vector<double>& ys, Rgb fill);
    enum class Shape { line, circle, triangle };
    // A circle or a triangle pointing up at a data point, with a label above it.
    void mark(double x, double y, Shape shape, const LineStyle& style, const std::string& label);
    // A key beside the plot, in the right margin: a sample of each line or mark, and its name.
    struct Entry {
        std::string name;
        LineStyle style;
        Shape shape;
    };
    void legend(const std::vector<Entry>& entries);

private:
    void use(const LineStyle& style);
    // The points whose y is a number, as a path; false when there is none.
    bool trace(const std::vector<double>& xs, const std::vector<double>& ys);

    cairo_t* cr_;
    double x_lo_, x_hi_, x_step_, y_lo_, y_hi_, y_step_;
};

#endif
