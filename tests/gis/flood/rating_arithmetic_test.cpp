// The rating curve's arithmetic: the ground's slope factor, Manning's discharge of a section,
// the layer of a discharge on a curve, and the search for the layer that carries one.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "discharge_search.h"
#include "rating.h"
#include "stop.h"

namespace {

// A 3 x 3 grid of 2 m cells around (1, 1), NaN for no data and outside.
std::function<double(int, int)> ground_of(const std::vector<double>& cells) {
    return [cells](int i, int j) { return i < 0 || j < 0 || i > 2 || j > 2 ? NAN : cells[i * 3 + j]; };
}

}  // namespace

TEST(SlopeFactor, CentralWhereBothNeighboursHaveGroundOneSidedBesideNoDataOrTheEdge) {
    struct Case {
        std::vector<double> cells;
        int i, j;
        double factor;
    };
    const double n = NAN;
    const Case cases[] = {
        {{5, 5, 5, 5, 5, 5, 5, 5, 5}, 1, 1, 1},                           // flat
        {{0, 1, 2, 0, 1, 2, 0, 1, 2}, 1, 1, std::sqrt(1 + 0.25)},        // 1 m a 2 m cell eastwards
        {{0, 0, 0, 3, 3, 3, 6, 6, 6}, 1, 1, std::sqrt(1 + 2.25)},        // 3 m a cell southwards
        {{0, 1, 4, 0, 1, 4, 0, 1, 4}, 1, 1, std::sqrt(1 + 1)},           // central: (4 - 0) / 4
        {{0, 1, 4, 0, 1, 4, 0, 1, 4}, 1, 0, std::sqrt(1 + 0.25)},        // the grid's edge: (1 - 0) / 2
        {{0, 1, 4, 0, 1, 4, 0, 1, 4}, 1, 2, std::sqrt(1 + 2.25)},        // the other edge: (4 - 1) / 2
        {{0, 1, 4, n, 1, 4, 0, 1, 4}, 1, 1, std::sqrt(1 + 2.25)},        // no data west: (4 - 1) / 2
        {{0, 1, 4, 0, 1, n, 0, 1, 4}, 1, 1, std::sqrt(1 + 0.25)},        // no data east: (1 - 0) / 2
        {{n, n, n, n, 7, n, n, n, n}, 1, 1, 1},                           // alone: no slope known
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(slope_factor(ground_of(c.cells), c.i, c.j, 2), c.factor, 1e-12) << c.i << "," << c.j;
    }
}

TEST(RatingPoint, ManningsDischargeOfTheMeanSection) {
    // 1000 m of reach, 20000 m3 wet, 12000 m2 of bed, a fall of 1 m: A = 20, P = 12, S = 0.001.
    const RatingPoint p = rating_point(ChannelMeasures{20000, 12000, 1000, 1}, 0.03);
    EXPECT_DOUBLE_EQ(p.area_m2, 20);
    EXPECT_DOUBLE_EQ(p.perimeter_m, 12);
    EXPECT_NEAR(p.radius_m, 20.0 / 12, 1e-12);
    EXPECT_NEAR(p.slope, 0.001, 1e-15);
    EXPECT_NEAR(p.discharge_m3s, 20 * std::pow(20.0 / 12, 2.0 / 3) * std::sqrt(0.001) / 0.03, 1e-9);
    // Nothing wet carries nothing; a bed without fall carries nothing and has no curve.
    const RatingPoint dry = rating_point(ChannelMeasures{0, 0, 1000, 1}, 0.03);
    EXPECT_EQ(dry.area_m2 + dry.perimeter_m + dry.radius_m + dry.discharge_m3s, 0);
    EXPECT_EQ(rating_point(ChannelMeasures{20000, 12000, 1000, 0}, 0.03).discharge_m3s, 0);
    EXPECT_EQ(flat_bed_reason(ChannelMeasures{20000, 12000, 1000, 1}, 11, 10, false), "");
    EXPECT_NE(flat_bed_reason(ChannelMeasures{20000, 12000, 1000, 0}, 10, 10, false), "");
}

TEST(RatingCurve, ADischargeTakesTheLayerBetweenTheLevelsAroundItAndNoneOutside) {
    std::vector<RatingPoint> curve(4);
    const double layers[] = {0, 1, 2, 3}, discharges[] = {0, 10, 30, 25};
    for (int k = 0; k < 4; ++k) curve[k].layer_m = layers[k], curve[k].discharge_m3s = discharges[k];
    EXPECT_DOUBLE_EQ(layer_of_discharge(curve, 5), 0.5);
    EXPECT_DOUBLE_EQ(layer_of_discharge(curve, 10), 1);
    EXPECT_DOUBLE_EQ(layer_of_discharge(curve, 25), 1.75);  // the first levels that hold it
    EXPECT_DOUBLE_EQ(layer_of_discharge(curve, 30), 2);
    EXPECT_THROW(layer_of_discharge(curve, 31), Stop);
    EXPECT_THROW(layer_of_discharge(curve, -1), Stop);
    // The fall from 30 to 25 m3/s is warned of, once.
    const std::vector<std::string> warnings = rating_warnings(curve);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("30.000 m3/s at a layer of 2 m, 25.000 m3/s at 3 m"), std::string::npos) << warnings[0];
}

TEST(LayerSearch, BracketsByDoublingThenHalvesToTheToleranceOrTheNearestUnit) {
    int runs = 0;
    const auto manning_like = [&runs](double layer) { return ++runs, 100 * std::pow(layer, 5.0 / 3); };
    // 2.5 m carries 460.6 m3/s: 1, 2 and 4 m bracket it, halving finds it within 0.5 %.
    const double asked = 100 * std::pow(2.5, 5.0 / 3);
    LayerFound f = find_layer(asked, 0.001, manning_like);
    EXPECT_NEAR(f.discharge_m3s, asked, 0.005 * asked);
    EXPECT_EQ(f.runs, runs);
    EXPECT_GT(f.runs, 3);
    EXPECT_NEAR(f.discharge_m3s, manning_like(f.layer_m), 1e-9);  // the discharge of the layer found
    // Below the first layer the bracket starts from 0.
    f = find_layer(100 * std::pow(0.3, 5.0 / 3), 0.001, manning_like);
    EXPECT_NEAR(f.layer_m, 0.3, 0.002);
    // A discharge that leaps past the one asked: the nearer side, a unit apart.
    const auto leap = [](double layer) { return layer < 1.37 ? 10.0 : 30.0; };
    f = find_layer(18, 0.01, leap);
    EXPECT_NEAR(f.layer_m, 1.36, 1e-9);
    EXPECT_EQ(f.discharge_m3s, 10);
    f = find_layer(22, 0.01, leap);
    EXPECT_NEAR(f.layer_m, 1.37, 1e-9);
    const auto low_leap = [](double layer) { return layer < 0.37 ? 10.0 : 30.0; };
    f = find_layer(18, 0.01, low_leap);  // below the first layer: the nearer side is a layer run, not 0
    EXPECT_NEAR(f.layer_m, 0.36, 1e-9);
    // Beyond what the bound carries: refused.
    EXPECT_THROW(find_layer(1e9, 0.01, manning_like), Stop);
}
