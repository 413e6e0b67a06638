#include "library_rating.h"

#include <cmath>

#include "gis_io.h"
#include "json_files.h"
#include "numbers.h"
#include "outputs.h"
#include "rating_plot.h"
#include "text.h"

LibraryRating library_rating(const std::vector<FloodFigures>& levels, double n, bool straight) {
    LibraryRating rating;
    rating.manning_n = n;
    if (levels.empty()) return rating;
    const FloodFigures& any = levels.front();  // the bed, the path and so the slope are every level's
    const std::string flat = flat_bed_reason(any.channel(), any.profile_from_m, any.profile_to_m, straight);
    if (!flat.empty()) {
        rating.warnings.push_back(flat);
        return rating;
    }
    for (const FloodFigures& f : levels) rating.curve.push_back(f.rating(n));
    rating.warnings = rating_warnings(rating.curve);
    return rating;
}

void write_rating(const FloodFolder& folder, const LibraryRating& rating, const std::string& name) {
    if (rating.curve.empty()) return;
    RatingPlot plot;
    for (const RatingPoint& p : rating.curve) {
        plot.stage_m.push_back(p.stage_from_m);
        plot.discharge_m3s.push_back(p.discharge_m3s);
    }
    plot.title = "Synthetic rating curve: " + name;
    plot.curve_name = strf("Manning, n = %g", rating.manning_n);
    GisOutputs out(false);  // in the flood's folder, synced whole at its commit
    out.write_text(folder.at("rating.csv"), rating_csv(rating.curve));
    draw_rating(plot, out.reserve(folder.at("rating.svg")), folder.final_path("rating.svg"));
    out.commit();
}

void add_rating(CPLJSONObject& o, const RatingPoint& p) {
    o.Add("area_m2", rounded(p.area_m2, 3));
    o.Add("perimeter_m", rounded(p.perimeter_m, 3));
    o.Add("hydraulic_radius_m", rounded(p.radius_m, 4));
    o.Add("slope", rounded(p.slope, 6));
    o.Add("discharge_m3s", rounded(p.discharge_m3s, 3));
}

void refuse_flat_bed(const WindowedRun& w, double thickest) {
    const FloodFigures f = measure_flood(w.reach, at_layer(w.reach, thickest), w.run.results);
    const std::string flat = flat_bed_reason(f.channel(), f.profile_from_m, f.profile_to_m,
                                             w.reach.surface == SurfaceProfile::straight);
    if (!flat.empty()) fail("cannot map --discharges: " + flat);
}

std::vector<DischargeLevel> run_discharges(const FloodOptions& o, const Reach& r, const FloodFolder& folder,
                                           const LibraryRating& rating) {
    std::vector<DischargeLevel> done;
    for (const std::string& label : o.discharges) {
        DischargeFigures d;
        d.asked_m3s = read_number(label).value_or(0);  // a label of a checked discharge
        d.manning_n = o.manning;
        d.how = "rating curve";
        d.runs = 1;
        // In whole units of the run, as its water stands: the layer the flood is made with.
        const double layer = std::round(layer_of_discharge(rating.curve, d.asked_m3s) * r.coef) / r.coef;
        const FloodRun run = flood_run(r, at_layer(r, layer), o, folder.place("discharge_" + label),
                                       progress_of_flood(false), nullptr, nullptr, &d);
        done.push_back(DischargeLevel{label, run.figures});
    }
    return done;
}

CPLJSONArray discharges_json(const std::vector<DischargeLevel>& discharges) {
    CPLJSONArray list;
    for (const DischargeLevel& d : discharges) {
        const DischargeFigures& f = d.figures.discharge;
        CPLJSONObject o;
        o.Add("discharge_m3s", f.asked_m3s);
        o.Add("layer_m", rounded(f.reached.layer_m, 4));
        o.Add("reached_m3s", rounded(f.reached.discharge_m3s, 3));
        o.Add("folder", "discharge_" + d.label);
        list.Add(o);
    }
    return list;
}
