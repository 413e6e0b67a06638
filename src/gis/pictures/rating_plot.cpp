#include "rating_plot.h"

#include <algorithm>

#include "gis_io.h"
#include "plot.h"

namespace {

constexpr LineStyle kCurve{Rgb{31, 95, 208}, 2};
// Beyond this many levels the points' marks would hide the curve.
constexpr std::size_t kMarkedPoints = 60;

void draw_rating_on(cairo_t* cr, const RatingPlot& r) {
    const auto [stage_lo, stage_hi] = std::minmax_element(r.stage_m.begin(), r.stage_m.end());
    const double q_hi = *std::max_element(r.discharge_m3s.begin(), r.discharge_m3s.end());
    Plot plot(cr, *stage_lo, *stage_hi, 0, q_hi);
    plot.page(r.title);
    plot.axes("water level at the upper end of the reach (m)", "discharge (m3/s)");
    plot.polyline(r.stage_m, r.discharge_m3s, kCurve);
    if (r.stage_m.size() <= kMarkedPoints) {
        for (std::size_t k = 0; k < r.stage_m.size(); ++k) {
            plot.mark(r.stage_m[k], r.discharge_m3s[k], Plot::Shape::circle, kCurve, "");
        }
    }
    plot.legend({{r.curve_name, kCurve, Plot::Shape::line}});
}

}  // namespace

void draw_rating(const RatingPlot& r, const std::string& path, const std::string& name) {
    if (r.stage_m.empty() || r.stage_m.size() != r.discharge_m3s.size()) fail("a rating curve needs its points");
    write_picture(PictureFormat::svg, Plot::kWidth, Plot::kHeight, [&r](cairo_t* cr) { draw_rating_on(cr, r); }, path,
                  name);
}
