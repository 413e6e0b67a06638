#include "flood_library.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <exception>
#include <mutex>
#include <thread>

#include "flood.h"
#include "geotiff.h"
#include "maps.h"
#include "outputs.h"
#include "resources.h"
#include "run_memory.h"
#include "text.h"

namespace {

constexpr float kNever = -9999.0f;

// How many runs go at once: `--jobs`, else the cores, as far as the memory each run needs
// beyond the inputs they share (its grids, its copy of the inputs and its results) allows.
int jobs_for(const FloodOptions& o, const Reach& r, std::size_t levels) {
    const std::uint64_t cells = r.dem.cells();
    const std::uint64_t per_run = run_memory_need(r.grid.lines, r.grid.cols) + saturated_product(cells, 6 + 5);
    const std::uint64_t by_memory = std::max<std::uint64_t>(1, available_memory() / std::max<std::uint64_t>(per_run, 1));
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const std::uint64_t jobs = o.jobs > 0 ? static_cast<std::uint64_t>(o.jobs) : std::min<std::uint64_t>(cores, by_memory);
    return static_cast<int>(std::min<std::uint64_t>(jobs, levels));
}

// For each cell, the smallest thickness of the library at which it is water.
class Stage {
public:
    explicit Stage(std::size_t cells) : cells_(cells, std::nanf("")) {}
    void add(const ByteGrid& water, float layer) {
        std::lock_guard<std::mutex> held(mutex_);
        const unsigned char* w = water.data();
        for (std::size_t k = 0; k < cells_.size(); ++k) {
            if (w[k] == 1 && !(cells_[k] <= layer)) cells_[k] = layer;
        }
    }
    float at(std::size_t k) const { return cells_[k]; }

private:
    std::mutex mutex_;
    std::vector<float> cells_;
};

struct Level {
    std::string label;
    FloodFigures figures;
};

// On a terminal: levels done, running, left, and the time to go at the pace so far.
void show_progress(int done, int running, int left, double seconds) {
    if (isatty(STDERR_FILENO) == 0) return;
    const double to_go = done > 0 ? seconds / done * (running + left) : 0;
    std::fprintf(stderr, "\r  levels: %d done, %d running, %d left, about %.0f s to go   ", done, running, left, to_go);
}

// Runs every level, `jobs` at a time; the first failure stops the levels not begun.
void run_levels(const FloodOptions& o, const Reach& r, const FloodFolder& folder, int jobs, std::vector<Level>& levels,
                Stage& stage) {
    std::atomic<std::size_t> next{0};
    std::atomic<int> done{0}, running{0};
    std::mutex failure_mutex;
    std::exception_ptr failure;
    const auto start = std::chrono::steady_clock::now();
    auto worker = [&] {
        for (std::size_t k = next++; k < levels.size() && !failure; k = next++) {
            ++running;
            try {
                Parameters p = r.parameters;
                p.water_layer = 0;
                p.dthick_deb = p.dthick_end = std::strtod(levels[k].label.c_str(), nullptr);
                const FloodRun one = flood_run(r, p, o, folder.place("layer_" + levels[k].label), ProgressFn());
                stage.add(one.results.tab_mask, static_cast<float>(p.dthick_deb));
                levels[k].figures = one.figures;
            } catch (...) {
                std::lock_guard<std::mutex> held(failure_mutex);
                if (!failure) failure = std::current_exception();
            }
            --running;
            ++done;
            const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
            show_progress(done, running, static_cast<int>(levels.size()) - done - running, elapsed.count());
        }
    };
    std::vector<std::thread> threads;
    for (int k = 0; k < jobs; ++k) threads.emplace_back(worker);
    for (std::thread& t : threads) t.join();
    if (isatty(STDERR_FILENO) != 0) std::fprintf(stderr, "\n");
    if (failure) std::rethrow_exception(failure);
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
    draw_flood_map(m, out.reserve(folder.at("library.png")), folder.final_path("library.png"));
    out.commit();
}

std::string library_json(const Reach& r, const std::vector<Level>& levels, int jobs) {
    std::string json = strf("{\n  \"pixel_size_m\": %.6g,\n  \"jobs\": %d,\n  \"levels\": [\n", r.pixel.metres, jobs);
    for (std::size_t k = 0; k < levels.size(); ++k) {
        const FloodFigures& f = levels[k].figures;
        std::string warnings;
        for (const std::string& w : f.warnings) warnings += (warnings.empty() ? "" : ", ") + json_text(w);
        json += strf("    {\"layer_m\": %s, \"folder\": \"layer_%s\", \"flooded_cells\": %lld, \"flooded_area_m2\": %.2f, "
                     "\"volume_m3\": %.3f, \"max_depth_m\": %.3f, \"warnings\": [",
                     levels[k].label.c_str(), levels[k].label.c_str(), f.flooded_cells, f.flooded_area_m2, f.volume_m3,
                     f.max_depth_m) +
                warnings + (k + 1 < levels.size() ? "]},\n" : "]}\n");
    }
    return json + "  ]\n}\n";
}

}  // namespace

int flood_library(const FloodOptions& o) {
    FloodFolder folder(o.out, o.overwrite, {o.dem, o.river, o.mask});
    const Reach r = derive_reach(o);
    std::vector<Level> levels;
    for (const std::string& label : o.levels) levels.push_back(Level{label, FloodFigures{}});
    const int jobs = jobs_for(o, r, levels.size());
    Stage stage(r.dem.cells());
    run_levels(o, r, folder, jobs, levels, stage);
    write_stage(folder, r, stage);
    GisOutputs out(false);  // in the flood's folder, synced whole at its commit
    out.write_text(folder.at("library.json"), library_json(r, levels, jobs));
    out.commit();
    folder.commit();
    std::printf("tarvex-gis flood: a library of %zu levels in %s (%d at once)\n", levels.size(), o.out.c_str(), jobs);
    for (const Level& l : levels) {
        std::printf("  layer %-8s %10.0f m2 flooded, %12.0f m3, greatest depth %6.2f m, %zu warning(s)\n", l.label.c_str(),
                    l.figures.flooded_area_m2, l.figures.volume_m3, l.figures.max_depth_m, l.figures.warnings.size());
    }
    return 0;
}
