#include "rating.h"

#include <cmath>

#include "gis_io.h"
#include "text.h"

RatingPoint rating_point(const ChannelMeasures& c, double manning_n) {
    RatingPoint p;
    if (!(c.length_m > 0)) return p;
    p.slope = c.fall_m / c.length_m;
    if (!(c.bed_area_m2 > 0)) return p;  // nothing wet
    p.area_m2 = c.volume_m3 / c.length_m;
    p.perimeter_m = c.bed_area_m2 / c.length_m;
    p.radius_m = p.area_m2 / p.perimeter_m;
    if (p.slope > 0) p.discharge_m3s = p.area_m2 * std::pow(p.radius_m, 2.0 / 3.0) * std::sqrt(p.slope) / manning_n;
    return p;
}

std::string flat_bed_reason(const ChannelMeasures& c, double from_m, double to_m, bool straight) {
    if (c.fall_m > 0) return "";
    const std::string way_out = straight ? "give levels that fall (--level-from above --level-to)"
                                         : "check the reach's ends (--from upstream, --to downstream), or take the "
                                           "straight surface with levels that fall (--surface straight --level-from "
                                           "above --level-to)";
    return strf("no rating curve: the %s falls %.3f m over the %.0f m of the reach (from %.3f m at the upper end to "
                "%.3f m at the lower), and Manning's formula needs a slope above 0: %s",
                straight ? "straight surface" : "carved bed", c.fall_m, c.length_m, from_m, to_m, way_out.c_str());
}

std::vector<std::string> rating_warnings(const std::vector<RatingPoint>& curve) {
    std::vector<std::string> warnings;
    for (std::size_t k = 1; k < curve.size(); ++k) {
        const RatingPoint &a = curve[k - 1], &b = curve[k];
        if (b.discharge_m3s > a.discharge_m3s) continue;
        warnings.push_back(strf("the discharge does not rise with the level: %.3f m3/s at a layer of %g m, %.3f m3/s "
                                "at %g m (the water spreading over flat ground widens the section more than it "
                                "deepens it)",
                                a.discharge_m3s, a.layer_m, b.discharge_m3s, b.layer_m));
    }
    return warnings;
}

double layer_of_discharge(const std::vector<RatingPoint>& curve, double q) {
    for (std::size_t k = 1; k < curve.size(); ++k) {
        const RatingPoint &a = curve[k - 1], &b = curve[k];
        if (q < std::min(a.discharge_m3s, b.discharge_m3s) || q > std::max(a.discharge_m3s, b.discharge_m3s)) continue;
        if (a.discharge_m3s == b.discharge_m3s) return a.layer_m;
        return a.layer_m + (q - a.discharge_m3s) / (b.discharge_m3s - a.discharge_m3s) * (b.layer_m - a.layer_m);
    }
    double low = curve.empty() ? 0 : curve.front().discharge_m3s, high = low;
    for (const RatingPoint& p : curve) low = std::min(low, p.discharge_m3s), high = std::max(high, p.discharge_m3s);
    fail(strf("a discharge of %g m3/s lies outside the library's rating curve (%.3f to %.3f m3/s): give levels that "
              "reach it",
              q, low, high));
}

std::string rating_csv(const std::vector<RatingPoint>& curve) {
    std::string csv = "layer_m,stage_from_m,stage_to_m,area_m2,perimeter_m,hydraulic_radius_m,slope,discharge_m3s\n";
    for (const RatingPoint& p : curve) {
        csv += strf("%g,%.3f,%.3f,%.3f,%.3f,%.4f,%.6f,%.3f\n", p.layer_m, p.stage_from_m, p.stage_to_m, p.area_m2,
                    p.perimeter_m, p.radius_m, p.slope, p.discharge_m3s);
    }
    return csv;
}

namespace {

// The ground's gradient at (i, j) towards (i + di, j + dj), in metres a metre.
double gradient(const std::function<double(int, int)>& ground, int i, int j, int di, int dj, double pixel_m) {
    const double here = ground(i, j), before = ground(i - di, j - dj), after = ground(i + di, j + dj);
    if (!std::isnan(before) && !std::isnan(after)) return (after - before) / (2 * pixel_m);
    if (!std::isnan(after)) return (after - here) / pixel_m;
    if (!std::isnan(before)) return (here - before) / pixel_m;
    return 0;
}

}  // namespace

double slope_factor(const std::function<double(int, int)>& ground, int i, int j, double pixel_m) {
    const double dx = gradient(ground, i, j, 0, 1, pixel_m), dy = gradient(ground, i, j, 1, 0, pixel_m);
    return std::sqrt(1 + dx * dx + dy * dy);
}
