#include "discharge_search.h"

#include <algorithm>
#include <cmath>

#include "gis_io.h"
#include "text.h"

namespace {

struct Tried {
    double layer_m, discharge_m3s;
};

bool close_enough(double reached, double q) { return std::fabs(reached - q) <= kDischargeTolerance * q; }

}  // namespace

LayerFound find_layer(double q, double unit_m, const std::function<double(double)>& discharge_at) {
    LayerFound found;
    auto run = [&](double layer) {
        ++found.runs;
        return Tried{layer, discharge_at(layer)};
    };
    // A layer of 0 carries nothing: the lower end of the bracket until a run passes it.
    Tried low{0, 0}, high = run(kFirstLayerM);
    while (high.discharge_m3s < q && !close_enough(high.discharge_m3s, q)) {
        if (high.layer_m >= kLayerBoundM) {
            fail(strf("a discharge of %g m3/s is beyond the reach of the flood: a layer of %g m carries %.3f m3/s",
                      q, high.layer_m, high.discharge_m3s));
        }
        low = high;
        high = run(high.layer_m * 2);
    }
    Tried last = high;
    const double apart = std::max(kLayerToleranceM, unit_m) * (1 + 1e-9);
    while (!close_enough(last.discharge_m3s, q) && high.layer_m - low.layer_m > apart) {
        const double middle = std::round((low.layer_m + high.layer_m) / 2 / unit_m) * unit_m;
        if (!(middle > low.layer_m && middle < high.layer_m)) break;  // no whole unit between them
        last = run(middle);
        (last.discharge_m3s < q ? low : high) = last;
    }
    if (!close_enough(last.discharge_m3s, q)) {
        // The nearer of the bracket's ends; a layer of 0 was never run, and is never taken.
        last = low.layer_m > 0 && q - low.discharge_m3s < high.discharge_m3s - q ? low : high;
    }
    found.layer_m = last.layer_m;
    found.discharge_m3s = last.discharge_m3s;
    return found;
}
