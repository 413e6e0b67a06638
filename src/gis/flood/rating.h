// The synthetic rating curve of a reach: from what a flood wets (its volume, its bed's area, the
// reach's length and the fall of the bed along it), the mean cross-section and the discharge
// Manning's formula gives for it, level by level; and the level a discharge gives.
#ifndef TARVEX_GIS_RATING_H
#define TARVEX_GIS_RATING_H

#include <functional>
#include <string>
#include <vector>

// Manning's n by default: natural channels, clean and winding (0.033 to 0.045 in the usual
// tables; 0.035 is their typical value).
inline constexpr double kDefaultManning = 0.035;

// What a flood measures of its reach.
struct ChannelMeasures {
    double volume_m3 = 0;    // the wetted volume
    double bed_area_m2 = 0;  // the wetted bed: each wet cell's plan area times its ground's slope factor
    double length_m = 0;     // the reach along its path
    double fall_m = 0;       // the bed's (or the straight line's) fall from the upper end to the lower
};

// A point of the curve: the layer, the water level at the two ends, and the mean cross-section's
// area A = V/L, wetted perimeter P = B/L, hydraulic radius R = A/P, the slope S = fall/L and
// Manning's discharge Q = (1/n) A R^(2/3) S^(1/2).
struct RatingPoint {
    double layer_m = 0, stage_from_m = 0, stage_to_m = 0;
    double area_m2 = 0, perimeter_m = 0, radius_m = 0, slope = 0, discharge_m3s = 0;
};

// The hydraulics of `c` (the layer and the stages are left for the caller). A reach that wets
// nothing has no cross-section and carries nothing.
RatingPoint rating_point(const ChannelMeasures& c, double manning_n);

// Why the reach has no rating curve, with the figures and the way out: its bed (or straight
// surface) does not fall from the upper end to the lower, and Manning's formula gives no
// discharge on a flat or rising bed. "" when it falls. `from_m` and `to_m` are the profile's
// levels at the ends.
std::string flat_bed_reason(const ChannelMeasures& c, double from_m, double to_m, bool straight);

// The warnings of a curve whose points rise in layer: where Q does not rise with the level.
std::vector<std::string> rating_warnings(const std::vector<RatingPoint>& curve);

// The layer of discharge `q` on the curve (rising in layer): linear in the layer between the
// first two neighbouring points whose discharges hold it; fails outside the curve.
double layer_of_discharge(const std::vector<RatingPoint>& curve, double q);

// rating.csv: a header and a row a point.
std::string rating_csv(const std::vector<RatingPoint>& curve);

// The factor by which the ground's slope enlarges the plan area of cell (i, j): sqrt(1 +
// (dz/dx)^2 + (dz/dy)^2), the gradients by central differences, one-sided where a neighbour
// lies outside the grid or has no data, none where both do. `ground(i, j)` gives metres, NaN
// outside the grid or without data.
double slope_factor(const std::function<double(int, int)>& ground, int i, int j, double pixel_m);

#endif
