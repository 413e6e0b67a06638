#include "evaluation_files.h"

#include "agreement_map.h"
#include "geotiff.h"
#include "json_files.h"
#include "numbers.h"
#include "text.h"

namespace {

void write_agreement_tif(GisOutputs& out, const std::string& path, const FloodGround& g, const Scored& s) {
    const double outside = kOutsideDomain;
    GeoTiff tif(out, path, g.grid.lines, g.grid.cols, GDT_Byte, g.grid.georef, &outside);
    for_each_piece(g.grid.lines, g.grid.cols, [&](const Piece& p) {
        tif.write(p, s.classes.data() + static_cast<std::size_t>(p.line) * g.grid.cols + p.col);
    });
    tif.close();
}

std::string title_of(const EvaluationInputs& in, const std::string& layer) {
    return "Agreement of " + in.flood + (layer.empty() ? "" : " at a layer of " + layer + " m") + " with " + in.benchmark;
}

std::vector<std::string> notes_of(const Scored& s, double cell_m2) {
    const Contingency& c = s.counts;
    return {scores_text(scores_of(c)),
            strf("cells: %lld true positive, %lld false positive, %lld false negative, %lld true negative (%g m2 each)",
                 static_cast<long long>(c[kTruePositive]), static_cast<long long>(c[kFalsePositive]),
                 static_cast<long long>(c[kFalseNegative]), static_cast<long long>(c[kTrueNegative]), cell_m2)};
}

}  // namespace

void add_inputs_json(CPLJSONObject& o, const EvaluationInputs& in, const FloodGround& g, const Benchmark& b) {
    o.Add("flood", in.flood);
    o.Add("benchmark", in.benchmark);
    CPLJSONObject domain;
    domain.Add("cells_with_ground_of", g.dem);
    if (in.domain.empty()) {
        domain.AddNull("polygons");
    } else {
        domain.Add("polygons", in.domain);
    }
    domain.Add("cells", static_cast<GInt64>(b.domain_cells));
    domain.Add("area_m2", rounded(static_cast<double>(b.domain_cells) * g.pixel_m * g.pixel_m, 2));
    o.Add("domain", domain);
    CPLJSONObject window;
    window.Add("first_line", g.grid.window.line);
    window.Add("first_column", g.grid.window.col);
    window.Add("lines", g.grid.lines);
    window.Add("columns", g.grid.cols);
    o.Add("window", window);
    o.Add("pixel_size_m", g.pixel_m);
}

CPLJSONObject write_evaluation(const FloodPlace& place, const FloodGround& g, const Benchmark& b, const Scored& s,
                               const EvaluationInputs& in, const std::string& layer) {
    const double cell_m2 = g.pixel_m * g.pixel_m;
    CPLJSONObject figures;
    add_agreement_json(figures, s.counts, cell_m2);
    CPLJSONObject root;
    add_inputs_json(root, in, g, b);
    if (!layer.empty()) root.Add("layer_m", read_number(layer).value_or(0));
    for (const CPLJSONObject& member : figures.GetChildren()) root.Add(member.GetName(), member);
    GisOutputs out(false);  // in the evaluation's folder, synced whole at its commit
    write_agreement_tif(out, place.at("agreement.tif"), g, s);
    const AgreementMap map{&s.classes, &g.ground, g.pixel_m, title_of(in, layer), notes_of(s, cell_m2)};
    draw_agreement_map(map, out.reserve(place.at("agreement.png")), place.final_path("agreement.png"));
    out.write_text(place.at("evaluation.json"), json_document(root));
    out.commit();
    return figures;
}
