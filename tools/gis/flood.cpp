#include "flood.h"

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <utility>

#include "flood_checks.h"
#include "flood_files.h"
#include "flood_library.h"
#include "flood_setup.h"
#include "gis_io.h"
#include "maps.h"
#include "outputs.h"
#include "text.h"

namespace {

// The engine's console trace, kept for run/console.txt.
struct KeptTrace : Trace {
    std::string text;
    void say_text(const std::string& t) override { text += t; }
    void wait_key() override {}
};

}  // namespace

ProgressFn progress_of_flood(bool shown) {
    return [shown](const Progress& p) {
        if (gis_temporaries().stopping()) fail("interrupted");
        if (!shown) return;
        std::fprintf(stderr, "\r  %s: pass %lld, %lld cells changed, %.1f s      ", p.phase, p.pass, p.changed, p.seconds);
    };
}

namespace {

MapSource map_of(const Reach& r, const Results& results, const FloodOptions& o) {
    MapSource m = reach_map(r, [&r, &results](int i, int j) { return depth_at(r, results, i, j); });
    m.title = "Flood depth: " + std::filesystem::path(o.dem).stem().string();
    m.full_extent = o.extent == "full";
    return m;
}

ProfileSource profile_of(const Reach& r, const Results& results) {
    ProfileSource p;
    double distance = 0;
    for (std::size_t k = 1; k < results.k_coord2.size(); ++k) {
        const Cell c = r.path[k - 1];
        if (k > 1) {
            const Cell b = r.path[k - 2];
            distance += ((b.i != c.i && b.j != c.j) ? std::sqrt(2.0) : 1.0) * r.pixel.metres;
        }
        p.distance_m.push_back(distance);
        p.ground_m.push_back(r.ground_m(c));
        p.linear_m.push_back(static_cast<double>(results.k_coord[k]) / r.coef);
        p.surface_m.push_back(static_cast<double>(results.k_coord2[k]) / r.coef);
    }
    p.summit = r.summit;
    p.title = "River profile of the reach";
    return p;
}

const char* const kFiles[] = {"depth.tif", "extent.tif", "extent.gpkg", "map.png", "profile.svg", "stats.json",
                              "summary.txt", "run/answers.txt", "run/console.txt", "run/images/"};

}  // namespace

MapSource reach_map(const Reach& r, std::function<float(int, int)> value) {
    MapSource m;
    m.lines = r.grid.lines;
    m.cols = r.grid.cols;
    m.pixel_m = r.pixel.metres;
    m.read_line = [&r, value](int i, float* ground, float* shown) {
        for (int j = 0; j < r.grid.cols; ++j) {
            const bool none = r.dem[i][j] == std::numeric_limits<std::int32_t>::max();  // no data: high ground
            ground[j] = none ? std::nanf("") : static_cast<float>(r.ground_m(Cell{i, j}));
            shown[j] = value(i, j);
        }
    };
    for (const Cell c : r.path) m.path.emplace_back(c.i, c.j);
    m.from = {r.from.cell.i, r.from.cell.j};
    m.to = {r.to.cell.i, r.to.cell.j};
    return m;
}

FloodRun flood_run(const Reach& r, const Parameters& p, const FloodOptions& o, const FloodPlace& place,
                   const ProgressFn& progress, RunReuse* reuse) {
    KeptTrace trace;
    FloodRun done;
    done.results = step("run the engine", [&] {
        return run(reach_scenario(r, p, place, reuse != nullptr ? std::move(reuse->spare) : Inputs()), progress, trace);
    });
    const Results& results = done.results;
    step("write the run's files", [&] { write_run(place, r, p, results, trace.text, reuse != nullptr ? reuse->inputs : nullptr); });
    step("write the flood's rasters", [&] { write_flood_rasters(place, r, results); });
    done.figures = step("measure the flood", [&] { return measure_flood(r, results); });
    std::vector<std::string> files;
    for (const char* name : kFiles) files.push_back(place.final_path(name));
    done.summary = summary_text(r, done.figures, files);
    step("draw the map and the profile", [&] {
        GisOutputs out(false);  // in the flood's folder, synced whole at its commit
        draw_flood_map(map_of(r, results, o), out.reserve(place.at("map.png")), place.final_path("map.png"));
        out.write_text(place.at("profile.svg"), profile_svg_text(profile_of(r, results)));
        out.write_text(place.at("stats.json"), stats_json(r, done.figures));
        out.write_text(place.at("summary.txt"), done.summary);
        out.commit();
    });
    write_record(place.work);
    return done;
}

int flood_command(const std::map<std::string, std::string>& options) {
    const FloodOptions o = flood_options(options);
    if (o.layers) return flood_library(o);
    const Temporaries::Work work(gis_temporaries());
    FloodFolder folder(o.out, o.overwrite, {o.dem, o.river, o.mask});
    FloodRun done;
    try {
        const Reach r = step("read the reach", [&] { return derive_reach(o); });
        done = flood_run(r, r.parameters, o, folder.place(""), progress_of_flood(isatty(STDERR_FILENO) != 0));
        if (isatty(STDERR_FILENO) != 0) std::fprintf(stderr, "\n");
        folder.commit();
    } catch (const Stop& stop) {
        throw Stop(folder.named(stop.what()));
    }
    std::printf("tarvex-gis flood: %s\n%s", o.out.c_str(), done.summary.c_str());
    return 0;
}
