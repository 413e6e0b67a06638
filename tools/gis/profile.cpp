#include "profile.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <vector>

#include "file_formats.h"
#include "gis_io.h"
#include "input_guard.h"
#include "outputs.h"
#include "results.h"

namespace {

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

// The side of a pixel of the run in metres, 0 when the run report is not there to tell it.
double run_pixel(const std::string& base) {
    std::error_code ec;
    if (!std::filesystem::exists(base + kResultMaskDescriptor, ec)) return 0;
    const RunResults r = load_results(base);
    return r.pixel_metres(r.input(ReportInput::dem));
}

std::string plot(const Profile& p, const std::string& x_label, const std::string& y_unit) {
    const double w = 800, h = 450, left = 90, right = 20, top = 40, bottom = 60;
    const double x0 = p.position.front(), x1 = std::max(p.position.back(), x0 + 1);
    const auto [lin_lo, lin_hi] = std::minmax_element(p.linear.begin(), p.linear.end());
    const auto [fin_lo, fin_hi] = std::minmax_element(p.final.begin(), p.final.end());
    const double y0 = std::min(*lin_lo, *fin_lo);
    double y1 = std::max(*lin_hi, *fin_hi);
    if (y1 <= y0) y1 = y0 + 1;
    auto sx = [&](double x) { return left + (x - x0) / (x1 - x0) * (w - left - right); };
    auto sy = [&](double y) { return h - bottom - (y - y0) / (y1 - y0) * (h - top - bottom); };
    auto points = [&](const std::vector<double>& ys) {
        std::ostringstream s;
        for (std::size_t k = 0; k < ys.size(); ++k) s << (k ? " " : "") << sx(p.position[k]) << "," << sy(ys[k]);
        return s.str();
    };
    std::ostringstream svg;
    svg << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << w << "\" height=\"" << h << "\" font-family=\"sans-serif\" font-size=\"12\">\n"
        << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n"
        << "<text x=\"" << w / 2 << "\" y=\"22\" text-anchor=\"middle\" font-size=\"15\">River profile</text>\n"
        << "<line x1=\"" << left << "\" y1=\"" << h - bottom << "\" x2=\"" << w - right << "\" y2=\"" << h - bottom << "\" stroke=\"black\"/>\n"
        << "<line x1=\"" << left << "\" y1=\"" << top << "\" x2=\"" << left << "\" y2=\"" << h - bottom << "\" stroke=\"black\"/>\n"
        << "<text x=\"" << sx(x0) << "\" y=\"" << h - bottom + 16 << "\" text-anchor=\"middle\">" << x0 << "</text>\n"
        << "<text x=\"" << sx(x1) << "\" y=\"" << h - bottom + 16 << "\" text-anchor=\"middle\">" << x1 << "</text>\n"
        << "<text x=\"" << (left + w - right) / 2 << "\" y=\"" << h - 18 << "\" text-anchor=\"middle\">" << x_label << "</text>\n"
        << "<text x=\"" << left - 6 << "\" y=\"" << sy(y0) << "\" text-anchor=\"end\">" << y0 << "</text>\n"
        << "<text x=\"" << left - 6 << "\" y=\"" << sy(y1) + 4 << "\" text-anchor=\"end\">" << y1 << "</text>\n"
        << "<text transform=\"translate(20," << (top + h - bottom) / 2 << ") rotate(-90)\" text-anchor=\"middle\">altitude (" << y_unit << ")</text>\n"
        << "<polyline class=\"linear\" fill=\"none\" stroke=\"#888\" stroke-dasharray=\"6,4\" points=\"" << points(p.linear) << "\"/>\n"
        << "<polyline class=\"final\" fill=\"none\" stroke=\"#1f5fd0\" stroke-width=\"2\" points=\"" << points(p.final) << "\"/>\n"
        << "<text x=\"" << w - right - 8 << "\" y=\"" << top + 4 << "\" text-anchor=\"end\" fill=\"#1f5fd0\">final water surface</text>\n"
        << "<text x=\"" << w - right - 8 << "\" y=\"" << top + 20 << "\" text-anchor=\"end\" fill=\"#888\">linear profile</text>\n"
        << "</svg>\n";
    return svg.str();
}

}  // namespace

int profile_svg(const std::string& base, const std::string& out, const std::string& unit, bool overwrite) {
    InputGuard guard;
    guard_run(guard, base);
    guard.check({out});
    check_new(out, overwrite);
    Profile p = read_profile(base + kResultTable, unit.empty() ? 1 : unit_factor(unit));
    const double pixel = run_pixel(base);
    std::ostringstream x_label;
    if (pixel > 0) {
        for (double& x : p.position) x *= pixel;
        x_label << "path position (m from the upper point, " << pixel << " m a pixel)";
    } else {
        x_label << "path position (pixels from the upper point)";
    }
    GisOutputs outputs;
    outputs.write_text(out, plot(p, x_label.str(), unit.empty() ? "DEM units" : "m"));
    outputs.commit();
    std::printf("%s: %zu profile points\n", out.c_str(), p.position.size());
    return 0;
}
