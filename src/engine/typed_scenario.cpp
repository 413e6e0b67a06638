// The typed scenario of engine.h in the engine's own terms: the one place where a typed option
// becomes a dialog code (0 yes, 1 no; the unit's menu number) and the typed fields take the
// names the engine's stages, trace and report use.
#include <utility>

#include "parameter_rules.h"
#include "run_state.h"

namespace {

// The dialog's code of an option: 0 yes, 1 no.
int option_code(bool on) { return on ? 0 : 1; }

// The unit's number in the dialog's menu: 0 metres, 1 decimetres, 2 centimetres, 3 millimetres.
int unit_code(DemUnit unit) {
    switch (unit) {
    case DemUnit::metres:
        return 0;
    case DemUnit::decimetres:
        return 1;
    case DemUnit::centimetres:
        return 2;
    case DemUnit::millimetres:
        return 3;
    }
    return -1;  // not a unit: the run refuses the scale
}

}  // namespace

int units_per_metre(DemUnit unit) {
    Parameters p;
    p.hypso_scale = unit_code(unit);
    return p.coef();
}

Parameters parameters_of(const RunSettings& s) {
    Parameters p;
    p.hypso_scale = unit_code(s.unit);
    p.ideb = s.upper.cell.line, p.jdeb = s.upper.cell.column, p.alti_deb = s.upper.level_m;
    p.ifin = s.lower.cell.line, p.jfin = s.lower.cell.column, p.alti_fin = s.lower.level_m;
    p.gauss_treat = option_code(s.wave.on);
    p.LO = s.wave.half_length_px;
    p.AO_Max = s.wave.height_m;
    p.i_AO = s.wave.summit.line, p.j_AO = s.wave.summit.column;
    p.water_layer = option_code(s.layer.on);
    p.dthick_deb = s.layer.upper_m, p.dthick_end = s.layer.lower_m;
    p.taille_pix = s.pixel_m;
    return p;
}

RunScenario described_scenario(Scenario s) {
    RunScenario d;
    d.nomim1 = std::move(s.names.mask);
    d.nomim2 = std::move(s.names.skeleton);
    d.nomim3 = std::move(s.names.dem);
    d.inputs = std::move(s.inputs);
    d.parameters = parameters_of(s.settings);
    d.rules = s.settings.rules;
    d.surface = s.settings.surface;
    return d;
}

Results run(Scenario scenario, const ProgressFn& progress, Trace& trace) {
    return run_scenario(described_scenario(std::move(scenario)), progress, trace);
}

std::string wave_refusal(const WaveOptions& wave, DemUnit unit, int lines, int cols, std::int64_t path_pixels) {
    RunSettings s;
    s.unit = unit;
    s.wave = wave;
    return wave_refusal(parameters_of(s), GridShape{lines, cols}, longest_half_wave(path_pixels));
}
