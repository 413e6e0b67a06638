// The layer thickness whose flood carries a given discharge, found by runs of the flood: the
// layer doubled from 1 m until its discharge passes the one asked (up to 32 m), then halved
// between the two last layers until the discharge lies within 0.5 % of the one asked or the
// two layers within 1 mm of each other (one unit of the run, where that is coarser: the layers
// tried are whole units, as the run stands its water on).
#ifndef TARVEX_GIS_DISCHARGE_SEARCH_H
#define TARVEX_GIS_DISCHARGE_SEARCH_H

#include <functional>

inline constexpr double kFirstLayerM = 1, kLayerBoundM = 32;
inline constexpr double kDischargeTolerance = 0.005, kLayerToleranceM = 0.001;

struct LayerFound {
    double layer_m = 0, discharge_m3s = 0;
    int runs = 0;  // the floods run to find it
};

// The layer whose discharge, as `discharge_at(layer)` runs and measures it, is `q` (above 0);
// fails when even the bound's flood carries less. When the discharge leaps past `q` between two
// layers a millimetre apart, the nearer of the two is found.
// `unit_m`: the run's unit in metres.
LayerFound find_layer(double q, double unit_m, const std::function<double(double)>& discharge_at);

#endif
