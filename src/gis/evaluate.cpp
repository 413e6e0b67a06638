#include "evaluate.h"

#include <cstdio>
#include <filesystem>
#include <optional>

#include "batch_index.h"
#include "evaluation_files.h"
#include "gis_io.h"
#include "json_files.h"
#include "output_folder.h"
#include "outputs.h"
#include "stop.h"
#include "numbers.h"
#include "text.h"

namespace fs = std::filesystem;

namespace {

struct Settings {
    EvaluationInputs in;
    std::string dem, out;
};

// Whether `folder` holds a library (true) or a single flood (false); fails when it is neither.
bool is_library(const std::string& folder) {
    check_input(folder, true);
    if (!fs::is_directory(folder)) fail(folder + " is not a folder: give --flood the folder of tarvex-gis flood");
    if (path_exists(folder + "/library.json")) return true;
    if (path_exists(folder + "/stats.json") && path_exists(folder + "/extent.tif")) return false;
    fail(folder + " is not the folder of a flood or of a library of tarvex-gis flood: it holds neither stats.json and "
                  "extent.tif nor library.json");
}

// An --out in the flood's folder would write among the files the evaluation reads.
void check_out_apart(const std::string& out, const std::string& flood) {
    std::error_code ec;
    const fs::path o = fs::weakly_canonical(fs::absolute(out, ec), ec);
    const fs::path f = fs::weakly_canonical(fs::absolute(flood, ec), ec);
    const fs::path inside = o.lexically_relative(f);
    if (!inside.empty() && *inside.begin() != "..") {
        fail("the output folder " + out + " lies in the folder " + flood + " it evaluates: choose an --out outside it");
    }
}

// An evaluation replaces only an earlier evaluation: a flood or a library in OUT took far
// longer to make than an evaluation, and a slip of the keyboard must not cost it.
void check_replaces_an_evaluation(const std::string& out) {
    const std::string record = out + "/" + kFolderRecord;
    if (!path_exists(record)) return;  // nothing there, or not ours: FloodFolder says what may be replaced
    const std::string made_by = read_json(record).GetString("made_by");
    if (made_by != "tarvex-gis evaluate") {
        fail(out + " is an output of " + made_by + ", not of tarvex-gis evaluate: it is not replaced; choose another "
                   "--out, or move it away yourself");
    }
}

std::string domain_text(const Settings& s, const FloodGround& g, const Benchmark& b) {
    return strf("  %-11s %lld cells, %.0f m2: where %s has data in the flood's window", "domain",
                static_cast<long long>(b.domain_cells), static_cast<double>(b.domain_cells) * g.pixel_m * g.pixel_m,
                g.dem.c_str()) +
           (s.in.domain.empty() ? "" : ", within " + s.in.domain) + "\n";
}

std::string counts_text(const Contingency& c) {
    return strf("TP %lld, FP %lld, FN %lld, TN %lld", static_cast<long long>(c[kTruePositive]),
                static_cast<long long>(c[kFalsePositive]), static_cast<long long>(c[kFalseNegative]),
                static_cast<long long>(c[kTrueNegative]));
}

void evaluate_flood(const Settings& s, FloodFolder& folder) {
    const FloodGround g = read_flood_ground(s.in.flood, s.dem);
    const Benchmark b = read_benchmark(g, s.in.benchmark, s.in.domain);
    const Scored scored = score(read_flood_water(s.in.flood, g.grid), b);
    write_evaluation(folder.place("", false), g, b, scored, s.in, "");
    folder.commit();
    std::printf("tarvex-gis evaluate: %s, the flood %s against %s\n%s", s.out.c_str(), s.in.flood.c_str(),
                s.in.benchmark.c_str(), domain_text(s, g, b).c_str());
    std::printf("  %-11s %s\n  %-11s %s\n", "cells", counts_text(scored.counts).c_str(), "scores",
                scores_text(scores_of(scored.counts)).c_str());
}

// The best level so far: the highest CSI, the thinnest layer among equals.
struct Best {
    std::optional<double> csi;
    double layer_m = 0;
    std::string folder;
    void offer(const Score& csi_of_level, double layer, const std::string& level_folder) {
        if (!csi_of_level.value) return;
        const double v = *csi_of_level.value;
        if (csi && (v < *csi || (v == *csi && layer >= layer_m))) return;
        csi = v;
        layer_m = layer;
        folder = level_folder;
    }
};

CPLJSONObject best_json(const Best& best) {
    CPLJSONObject o;
    if (!best.csi) return o;
    o.Add("layer_m", best.layer_m);
    o.Add("folder", best.folder);
    o.Add("csi", rounded(*best.csi, 6));
    return o;
}

void evaluate_library(const Settings& s, FloodFolder& folder) {
    const std::vector<IndexLevel> levels = read_library_levels(s.in.flood + "/library.json");
    if (levels.empty()) fail(s.in.flood + "/library.json lists no levels");
    const FloodGround g = read_flood_ground(s.in.flood + "/" + levels.front().folder, s.dem);
    const Benchmark b = read_benchmark(g, s.in.benchmark, s.in.domain);
    CPLJSONArray list;
    Best best;
    std::string lines;
    for (const IndexLevel& level : levels) {
        const std::string from = s.in.flood + "/" + level.folder, label = level.folder.substr(6);
        const double layer = read_number(label).value_or(0);  // a checked level's label
        const Scored scored = score(read_flood_water(from, g.grid), b);
        EvaluationInputs in = s.in;
        in.flood = from;
        CPLJSONObject entry = write_evaluation(folder.place(level.folder, false), g, b, scored, in, label);
        entry.Add("layer_m", layer);
        entry.Add("folder", level.folder);
        list.Add(entry);
        const Scores scores = scores_of(scored.counts);
        best.offer(scores.csi, layer, level.folder);
        lines += strf("  layer %-8s %s (%s)\n", label.c_str(), scores_text(scores).c_str(),
                      counts_text(scored.counts).c_str());
    }
    CPLJSONObject root;
    add_inputs_json(root, s.in, g, b);
    root.Add("levels", list);
    if (best.csi) {
        root.Add("best", best_json(best));
    } else {
        root.AddNull("best");
    }
    root.Add("best_is", "the level of the highest CSI, the thinnest among equals; null when no level has a CSI");
    GisOutputs out(false);  // in the evaluation's folder, synced whole at its commit
    out.write_text(folder.at("evaluation.json"), json_document(root));
    out.commit();
    folder.commit();
    std::printf("tarvex-gis evaluate: %s, the library %s (%zu levels) against %s\n%s%s", s.out.c_str(),
                s.in.flood.c_str(), levels.size(), s.in.benchmark.c_str(), domain_text(s, g, b).c_str(), lines.c_str());
    std::printf("  %-11s %s\n", "best", best.csi ? strf("layer %g m (%s), CSI %.3f", best.layer_m, best.folder.c_str(),
                                                        *best.csi).c_str()
                                                 : "none: no level has a CSI");
}

}  // namespace

int evaluate_command(const OptionValues& v) {
    Settings s{{v.text("--flood"), v.text("--benchmark"), v.text("--domain")}, v.text("--dem"), v.text("--out")};
    const bool library = is_library(s.in.flood);
    check_out_apart(s.out, s.in.flood);
    if (v.given("--overwrite")) check_replaces_an_evaluation(s.out);
    FloodFolder folder(s.out, v.given("--overwrite"), {s.in.flood, s.in.benchmark, s.in.domain, s.dem},
                       "tarvex-gis evaluate");
    try {
        if (library) {
            evaluate_library(s, folder);
        } else {
            evaluate_flood(s, folder);
        }
    } catch (const Stop& stop) {
        throw Stop(folder.named(stop.what()));
    }
    return 0;
}
