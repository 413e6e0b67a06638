#include "render.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <memory>
#include <vector>

#include "cell_depth.h"
#include "file_formats.h"
#include "gis_io.h"
#include "input_guard.h"
#include "maps.h"
#include "outputs.h"
#include "raw_files.h"
#include "results.h"
#include "run_path.h"

namespace {

constexpr int kLargestSide = 1000000;  // a line is read whole: at most one piece of cells

// The ground and the depth of the run line by line. A sweep that starts again from an earlier
// line opens the rasters again; lines skipped are read past.
class RunLines {
public:
    RunLines(const RunResults& r, int factor)
        : r_(r), factor_(factor), ground_(cells()), level_(cells()), wet_(cells()) {}

    void read(int i, float* ground, float* depth) {
        if (!open_ || i < next_) reopen();
        for (; next_ <= i; ++next_) {
            ground_in_->read(ground_.data(), ground_.size());
            level_in_->read(level_.data(), level_.size());
            wet_in_->read(wet_.data(), wet_.size());
        }
        for (std::size_t j = 0; j < ground_.size(); ++j) {
            const bool known = ground_[j] != kNoGround;
            ground[j] = known ? static_cast<float>(static_cast<double>(ground_[j]) / factor_) : NAN;
            depth[j] = static_cast<float>(cell_depth(ground_[j], level_[j], wet_[j] == 1, factor_));
        }
    }

private:
    std::size_t cells() const { return static_cast<std::size_t>(r_.cols); }
    void reopen() {
        ground_in_ = std::make_unique<RawReader>(r_.input(ReportInput::dem), r_.cells(), 4);
        level_in_ = std::make_unique<RawReader>(r_.file(kResultDemRaster), r_.cells(), 4);
        wet_in_ = std::make_unique<RawReader>(r_.file(kResultMaskRaster), r_.cells(), 1);
        open_ = true;
        next_ = 0;
    }

    const RunResults& r_;
    int factor_;
    bool open_ = false;
    int next_ = 0;
    std::unique_ptr<RawReader> ground_in_, level_in_, wet_in_;
    std::vector<std::int32_t> ground_, level_;
    std::vector<std::uint8_t> wet_;
};

}  // namespace

int render_map(const std::string& base, const std::string& out, const std::string& unit, bool overwrite,
               const std::string& extent) {
    const int factor = unit_factor(unit);
    if (extent != "flood" && extent != "full") fail("unknown extent '" + extent + "': use flood or full");
    InputGuard guard;
    guard_run(guard, base);
    guard.check({out});
    check_new(out, overwrite);
    const PictureFormat format = picture_format(out);
    const RunResults r = load_results(base);
    if (r.lines > kLargestSide || r.cols > kLargestSide) {
        fail("a picture of " + std::to_string(r.cols) + " x " + std::to_string(r.lines) +
             " pixels is too large: a PNG map is at most 1000000 pixels a side");
    }
    const std::string dem = r.input(ReportInput::dem);
    const RunPath path = trace_run_path(r);
    MapSource map;
    map.lines = r.lines;
    map.cols = r.cols;
    map.pixel_m = r.pixel_metres(dem);
    RunLines lines(r, factor);
    map.read_line = [&lines](int i, float* ground, float* depth) { lines.read(i, ground, depth); };
    map.path = path.cells;
    map.from = path.from;
    map.to = path.to;
    map.title = "Flood depth: " + std::filesystem::path(base).filename().string();
    map.full_extent = extent == "full";
    GisOutputs outputs;
    draw_flood_map(map, outputs.reserve(out), out, format);
    outputs.commit();
    std::printf("%s: a flood map of %d x %d cells\n", out.c_str(), r.cols, r.lines);
    return 0;
}
