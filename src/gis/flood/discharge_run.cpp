#include "discharge_run.h"

#include <optional>
#include <utility>

#include "discharge_search.h"
#include "gis_io.h"
#include "reach_window.h"

namespace {

// The floods of the search, each a full run of the reach at a layer: in the window of the
// first, widened (and the reach read again) when a thicker layer's flood reaches its side.
// The last run is kept, for the folder of the layer found.
class LayerRuns {
public:
    LayerRuns(const FloodOptions& o, const FloodPlace& place, const ProgressFn& progress)
        : o_(o), place_(place), progress_(progress) {}

    // The discharge of the flood at `layer`; fails when the bed does not fall along the reach.
    double discharge_at(double layer) {
        run(layer);
        const FloodFigures f = measure_flood(w_->reach, at_layer(w_->reach, layer), w_->run.results);
        const std::string flat = flat_bed_reason(f.channel(), f.profile_from_m, f.profile_to_m,
                                                 w_->reach.surface == SurfaceProfile::straight);
        if (!flat.empty()) fail(flat);
        return f.rating(o_.manning).discharge_m3s;
    }
    double last_layer() const { return layer_; }
    WindowedRun& last() { return *w_; }

private:
    void run(double layer) {
        layer_ = layer;
        FloodOptions wider = o_;
        if (w_) {
            w_->run = EngineRun{};  // its grids go before the next run takes its own
            EngineRun next = engine_run(w_->reach, at_layer(w_->reach, layer), place_, progress_);
            if (!flood_leaves_window(w_->reach, next.results)) {
                w_->run = std::move(next);
                return;
            }
            wider.margin_m = w_->reach.margin_m * 2;
        }
        w_ = run_in_window(wider, [layer](const Reach& r) { return at_layer(r, layer); }, place_, progress_);
    }

    const FloodOptions& o_;
    FloodPlace place_;
    ProgressFn progress_;
    std::optional<WindowedRun> w_;
    double layer_ = 0;
};

}  // namespace

FloodRun flood_for_discharge(const FloodOptions& o, const FloodPlace& place, const ProgressFn& progress) {
    LayerRuns runs(o, place, progress);
    const LayerFound found = find_layer(o.discharge_m3s, 1.0 / unit_factor(o.unit),
                                        [&runs](double layer) { return runs.discharge_at(layer); });
    DischargeFigures d;
    d.asked_m3s = o.discharge_m3s;
    d.manning_n = o.manning;
    d.how = "bisection";
    d.runs = found.runs;
    if (runs.last_layer() != found.layer_m) {  // the nearer end of the bracket, run again
        runs.discharge_at(found.layer_m);
        ++d.runs;
    }
    WindowedRun& w = runs.last();
    return flood_run(w.reach, at_layer(w.reach, found.layer_m), o, place, progress, nullptr, &w.run, &d);
}
