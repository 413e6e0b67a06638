// The engine's run: the scenario checked, then the computing stages in their order, and the
// results in the typed form of engine.h.
#include "engine.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <tuple>
#include <utility>

#include "create_river_surface.h"
#include "dem_units.h"
#include "flood_beside_river.h"
#include "gaussian_wave.h"
#include "parameter_rules.h"
#include "report.h"
#include "run_state.h"

namespace {

void check_fits(RunLog& log, double metres, int coef) {
    if (!dem_units_fit(metres, coef)) log.fatal("\n This value is too large for the unit of the DEM \n");
}

// A scenario the dialog could not have given stops the run, with the dialog's own words.
void check_scenario(const RunScenario& s, RunLog& log) {
    const Inputs& in = s.inputs;
    const GridShape g{in.mask.nb_lig(), in.mask.nb_col()};
    if (in.mask.empty() || in.skeleton.nb_lig() != g.nb_lig || in.skeleton.nb_col() != g.nb_col ||
        in.dem.nb_lig() != g.nb_lig || in.dem.nb_col() != g.nb_col) {
        log.fatal("\n The river mask, the river skeleton and the DEM must be grids of one size \n");
    }
    const Parameters& p = s.parameters;
    if (p.coef() == 0) log.fatal("\n The hypsometric scale must be 0, 1, 2 or 3 \n");
    if ((p.gauss_treat != 0 && p.gauss_treat != 1) || (p.water_layer != 0 && p.water_layer != 1) ||
        (p.gauss_treat == 1 && p.water_layer == 1)) {
        log.fatal("\n\n Unable to start Flooding Treatment ");
    }
    for (double metres : {p.alti_deb, p.alti_fin, p.AO_Max, p.dthick_deb, p.dthick_end}) check_fits(log, metres, p.coef());
    const std::string caution = end_point_caution(p, g);
    if (!caution.empty()) log.fatal(caution);
    if (p.gauss_treat == 0) {
        const std::string refusal = wave_refusal(p, g, longest_half_wave(skeleton_pixels(in.skeleton)));
        if (!refusal.empty()) log.fatal(refusal);
    }
    if (!(p.taille_pix > 0) || !std::isfinite(p.taille_pix)) log.fatal("\n Please answer a number greater than 0 \n");
}

// A path's profile from position 1 on: the engine's vectors keep an unused slot 0.
std::vector<int> from_first_position(std::vector<int> profile) {
    if (!profile.empty()) profile.erase(profile.begin());
    return profile;
}

RiverMeasures measures_of(const Measurements& m) {
    return RiverMeasures{m.pix_soul, m.length_tot, m.hypo, m.ratio};
}

}  // namespace

int Parameters::coef() const {
    const int factors[4] = {1, 10, 100, 1000};
    return hypso_scale >= 0 && hypso_scale <= 3 ? factors[hypso_scale] : 0;
}

Grids Grids::around(Inputs inputs) {
    Grids g;
    g.nb_lig = inputs.mask.nb_lig();
    g.nb_col = inputs.mask.nb_col();
    g.tab_mask = std::move(inputs.mask);
    g.tab_soul = std::move(inputs.skeleton);
    g.itab_in = std::move(inputs.dem);
    g.tab_respaldo = ByteGrid(g.nb_lig, g.nb_col);
    g.itab_out = SurfaceGrid::around({&g.tab_mask, &g.tab_soul});
    return g;
}

void Grids::end_construction() {
    tab_mask_prov = std::move(tab_soul);
    tab_soul_prov = ByteGrid();
    tab_respaldo = ByteGrid();
    itab_out = SurfaceGrid();
}

Results run_scenario(RunScenario scenario, const ProgressFn& progress, Trace& trace) {
    RunLog log(trace, progress);
    check_scenario(scenario, log);
    Results r;
    std::tie(r.dem_range.min, r.dem_range.max) = value_range(scenario.inputs.dem);
    const int lines = scenario.inputs.mask.nb_lig(), cols = scenario.inputs.mask.nb_col();
    Grids g;
    try {
        g = Grids::around(std::move(scenario.inputs));
    } catch (const std::bad_alloc&) {
        log.fatal(strf("\n Not enough memory for the grids of %d lines and %d columns \n", lines, cols));
    }
    const Parameters& p = scenario.parameters;
    Wave wave;
    if (p.gauss_treat == 0) {
        log.stage("wave");
        wave = gauss(p, log);
    }
    const bool sound = scenario.rules == SpreadRules::sound;
    Measurements m;
    log.stage("path tracing");
    RiverPath path = create_river_surface(g, p, p.gauss_treat == 0 ? &wave : nullptr, log, m, sound,
                                          scenario.surface == SurfaceProfile::bed);
    g.end_construction();
    treatment(g, log, sound);
    r.wave_factor = wave.A;
    r.measures = measures_of(m);
    r.report = run_report(scenario, wave.A, m);
    r.flooded_dem = std::move(g.itab_in);
    r.extent = std::move(g.tab_mask);
    r.linear_profile = from_first_position(std::move(path.k_coord));
    r.surface_profile = from_first_position(std::move(path.k_coord2));
    return r;
}

