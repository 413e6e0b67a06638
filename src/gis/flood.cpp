#include "flood.h"

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <utility>

#include "neighbours.h"
#include "discharge_run.h"
#include "flood_checks.h"
#include "flood_files.h"
#include "flood_library.h"
#include "flood_options.h"
#include "flood_setup.h"
#include "gis_io.h"
#include "maps.h"
#include "reach_ends.h"
#include "reach_window.h"
#include "outputs.h"
#include "resources.h"
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
        if (!shown || p.pass == 0) return true;
        std::fprintf(stderr, "\r  %s: pass %lld, %lld cells changed, %.1f s      ", p.phase, p.pass, p.changed, p.seconds);
        return true;
    };
}

namespace {

// The layer's thickness for a title: "2 m", or "1.5 to 2.5 m" where it changes along the reach.
std::string layer_text(const FloodFigures& f) {
    if (f.layer_from_m == f.layer_to_m) return strf("%g m", f.layer_from_m);
    return strf("%g to %g m", f.layer_from_m, f.layer_to_m);
}

MapSource map_of(const Reach& r, const Results& results, const FloodOptions& o, const FloodPlace& place,
                 const FloodFigures& f) {
    MapSource m = reach_map(r, [&r, &results](int i, int j) { return depth_at(r, results, i, j); });
    m.title = "Flood depth: " + place.final_root + ", layer " + layer_text(f);
    m.notes = f.warnings;
    m.full_extent = o.extent == "full";
    return m;
}

ProfileSource profile_of(const Reach& r, const Results& results) {
    ProfileSource p;
    double distance = 0;
    for (std::size_t k = 0; k < results.surface_profile.size(); ++k) {
        const Cell c = r.path[k];
        if (k > 0) {
            const Cell b = r.path[k - 1];
            distance += step_pixels(c.i - b.i, c.j - b.j) * r.pixel.metres;
        }
        p.distance_m.push_back(distance);
        p.ground_m.push_back(r.ground_m(c));
        p.linear_m.push_back(static_cast<double>(results.linear_profile[k]) / r.coef);
        p.surface_m.push_back(static_cast<double>(results.surface_profile[k]) / r.coef);
    }
    p.summit = r.summit;
    p.title = "River profile of the reach";
    p.linear_name = r.surface == SurfaceProfile::bed ? "river bed (carved)" : "linear profile";
    return p;
}

// profile.csv: a row per path position, upstream first: its distance along the path, the map
// coordinates of its cell's centre, the ground (empty where the DEM has no data), the profile
// under the water (the carved bed, or the straight line) and the water surface, in metres.
std::string profile_csv(const Reach& r, const ProfileSource& p) {
    std::string csv = "distance_m,x,y,ground_m,bed_m,surface_m\n";
    for (std::size_t k = 0; k < p.distance_m.size(); ++k) {
        double x = 0, y = 0;
        map_point(r.grid, r.path[k], x, y);
        const std::string ground = std::isnan(p.ground_m[k]) ? "" : strf("%.3f", p.ground_m[k]);
        csv += strf("%.2f,%.3f,%.3f,%s,%.3f,%.3f\n", p.distance_m[k], x, y, ground.c_str(), p.linear_m[k],
                    p.surface_m[k]);
    }
    return csv;
}

// The files of a flood folder; the run's, as the console program replays it or as its scenario.
std::vector<std::string> flood_files(const Reach& r) {
    std::vector<std::string> files = {"depth.tif", "extent.tif", "extent.gpkg", "map.png", "profile.svg",
                                      "profile.csv", "stats.json", "summary.txt"};
    if (r.replayable()) {
        files.insert(files.end(), {"run/answers.txt", "run/console.txt", "run/images/"});
    } else {
        files.insert(files.end(), {"run/scenario.json", "run/console.txt"});
    }
    return files;
}

}  // namespace

MapSource reach_map(const Reach& r, std::function<float(int, int)> value) {
    MapSource m;
    m.lines = r.grid.lines;
    m.cols = r.grid.cols;
    m.pixel_m = r.pixel.metres;
    m.read_line = [&r, value](int i, float* ground, float* shown) {
        for (int j = 0; j < r.grid.cols; ++j) {
            const bool none = r.dem[i][j] == Reach::kNoGround;
            ground[j] = none ? std::nanf("") : static_cast<float>(r.ground_m(Cell{i, j}));
            shown[j] = value(i, j);
        }
    };
    for (const Cell c : r.path) m.path.emplace_back(c.i, c.j);
    if (r.cut) {
        for (const Cell c : cut_line(r)) m.cut.emplace_back(c.i, c.j);
    }
    m.from = {r.from.cell.i, r.from.cell.j};
    m.to = {r.to.cell.i, r.to.cell.j};
    return m;
}

RunSettings at_layer(const Reach& r, double metres) {
    RunSettings p = r.parameters;
    p.layer = LayerOptions{true, metres, metres};
    return p;
}

EngineRun engine_run(const Reach& r, const RunSettings& p, const FloodPlace& place, const ProgressFn& progress,
                     RunReuse* reuse) {
    KeptTrace trace;
    EngineRun ran;
    ran.results = step("run the engine", [&] {
        return run(reach_scenario(r, p, place, reuse != nullptr ? std::move(reuse->spare) : Inputs()), progress, trace);
    });
    ran.trace = std::move(trace.text);
    return ran;
}

FloodRun flood_run(const Reach& r, const RunSettings& p, const FloodOptions& o, const FloodPlace& place,
                   const ProgressFn& progress, RunReuse* reuse, EngineRun* ran, const DischargeFigures* discharge) {
    EngineRun own = ran != nullptr ? std::move(*ran) : engine_run(r, p, place, progress, reuse);
    if (flood_leaves_window(r, own.results)) {
        fail(strf("the flood at a layer of %g m reaches the side of the window read around the reach (%s): give a "
                  "larger --margin",
                  p.layer.upper_m, window_text(r).c_str()));
    }
    // Before any file is written: the folder's rasters at their largest (depth.tif and
    // extent.tif as if they did not compress, and the console run's five rasters), a byte a cell
    // beyond for the polygons and the pictures.
    const std::uint64_t bytes_a_cell = 4 + 1 + (r.replayable() ? 11 : 0) + 1;
    const std::uint64_t needed = saturated_product(r.dem.cells(), bytes_a_cell), free = free_disk_space(place.work);
    if (needed > free) {
        fail("not enough disk space for the flood of the " + std::to_string(r.grid.lines) + " x " +
             std::to_string(r.grid.cols) + " cells in " + place.final_root + ": it may need " + size_text(needed) +
             " and " + size_text(free) + " is free");
    }
    FloodRun done;
    done.results = std::move(own.results);
    const Results& results = done.results;
    step("write the run's files", [&] { write_run(place, r, p, results, own.trace, reuse != nullptr ? reuse->inputs : nullptr); });
    step("write the flood's rasters", [&] { write_flood_rasters(place, r, results); });
    done.figures = step("measure the flood", [&] { return measure_flood(r, p, results); });
    if (discharge != nullptr) {
        done.figures.for_discharge = true;
        done.figures.discharge = *discharge;
        done.figures.discharge.reached = done.figures.rating(discharge->manning_n);
        warn_of_discharge(done.figures);
    }
    std::vector<std::string> files;
    for (const std::string& name : flood_files(r)) files.push_back(place.final_path(name));
    done.summary = summary_text(r, done.figures, files);
    step("draw the map and the profile", [&] {
        GisOutputs out(false);  // in the flood's folder, synced whole at its commit
        draw_flood_map(map_of(r, results, o, place, done.figures), out.reserve(place.at("map.png")),
                       place.final_path("map.png"));
        const ProfileSource profile = profile_of(r, results);
        draw_profile(profile, out.reserve(place.at("profile.svg")), place.final_path("profile.svg"));
        out.write_text(place.at("profile.csv"), profile_csv(r, profile));
        out.write_text(place.at("stats.json"), stats_json(r, done.figures));
        out.write_text(place.at("summary.txt"), done.summary);
        out.commit();
    });
    write_record(place.work);
    return done;
}

WindowedRun run_in_window(const FloodOptions& o, const std::function<RunSettings(const Reach&)>& settings,
                          const FloodPlace& place, const ProgressFn& progress) {
    PixelSize pixel;
    const DemGrid whole = whole_dem_grid(o, pixel);
    const Piece box = o.extent == "full" ? whole.window : reach_box(o, whole);
    int runs = 0;
    for (double margin = o.margin_m;; margin *= 2) {
        const Piece window = o.extent == "full" ? whole.window : window_around(box, margin, pixel.metres, whole);
        WindowedRun w{step("read the reach", [&] { return derive_reach(o, window); }), EngineRun{}};
        w.reach.margin_m = o.extent == "full" ? 0 : margin;
        if (w.reach.path.empty()) continue;  // the centreline leaves the window between the ends
        w.reach.runs = ++runs;
        w.run = engine_run(w.reach, settings(w.reach), place, progress, nullptr);
        if (!flood_leaves_window(w.reach, w.run.results)) return w;
        note(strf("the flood reaches a side of the window at a margin of %g m: running again with %g m", margin,
                  margin * 2));
    }
}

namespace {

FloodRun single_flood(const FloodOptions& o, const FloodPlace& place, const ProgressFn& progress) {
    WindowedRun w = run_in_window(o, [](const Reach& r) { return r.parameters; }, place, progress);
    return flood_run(w.reach, w.reach.parameters, o, place, progress, nullptr, &w.run);
}

}  // namespace

int flood_command(const OptionValues& options) {
    const FloodOptions o = flood_options(options);
    if (o.layers) return flood_library(o);
    const Temporaries::Work work(gis_temporaries());
    FloodFolder folder(o.out, o.overwrite, {o.dem, o.river, o.mask});
    FloodRun done;
    try {
        const ProgressFn progress = progress_of_flood(isatty(STDERR_FILENO) != 0);
        done = o.discharge ? flood_for_discharge(o, folder.place(""), progress) : single_flood(o, folder.place(""), progress);
        if (isatty(STDERR_FILENO) != 0) std::fprintf(stderr, "\n");
        folder.commit();
    } catch (const Stop& stop) {
        throw Stop(folder.named(stop.what()));
    }
    std::printf("tarvex-gis flood: %s\n%s", o.out.c_str(), done.summary.c_str());
    return 0;
}
