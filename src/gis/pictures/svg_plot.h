// A line plot as an SVG document: axes with round, labelled ticks and grid lines, polylines,
// point marks, a legend and a title.
#ifndef TARVEX_GIS_SVG_PLOT_H
#define TARVEX_GIS_SVG_PLOT_H

#include <sstream>
#include <string>
#include <vector>

// How a line or a mark is drawn: SVG attributes (stroke, fill, dash ...).
struct SvgStyle {
    std::string attributes;
};

class SvgPlot {
public:
    // A plot of the data's ranges: x from x_lo to x_hi with the round ticks between, y widened
    // to the round ticks around its range.
    SvgPlot(double x_lo, double x_hi, double y_lo, double y_hi);

    double x_of(double x) const;
    double y_of(double y) const;

    void axes(const std::string& x_label, const std::string& y_label);
    // The points whose y is a number, joined (class `name`, for readers of the document).
    void polyline(const std::string& name, const std::vector<double>& xs, const std::vector<double>& ys,
                  const SvgStyle& style);
    // The area between the points and the bottom of the plot.
    void area_below(const std::vector<double>& xs, const std::vector<double>& ys, const SvgStyle& style);
    enum class Shape { line, circle, triangle };
    // A circle or a triangle pointing up at a data point, with a label above it.
    void mark(double x, double y, Shape shape, const SvgStyle& style, const std::string& label);
    // A key beside the plot, in the right margin: a sample of each line or mark, and its name.
    struct Entry {
        std::string name;
        SvgStyle style;
        Shape shape;
    };
    void legend(const std::vector<Entry>& entries);

    std::string document(const std::string& title) const;

private:
    double x_lo_, x_hi_, x_step_, y_lo_, y_hi_, y_step_;
    std::ostringstream body_;
};

// `text` with the characters XML gives a meaning written as entities.
std::string xml_text(const std::string& text);

#endif
