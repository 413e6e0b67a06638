#include "render.h"

#include <png.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "file_formats.h"
#include "gis_io.h"
#include "input_guard.h"
#include "outputs.h"
#include "raw_files.h"
#include "results.h"

namespace {

struct Rgb {
    double r, g, b;
};

constexpr Rgb kFlood{40, 120, 255};
constexpr Rgb kRiver{20, 50, 150};
constexpr Rgb kPath{255, 200, 0};
constexpr double kPi = 3.14159265358979323846;
constexpr int kLargestSide = 1000000;  // what libpng writes and reads by default

Rgb blend(double grey, Rgb colour, double alpha) {
    return {grey * (1 - alpha) + colour.r * alpha, grey * (1 - alpha) + colour.g * alpha,
            grey * (1 - alpha) + colour.b * alpha};
}

// Three lines of the flooded DEM in metres around the line drawn, the grid's edges repeated.
struct Neighbourhood {
    std::vector<std::int32_t> above, here, below;
    int factor = 1;
    double pixel = 1;

    // Light from the north-west, 45 degrees above the horizon.
    double hillshade(int j) const {
        const int cols = static_cast<int>(here.size());
        const int west = std::max(j - 1, 0), east = std::min(j + 1, cols - 1);
        const double step = 2.0 * pixel * factor;
        const double dzdx = (static_cast<double>(here[east]) - here[west]) / step;
        const double dzdy = (static_cast<double>(below[j]) - above[j]) / step;
        const double slope = std::atan(std::hypot(dzdx, dzdy)), aspect = std::atan2(dzdy, -dzdx);
        const double zenith = 45.0 * kPi / 180.0, azimuth = 135.0 * kPi / 180.0;
        const double shade =
            std::cos(zenith) * std::cos(slope) + std::sin(zenith) * std::sin(slope) * std::cos(azimuth - aspect);
        return 55.0 + 200.0 * std::clamp(shade, 0.0, 1.0);
    }
};

// libpng reports its errors by a long jump back to the function that called it, hence one
// small function a call, with nothing to unwind in between.
[[noreturn]] void png_failed(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void png_warned(png_structp, png_const_charp) {}

bool png_start(png_structp png, png_infop info, std::FILE* file, int width, int height) {
    if (setjmp(png_jmpbuf(png)) != 0) return false;
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    return true;
}

bool png_row(png_structp png, png_bytep row) {
    if (setjmp(png_jmpbuf(png)) != 0) return false;
    png_write_row(png, row);
    return true;
}

bool png_end(png_structp png) {
    if (setjmp(png_jmpbuf(png)) != 0) return false;
    png_write_end(png, nullptr);
    return true;
}

// An RGB picture written line by line to a stream.
class PngWriter {
public:
    PngWriter(std::FILE* file, int width, int height, const std::string& path) : path_(path) {
        png_ = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, png_failed, png_warned);
        info_ = png_ != nullptr ? png_create_info_struct(png_) : nullptr;
        if (info_ == nullptr || !png_start(png_, info_, file, width, height)) failed();
    }
    ~PngWriter() { png_destroy_write_struct(&png_, &info_); }
    PngWriter(const PngWriter&) = delete;
    PngWriter& operator=(const PngWriter&) = delete;

    void row(std::vector<png_byte>& rgb) {
        if (!png_row(png_, rgb.data())) failed();
    }
    void end() {
        if (!png_end(png_)) failed();
    }

private:
    [[noreturn]] void failed() { fail("cannot write " + path_ + ": " + std::strerror(errno != 0 ? errno : EIO)); }

    std::string path_;
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
};

// The rasters of the run a line at a time.
struct RunLines {
    explicit RunLines(const RunResults& r)
        : dem(r.file(kResultDemRaster), r.cells(), 4),
          extent(r.file(kResultMaskRaster), r.cells(), 1),
          river(r.input(ReportInput::mask), r.cells(), 1),
          skeleton(r.input(ReportInput::skeleton), r.cells(), 1),
          wet(static_cast<std::size_t>(r.cols)),
          in_river(wet.size()),
          on_path(wet.size()) {}
    RawReader dem, extent, river, skeleton;
    std::vector<std::uint8_t> wet, in_river, on_path;
};

void colour_line(const Neighbourhood& n, const RunLines& l, std::vector<png_byte>& rgb) {
    for (std::size_t j = 0; j < l.wet.size(); ++j) {
        const double grey = n.hillshade(static_cast<int>(j));
        Rgb c{grey, grey, grey};
        if (l.on_path[j] == 1) {
            c = kPath;
        } else if (l.in_river[j] == 1) {
            c = blend(grey, kRiver, 0.7);
        } else if (l.wet[j] == 1) {
            c = blend(grey, kFlood, 0.55);
        }
        rgb[j * 3] = static_cast<png_byte>(std::lround(c.r));
        rgb[j * 3 + 1] = static_cast<png_byte>(std::lround(c.g));
        rgb[j * 3 + 2] = static_cast<png_byte>(std::lround(c.b));
    }
}

}  // namespace

int render_png(const std::string& base, const std::string& out, const std::string& unit, bool overwrite,
               const std::string& /*extent*/) {
    const int factor = unit_factor(unit);
    InputGuard guard;
    guard_run(guard, base);
    guard.check({out});
    check_new(out, overwrite);
    const RunResults r = load_results(base);
    if (r.lines > kLargestSide || r.cols > kLargestSide) {
        fail("a picture of " + std::to_string(r.cols) + " x " + std::to_string(r.lines) +
             " pixels is too large: a PNG map is at most 1000000 pixels a side");
    }
    Neighbourhood n;
    n.factor = factor;
    n.pixel = r.pixel_metres(r.input(ReportInput::dem));
    RunLines l(r);
    const std::size_t cols = l.wet.size();
    n.here.resize(cols);
    l.dem.read(n.here.data(), cols);
    n.above = n.here;
    n.below = n.here;
    std::vector<png_byte> rgb(cols * 3);
    GisOutputs outputs;
    std::FILE* file = outputs.create(out);
    PngWriter png(file, r.cols, r.lines, out);
    for (int i = 0; i < r.lines; ++i) {
        if (i + 1 < r.lines) l.dem.read(n.below.data(), cols);
        l.extent.read(l.wet.data(), cols);
        l.river.read(l.in_river.data(), cols);
        l.skeleton.read(l.on_path.data(), cols);
        colour_line(n, l, rgb);
        png.row(rgb);
        n.above.swap(n.here);
        n.here.swap(n.below);
        if (i + 2 >= r.lines) n.below = n.here;  // the last line has no line below
    }
    png.end();
    outputs.close(file, out);
    outputs.commit();
    std::printf("%s: %d x %d pixels\n", out.c_str(), r.cols, r.lines);
    return 0;
}
