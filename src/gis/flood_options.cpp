#include "flood_options.h"

#include <cmath>
#include <set>

#include "dem_units.h"
#include "gis_io.h"
#include "numbers.h"
#include "text.h"

namespace {

void read_points(FloodOptions& f, const OptionValues& v) {
    if (v.given("--from")) {
        const std::vector<double> p = v.numbers("--from");
        f.has_from = true, f.from_x = p[0], f.from_y = p[1];
    }
    if (v.given("--to")) {
        const std::vector<double> p = v.numbers("--to");
        f.has_to = true, f.to_x = p[0], f.to_y = p[1];
    }
    if (v.given("--level-from")) f.has_level_from = true, f.level_from = v.real("--level-from");
    if (v.given("--level-to")) f.has_level_to = true, f.level_to = v.real("--level-to");
}

// FROM:TO:STEP as the levels from FROM up to TO (and TO itself, within a millionth of a step),
// each labelled as %g prints it, so that it reads back as the thickness a single run is given;
// fails when two levels would have one label, and so one folder.
std::vector<std::string> levels_of(const OptionValues& v) {
    const OptionValues::Range r = v.range("--layers");
    const double count = std::floor((r.to - r.from) / r.step + 1e-6) + 1;
    if (count > 1000) fail("--layers gives " + strf("%.0f", count) + " levels: a library holds at most 1000");
    std::vector<std::string> levels;
    std::set<std::string> labels;
    for (int k = 0; k < static_cast<int>(count); ++k) {
        levels.push_back(strf("%g", r.from + k * r.step));
        if (!labels.insert(levels.back()).second) {
            fail("--layers " + v.text("--layers") + " gives levels that share the folder name layer_" + levels.back() +
                 " (a level is named with 6 significant digits): give a larger STEP");
        }
    }
    return levels;
}

// Each value as %g prints it: the name of its folder in a library; fails when two share one.
std::vector<std::string> discharges_of(const OptionValues& v) {
    std::vector<std::string> labels;
    std::set<std::string> seen;
    for (const double q : v.numbers("--discharges")) {
        labels.push_back(strf("%g", q));
        if (!seen.insert(labels.back()).second) fail("--discharges gives " + labels.back() + " m3/s twice");
    }
    return labels;
}

void read_discharges(FloodOptions& f, const OptionValues& v) {
    f.manning = v.real("--manning");
    if (v.given("--discharge")) {
        if (v.given("--layer") || v.given("--layers") || v.given("--wave")) {
            fail("--discharge finds the layer that carries it: give it without --layer, --layers and --wave");
        }
        f.discharge = true, f.discharge_m3s = v.real("--discharge");
    }
    if (v.given("--discharges")) {
        if (!v.given("--layers")) fail("--discharges reads the rating curve of a library: give it with --layers");
        f.discharges = discharges_of(v);
    }
}

void read_options_of_the_water(FloodOptions& f, const OptionValues& v) {
    read_discharges(f, v);
    if (v.given("--layer") && v.given("--layers")) fail("give --layer for one run or --layers for a library, not both");
    if (v.given("--layers")) f.layers = true, f.levels = levels_of(v);
    if (v.given("--jobs")) f.jobs = v.whole("--jobs");
    if (v.given("--layer")) {
        const std::vector<double> t = v.numbers("--layer");
        f.layer = true, f.layer_from = t[0], f.layer_to = t.back();
    }
    if (v.given("--wave")) {
        const std::vector<double> w = v.numbers("--wave");
        f.wave = true, f.wave_half_m = w[0], f.wave_height_m = w[1];
        if (w.size() == 4) f.wave_placed = true, f.wave_x = w[2], f.wave_y = w[3];
        if (f.wave_half_m <= 0) fail("--wave needs a half length above 0 metres");
    }
    if (!f.layer && !f.layers && !f.wave && !f.discharge) {
        fail("give --layer, --wave or both: without either the river surface is only a line");
    }
}

// Fails, naming the option, when `metres` would not fit a 32-bit altitude in the run's unit:
// the engine would refuse it in words that name no option.
void check_fits(const FloodOptions& f, const char* option, double metres) {
    if (dem_units_fit(metres, unit_factor(f.unit))) return;
    fail(strf("%s %g m does not fit a 32-bit altitude in %s: give a smaller value or a coarser --unit", option, metres,
              f.unit.c_str()));
}

void check_fits_unit(const FloodOptions& f) {
    if (f.has_level_from) check_fits(f, "--level-from", f.level_from);
    if (f.has_level_to) check_fits(f, "--level-to", f.level_to);
    if (f.layer) check_fits(f, "--layer", f.layer_from), check_fits(f, "--layer", f.layer_to);
    for (const std::string& level : f.levels) check_fits(f, "--layers", read_number(level).value_or(0));
    if (f.wave) check_fits(f, "--wave", f.wave_height_m);
}

void read_rules(FloodOptions& f, const OptionValues& v) {
    f.rules = v.text("--rules") == "sound" ? SpreadRules::sound : SpreadRules::described;
    f.surface = v.text("--surface") == "bed" ? SurfaceProfile::bed : SurfaceProfile::straight;
    if (f.surface == SurfaceProfile::bed && (f.has_level_from || f.has_level_to)) {
        fail("--level-from and --level-to set the straight surface between the ends: give them with --surface "
             "straight (the bed surface stands --layer metres above the bed)");
    }
    f.beyond_ends = v.given("--beyond-ends");
}

}  // namespace

FloodOptions flood_options(const OptionValues& v) {
    FloodOptions f;
    f.dem = v.text("--dem");
    f.river = v.text("--river");
    f.out = v.text("--out");
    f.mask = v.text("--mask");
    f.unit = v.text("--unit");
    f.extent = v.text("--extent");
    f.margin_m = v.real("--margin");
    f.z_unit = v.text("--z-unit");
    f.overwrite = v.given("--overwrite");
    if (v.given("--mask") == v.given("--width")) fail("give either --mask MASK or --width METRES");
    if (v.given("--width")) f.width = v.real("--width");
    read_points(f, v);
    read_options_of_the_water(f, v);
    read_rules(f, v);
    check_fits_unit(f);
    f.given = v.as_given();
    return f;
}
