// A flood computed through tarvex's engine API alone: a small valley made in memory, a run with
// a water layer, its figures printed, and its results written as the console program writes
// them when a result name is given.
//
//     engine_api_example [RESULT_NAME]
//
// Built with the project (target engine_api_example), linked to tarvex_engine only.
#include <cstdio>
#include <cstdlib>

#include "engine.h"
#include "result_files.h"

namespace {

constexpr int kLines = 120, kCols = 60, kRiver = 30;

// A valley falling from north to south, its walls rising 5 cm a column away from a river down
// column kRiver; the DEM in centimetres. The mask is the river and two columns on each side;
// the skeleton is the river's centre line.
Inputs valley() {
    Inputs in{ByteGrid(kLines, kCols), ByteGrid(kLines, kCols), IntGrid(kLines, kCols)};
    for (int i = 0; i < kLines; ++i) {
        for (int j = 0; j < kCols; ++j) {
            const int away = std::abs(j - kRiver);
            in.dem[i][j] = 10000 - 10 * i + 5 * away;  // 100 m at the top, a metre lower every 10 lines
            in.mask[i][j] = away <= 2 ? 1 : 0;
            in.skeleton[i][j] = away == 0 ? 1 : 0;
        }
    }
    return in;
}

}  // namespace

int main(int argc, char** argv) {
    Scenario s;
    s.names = InputNames{"valley_mask.raw", "valley_skeleton.raw", "valley_m4.raw"};
    s.inputs = valley();
    RunSettings& p = s.settings;
    p.unit = DemUnit::centimetres;
    p.upper = RiverEnd{GridPoint{0, kRiver}, 100.0};
    p.lower = RiverEnd{GridPoint{kLines - 1, kRiver}, 88.1};
    p.layer = LayerOptions{true, 0.5, 1.0};
    p.pixel_m = 2.5;
    p.rules = SpreadRules::sound;

    long long passes = 0;
    SilentTrace quiet;
    try {
        const Results r = run(std::move(s),
                              [&passes](const Progress& progress) {
                                  if (progress.pass > 0) ++passes;
                                  return true;  // false would cancel the run
                              },
                              quiet);
        long long wet = 0;
        for (std::size_t k = 0; k < r.extent.cells(); ++k) wet += r.extent.data()[k] == 1 ? 1 : 0;
        std::printf("river: %d positions, %.1f m long, tortuosity %.3f\n", r.measures.path_pixels,
                    r.measures.length_m, r.measures.tortuosity);
        std::printf("surface: %.2f m at the upper end, %.2f m at the lower end\n", r.surface_profile.front() / 100.0,
                    r.surface_profile.back() / 100.0);
        std::printf("flood: %lld cells wet after %lld passes; DEM from %d to %d cm\n", wet, passes, r.dem_range.min,
                    r.dem_range.max);
        if (argc > 1) {
            write_results(argv[1], r, 2, nullptr, true);  // descriptors give whole metres
            std::printf("results: %s_tarvex.raw and the four others\n", argv[1]);
        }
    } catch (const Stop& stop) {
        std::fprintf(stderr, "engine_api_example: %s\n", stop.what());
        return 1;
    }
    return 0;
}
