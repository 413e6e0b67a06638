#include "flood_library.h"

#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "flood.h"
#include "gdal_raster.h"
#include "geotiff.h"
#include "json_files.h"
#include "gis_io.h"
#include "library_rating.h"
#include "library_stage.h"
#include "maps.h"
#include "numbers.h"
#include "outputs.h"
#include "resources.h"
#include "run_memory.h"
#include "text.h"

namespace {

constexpr float kNever = -9999.0f;

// How many runs go at once: `--jobs`, else the cores, as far as the memory left beside the
// shared inputs allows a run's grids and cell lists, and a byte a cell for what writing a
// level holds at once (its polygons, SQLite pages and picture lines).
int jobs_for(const FloodOptions& o, const Reach& r, std::size_t levels) {
    const std::uint64_t per_run = run_memory_need(r.grid.lines, r.grid.cols) + r.dem.cells();
    const std::uint64_t by_memory = std::max<std::uint64_t>(1, available_memory() / per_run);
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const std::uint64_t jobs = o.jobs > 0 ? static_cast<std::uint64_t>(o.jobs) : std::min<std::uint64_t>(cores, by_memory);
    return static_cast<int>(std::min<std::uint64_t>(jobs, levels));
}

// Gives back to the system the pages of the small blocks freed so far (by the reach's
// derivation, by the writing of a level), which glibc keeps in its arenas otherwise: before
// each run takes its memory, so that the library holds no more than its runs and its inputs.
// Under AddressSanitizer, which allocates in place of glibc, glibc's arenas are not in use:
// trimming them reads state the sanitizer never set up, and crashed a batch's rows at once.
void release_free_memory() {
#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__)
    malloc_trim(0);
#endif
}

struct Level {
    std::string label;  // the thickness as given, which names its folder
    double metres;
    FloodFigures figures;
};

// On a terminal: levels done, running, left, and the time to go at the pace so far.
void show_progress(int done, int running, int left, double seconds) {
    if (isatty(STDERR_FILENO) == 0) return;
    const double to_go = done > 0 ? seconds / done * (running + left) : 0;
    std::fprintf(stderr, "\r  levels: %d done, %d running, %d left, about %.0f s to go   ", done, running, left, to_go);
}

// Runs every level, `jobs` at a time, the thickest first (they take longest, so the last to
// run are short); the first failure stops the levels not begun. Each worker keeps the grids
// of its last level's results for its next level's inputs, and the levels share their run
// input files.
void run_levels(const FloodOptions& o, const Reach& r, const FloodFolder& folder, int jobs, std::vector<Level>& levels) {
    std::atomic<std::size_t> taken{0};
    std::atomic<int> done{0}, running{0};
    std::mutex failure_mutex;
    std::exception_ptr failure;
    std::atomic<bool> failed{false};  // read by the workers, where `failure` needs the mutex
    auto fail_with = [&](std::exception_ptr e) {
        std::lock_guard<std::mutex> held(failure_mutex);
        if (!failure) failure = e;
        failed = true;
    };
    SharedRunInputs inputs;
    const auto start = std::chrono::steady_clock::now();
    auto worker = [&] {
        RunReuse reuse;
        reuse.inputs = &inputs;
        for (std::size_t n = taken++; n < levels.size() && !failed; n = taken++) {
            const std::size_t k = levels.size() - 1 - n;
            release_free_memory();
            ++running;
            try {
                RunSettings p = r.parameters;
                p.layer = LayerOptions{true, levels[k].metres, levels[k].metres};
                FloodRun one = flood_run(r, p, o, folder.place("layer_" + levels[k].label), progress_of_flood(false), &reuse);
                levels[k].figures = one.figures;
                reuse.spare.mask = std::move(one.results.extent);
                reuse.spare.dem = std::move(one.results.flooded_dem);
            } catch (...) {
                fail_with(std::current_exception());
            }
            --running;
            ++done;
            const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
            show_progress(done, running, static_cast<int>(levels.size()) - done - running, elapsed.count());
        }
    };
    std::vector<std::thread> threads;
    try {
        for (int k = 0; k < jobs; ++k) threads.emplace_back(worker);
    } catch (const std::system_error& error) {
        // The workers started stop after their level; the failure is told once they have.
        fail_with(std::make_exception_ptr(Stop(std::string("cannot start a thread for the levels: ") + error.what())));
    }
    for (std::thread& t : threads) t.join();
    if (isatty(STDERR_FILENO) != 0) std::fprintf(stderr, "\n");
    if (failure) std::rethrow_exception(failure);
}

// The stage, from the levels' extent.tif, read back once every run is done: it then takes
// memory the runs have given back instead of adding to theirs while they run.
Stage stage_of(const FloodFolder& folder, const Reach& r, const std::vector<Level>& levels) {
    std::vector<float> layers;
    for (const Level& l : levels) layers.push_back(static_cast<float>(l.metres));
    Stage stage(r.dem.cells(), layers);
    std::vector<unsigned char> water;
    for (std::size_t k = 0; k < levels.size(); ++k) {
        const GdalRaster extent(folder.at("layer_" + levels[k].label + "/extent.tif"));
        for_each_piece(r.grid.lines, r.grid.cols, [&](const Piece& p) {
            water.resize(p.cells());
            extent.read(p, water.data());
            stage.add(water.data(), static_cast<std::size_t>(p.line) * r.grid.cols + p.col, p.cells(), k);
        });
    }
    return stage;
}

void write_stage(const FloodFolder& folder, const Reach& r, const Stage& stage) {
    GisOutputs out(false);  // in the flood's folder, synced whole at its commit
    const double never = kNever;
    GeoTiff tif(out, folder.at("stage.tif"), r.grid.lines, r.grid.cols, GDT_Float32, r.grid.georef, &never);
    std::vector<float> cells;
    for_each_piece(r.grid.lines, r.grid.cols, [&](const Piece& p) {
        cells.resize(p.cells());
        const std::size_t first = static_cast<std::size_t>(p.line) * r.grid.cols + p.col;
        for (std::size_t k = 0; k < p.cells(); ++k) {
            const float v = stage.at(first + k);
            cells[k] = std::isnan(v) ? kNever : v;
        }
        tif.write(p, cells.data());
    });
    tif.close();
    MapSource m = reach_map(r, [&r, &stage](int i, int j) {
        return stage.at(static_cast<std::size_t>(i) * r.grid.cols + j);
    });
    m.title = "Flood library: the layer at which each cell floods";
    m.legend = "layer (m)";
    for (const float layer : stage.layers()) m.classes.push_back(layer);
    draw_flood_map(m, out.reserve(folder.at("library.png")), folder.final_path("library.png"));
    out.commit();
}

std::string library_json(const Reach& r, const std::vector<Level>& levels, int jobs, const LibraryRating& rating,
                         const std::vector<DischargeLevel>& discharges) {
    CPLJSONArray list;
    for (std::size_t k = 0; k < levels.size(); ++k) {
        const Level& level = levels[k];
        const FloodFigures& f = level.figures;
        CPLJSONObject o;
        o.Add("layer_m", level.metres);
        o.Add("folder", "layer_" + level.label);
        o.Add("flooded_cells", static_cast<GInt64>(f.flooded_cells));
        o.Add("flooded_area_m2", rounded(f.flooded_area_m2, 2));
        o.Add("volume_m3", rounded(f.volume_m3, 3));
        o.Add("max_depth_m", rounded(f.max_depth_m, 3));
        if (!rating.curve.empty()) add_rating(o, rating.curve[k]);
        o.Add("warnings", json_strings(f.warnings));
        list.Add(o);
    }
    CPLJSONObject root;
    root.Add("pixel_size_m", r.pixel.metres);
    root.Add("jobs", jobs);
    root.Add("manning_n", rating.manning_n);
    if (!rating.curve.empty()) root.Add("rating_curve", "rating.csv");
    root.Add("levels", list);
    if (!discharges.empty()) root.Add("discharges", discharges_json(discharges));
    root.Add("warnings", json_strings(rating.warnings));
    return json_document(root);
}

}  // namespace

namespace {

// The library in `folder`: its levels, stage, picture and figures, the floods of the discharges
// asked; the number of levels run at once.
int build_library(const FloodOptions& o, FloodFolder& folder, std::vector<Level>& levels,
                  std::vector<DischargeLevel>& discharges) {
    // The window is the one the thickest level's flood stays inside: every other level's then
    // does too, which each level's run checks.
    const double thickest = std::max_element(levels.begin(), levels.end(), [](const Level& a, const Level& b) {
                                return a.metres < b.metres;
                            })->metres;
    WindowedRun w = run_in_window(o, [thickest](const Reach& reach) { return at_layer(reach, thickest); },
                                  FloodPlace{folder.at("window"), o.out + "/window"}, progress_of_flood(false));
    if (!o.discharges.empty()) refuse_flat_bed(w, thickest);
    const Reach r = std::move(w.reach);
    w = WindowedRun{};
    release_free_memory();
    const int jobs = jobs_for(o, r, levels.size());
    run_levels(o, r, folder, jobs, levels);
    step("gather and draw the library's stage", [&] { write_stage(folder, r, stage_of(folder, r, levels)); });
    std::vector<FloodFigures> figures;
    for (const Level& l : levels) figures.push_back(l.figures);
    const LibraryRating rating = library_rating(figures, o.manning, r.surface == SurfaceProfile::straight);
    for (const std::string& warning : rating.warnings) std::fprintf(stderr, "tarvex-gis: warning: %s\n", warning.c_str());
    write_rating(folder, rating, o.out);
    discharges = run_discharges(o, r, folder, rating);
    GisOutputs out(false);  // in the flood's folder, synced whole at its commit
    out.write_text(folder.at("library.json"), library_json(r, levels, jobs, rating, discharges));
    out.commit();
    folder.commit();
    return jobs;
}

}  // namespace

int flood_library(const FloodOptions& o) {
    // The levels' workers are part of this work: an interruption waits for them to stop.
    const Temporaries::Work work(gis_temporaries());
    FloodFolder folder(o.out, o.overwrite, {o.dem, o.river, o.mask});
    std::vector<Level> levels;
    for (const std::string& label : o.levels) {
        levels.push_back(Level{label, read_number(label).value_or(0), FloodFigures{}});  // a label of a checked level
    }
    std::vector<DischargeLevel> discharges;
    int jobs = 0;
    try {
        jobs = build_library(o, folder, levels, discharges);
    } catch (const Stop& stop) {
        throw Stop(folder.named(stop.what()));
    }
    std::printf("tarvex-gis flood: a library of %zu levels in %s (%d at once)\n", levels.size(), o.out.c_str(), jobs);
    for (const Level& l : levels) {
        std::printf("  layer %-8s %10.0f m2 flooded, %12.0f m3, greatest depth %6.2f m, %zu warning(s)\n", l.label.c_str(),
                    l.figures.flooded_area_m2, l.figures.volume_m3, l.figures.max_depth_m, l.figures.warnings.size());
    }
    for (const DischargeLevel& d : discharges) {
        const RatingPoint& p = d.figures.discharge.reached;
        std::printf("  discharge %s m3/s: a layer of %.4f m, which carries %.3f m3/s, in %s/discharge_%s\n",
                    d.label.c_str(), p.layer_m, p.discharge_m3s, o.out.c_str(), d.label.c_str());
    }
    return 0;
}
