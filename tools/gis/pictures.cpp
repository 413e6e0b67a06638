// Pictures of a run: a PNG map (hillshade of the flooded DEM, the flood extent in translucent
// blue, the river mask darker, the river skeleton on top) and an SVG plot of the river profile.
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "gis_commands.h"
#include "gis_io.h"
#include "results.h"

namespace {

struct Rgb {
    double r, g, b;
};

constexpr Rgb kFlood{40, 120, 255};
constexpr Rgb kRiver{20, 50, 150};
constexpr Rgb kPath{255, 200, 0};
constexpr double kPi = 3.14159265358979323846;

Rgb blend(double grey, Rgb colour, double alpha) {
    return {grey * (1 - alpha) + colour.r * alpha, grey * (1 - alpha) + colour.g * alpha,
            grey * (1 - alpha) + colour.b * alpha};
}

// Light from the north-west, 45 degrees above the horizon; altitudes in metres.
double hillshade(const RunResults& r, int factor, int i, int j) {
    auto z = [&](int a, int b) {
        a = std::clamp(a, 0, r.lines - 1);
        b = std::clamp(b, 0, r.cols - 1);
        return static_cast<double>(r.dem[static_cast<std::size_t>(a) * r.cols + b]) / factor;
    };
    const double step = 2.0 * std::max(1, r.pixel);
    const double dzdx = (z(i, j + 1) - z(i, j - 1)) / step, dzdy = (z(i + 1, j) - z(i - 1, j)) / step;
    const double slope = std::atan(std::hypot(dzdx, dzdy)), aspect = std::atan2(dzdy, -dzdx);
    const double zenith = 45.0 * kPi / 180.0, azimuth = 135.0 * kPi / 180.0;
    const double shade = std::cos(zenith) * std::cos(slope) + std::sin(zenith) * std::sin(slope) * std::cos(azimuth - aspect);
    return 55.0 + 200.0 * std::clamp(shade, 0.0, 1.0);
}

// libpng reports its errors by a long jump back here, hence a function of its own.
bool write_png_rows(png_structp png, png_infop info, std::FILE* file, int width, int height, const png_byte* rgb) {
    if (setjmp(png_jmpbuf(png)) != 0) return false;
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int i = 0; i < height; ++i) png_write_row(png, rgb + static_cast<std::size_t>(i) * width * 3);
    png_write_end(png, nullptr);
    return true;
}

bool write_png(const std::string& out, int width, int height, const std::vector<png_byte>& rgb) {
    std::FILE* file = std::fopen(out.c_str(), "wb");
    if (file == nullptr) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    const bool ok = info != nullptr && write_png_rows(png, info, file, width, height, rgb.data());
    png_destroy_write_struct(&png, &info);
    return (std::fclose(file) == 0) && ok;
}

struct Profile {
    std::vector<double> position, linear, final;
};

Profile read_profile(const std::string& path, int factor) {
    std::istringstream in(read_text(path));
    Profile p;
    long long pos = 0, lin = 0, pos2 = 0, fin = 0;
    while (in >> pos >> lin >> pos2 >> fin) {
        p.position.push_back(static_cast<double>(pos));
        p.linear.push_back(static_cast<double>(lin) / factor);
        p.final.push_back(static_cast<double>(fin) / factor);
    }
    if (p.position.empty()) fail(path + " holds no profile line");
    return p;
}

}  // namespace

int render_png(const std::string& base, const std::string& out, const std::string& unit, bool overwrite) {
    check_new(out, overwrite);
    const int factor = unit_factor(unit);
    const RunResults r = load_results(base);
    const std::vector<std::uint8_t> river = read_raw_bytes(r.input("River mask"), r.cells());
    const std::vector<std::uint8_t> skeleton = read_raw_bytes(r.input("River skeleton"), r.cells());
    std::vector<png_byte> rgb(r.cells() * 3);
    for (int i = 0; i < r.lines; ++i) {
        for (int j = 0; j < r.cols; ++j) {
            const std::size_t k = static_cast<std::size_t>(i) * r.cols + j;
            const double grey = hillshade(r, factor, i, j);
            Rgb c{grey, grey, grey};
            if (skeleton[k] == 1) {
                c = kPath;
            } else if (river[k] == 1) {
                c = blend(grey, kRiver, 0.7);
            } else if (r.extent[k] == 1) {
                c = blend(grey, kFlood, 0.55);
            }
            rgb[k * 3] = static_cast<png_byte>(std::lround(c.r));
            rgb[k * 3 + 1] = static_cast<png_byte>(std::lround(c.g));
            rgb[k * 3 + 2] = static_cast<png_byte>(std::lround(c.b));
        }
    }
    if (!write_png(out, r.cols, r.lines, rgb)) fail("cannot write " + out);
    std::printf("%s: %d x %d pixels\n", out.c_str(), r.cols, r.lines);
    return 0;
}

int profile_svg(const std::string& base, const std::string& out, const std::string& unit, bool overwrite) {
    check_new(out, overwrite);
    const Profile p = read_profile(base + "_tarvex.xls", unit.empty() ? 1 : unit_factor(unit));
    const std::string y_unit = unit.empty() ? "DEM units" : "m";
    const double w = 800, h = 450, left = 90, right = 20, top = 40, bottom = 60;
    const double x0 = p.position.front(), x1 = std::max(p.position.back(), x0 + 1);
    double y0 = std::min(*std::min_element(p.linear.begin(), p.linear.end()), *std::min_element(p.final.begin(), p.final.end()));
    double y1 = std::max(*std::max_element(p.linear.begin(), p.linear.end()), *std::max_element(p.final.begin(), p.final.end()));
    if (y1 <= y0) y1 = y0 + 1;
    auto sx = [&](double x) { return left + (x - x0) / (x1 - x0) * (w - left - right); };
    auto sy = [&](double y) { return h - bottom - (y - y0) / (y1 - y0) * (h - top - bottom); };
    auto points = [&](const std::vector<double>& ys) {
        std::ostringstream s;
        for (std::size_t k = 0; k < ys.size(); ++k) s << (k ? " " : "") << sx(p.position[k]) << "," << sy(ys[k]);
        return s.str();
    };
    std::ofstream svg(out, std::ios::trunc);
    svg << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << w << "\" height=\"" << h << "\" font-family=\"sans-serif\" font-size=\"12\">\n"
        << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n"
        << "<text x=\"" << w / 2 << "\" y=\"22\" text-anchor=\"middle\" font-size=\"15\">River profile</text>\n"
        << "<line x1=\"" << left << "\" y1=\"" << h - bottom << "\" x2=\"" << w - right << "\" y2=\"" << h - bottom << "\" stroke=\"black\"/>\n"
        << "<line x1=\"" << left << "\" y1=\"" << top << "\" x2=\"" << left << "\" y2=\"" << h - bottom << "\" stroke=\"black\"/>\n"
        << "<text x=\"" << sx(x0) << "\" y=\"" << h - bottom + 16 << "\" text-anchor=\"middle\">" << x0 << "</text>\n"
        << "<text x=\"" << sx(x1) << "\" y=\"" << h - bottom + 16 << "\" text-anchor=\"middle\">" << x1 << "</text>\n"
        << "<text x=\"" << (left + w - right) / 2 << "\" y=\"" << h - 18 << "\" text-anchor=\"middle\">path position (pixels from the upper point)</text>\n"
        << "<text x=\"" << left - 6 << "\" y=\"" << sy(y0) << "\" text-anchor=\"end\">" << y0 << "</text>\n"
        << "<text x=\"" << left - 6 << "\" y=\"" << sy(y1) + 4 << "\" text-anchor=\"end\">" << y1 << "</text>\n"
        << "<text transform=\"translate(20," << (top + h - bottom) / 2 << ") rotate(-90)\" text-anchor=\"middle\">altitude (" << y_unit << ")</text>\n"
        << "<polyline class=\"linear\" fill=\"none\" stroke=\"#888\" stroke-dasharray=\"6,4\" points=\"" << points(p.linear) << "\"/>\n"
        << "<polyline class=\"final\" fill=\"none\" stroke=\"#1f5fd0\" stroke-width=\"2\" points=\"" << points(p.final) << "\"/>\n"
        << "<text x=\"" << w - right - 8 << "\" y=\"" << top + 4 << "\" text-anchor=\"end\" fill=\"#1f5fd0\">final water surface</text>\n"
        << "<text x=\"" << w - right - 8 << "\" y=\"" << top + 20 << "\" text-anchor=\"end\" fill=\"#888\">linear profile</text>\n"
        << "</svg>\n";
    if (!svg) fail("cannot write " + out);
    std::printf("%s: %zu profile points\n", out.c_str(), p.position.size());
    return 0;
}
