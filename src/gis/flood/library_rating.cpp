#include "library_rating.h"

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
