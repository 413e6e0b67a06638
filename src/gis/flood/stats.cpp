#include "stats.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "cell_depth.h"
#include "file_formats.h"
#include "gis_io.h"
#include "json_files.h"
#include "pieces.h"
#include "raw_files.h"
#include "results.h"

namespace {

struct Flood {
    long long cells = 0;
    double depth_sum = 0, deepest = 0;
};

}  // namespace

int flood_stats(const std::string& base, const std::string& dem, const std::string& unit, bool json) {
    const int factor = unit_factor(unit);
    const RunResults r = load_results(base);
    const std::size_t n = r.cells(), piece = std::min(kPieceCells, n);
    RawReader flooded_dem(r.file(kResultDemRaster), n, 4), extent(r.file(kResultMaskRaster), n, 1);
    RawReader ground_dem(dem, n, 4), river_mask(r.input(ReportInput::mask), n, 1);
    const double pixel = r.pixel_metres(dem), cell_area = pixel * pixel;
    std::vector<std::int32_t> level(piece), ground(piece);
    std::vector<std::uint8_t> wet(piece), river(piece);
    Flood f;
    for_each_piece(r.lines, r.cols, [&](const Piece& p) {
        flooded_dem.read(level.data(), p.cells());
        extent.read(wet.data(), p.cells());
        ground_dem.read(ground.data(), p.cells());
        river_mask.read(river.data(), p.cells());
        for (std::size_t k = 0; k < p.cells(); ++k) {
            const double depth = cell_depth(ground[k], level[k], wet[k] == 1, factor);
            if (river[k] == 1 || std::isnan(depth)) continue;
            ++f.cells;
            f.depth_sum += depth;
            f.deepest = std::max(f.deepest, depth);
        }
    });
    const double area = f.cells * cell_area, volume = f.depth_sum * cell_area;
    const double mean = f.cells > 0 ? f.depth_sum / f.cells : 0.0;
    if (json) {
        CPLJSONObject o;
        o.Add("flooded_cells", static_cast<GInt64>(f.cells));
        o.Add("flooded_area_m2", rounded(area, 2));
        o.Add("flood_volume_m3", rounded(volume, 3));
        o.Add("greatest_depth_m", rounded(f.deepest, 3));
        o.Add("mean_depth_m", rounded(mean, 3));
        std::printf("%s", json_document(o).c_str());
    } else {
        std::printf("flooded beyond the river mask  %lld cells, %.2f m2\n", f.cells, area);
        std::printf("flood volume                   %.3f m3\n", volume);
        std::printf("greatest depth                 %.3f m\n", f.deepest);
        std::printf("mean depth                     %.3f m\n", mean);
    }
    return 0;
}
