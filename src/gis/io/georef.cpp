#include "georef.h"

#include <ogr_srs_api.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "gdal_handles.h"
#include "gis_io.h"

namespace {

constexpr double kSmallest = 1e-4;  // 0.1 mm
constexpr double kLargest = 1e5;    // 100 km
constexpr double kSquare = 1e-3;    // relative difference of the sides still taken as square

std::string number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", v);
    return text;
}

// The horizontal units of a coordinate system.
struct Units {
    double metres = 1;  // metres a unit
    std::string name = "metre";
    bool geographic = false;
    bool known = false;  // false: no coordinate system, or one GDAL cannot read
};

Units units_of(const std::string& wkt) {
    Units u;
    if (wkt.empty()) return u;
    const OwnedSrs srs = srs_of(wkt);
    if (srs == nullptr) return u;
    u.geographic = OSRIsGeographic(srs.get()) != 0;
    char* name = nullptr;
    const double metres = OSRGetLinearUnits(srs.get(), &name);
    if (std::isfinite(metres) && metres > 0) {
        u.known = true;
        u.metres = metres;
        u.name = name != nullptr ? name : "unit";
    }
    return u;
}

// The way out for a raster in degrees: the UTM zone of its centre, when the centre reads as a
// longitude and a latitude.
std::string reprojection_hint(const Georef& g, int lines, int cols, const std::string& name) {
    const double* t = g.transform;
    const double lon = t[0] + t[1] * cols / 2.0, lat = t[3] + t[5] * lines / 2.0;
    const std::string target = std::filesystem::path(name).stem().string() + "_utm.tif";
    std::string hint = "reproject it to a coordinate system in metres first, e.g. gdalwarp -t_srs EPSG:";
    if (!(lon >= -180 && lon <= 180 && lat >= -80 && lat <= 84)) {
        return hint + "<code of a projected system> " + name + " " + target;
    }
    const int zone = std::clamp(static_cast<int>(std::floor((lon + 180) / 6)) + 1, 1, 60);
    const bool north = lat >= 0;
    return hint + std::to_string((north ? 32600 : 32700) + zone) + " " + name + " " + target + " (UTM zone " +
           std::to_string(zone) + (north ? "N" : "S") + " holds its centre)";
}

void check_transform(const Georef& g, const std::string& name) {
    const double* t = g.transform;
    if (!std::all_of(t, t + 6, [](double v) { return std::isfinite(v); })) {
        fail(name + " has a georeferencing that is not made of numbers (" + number(t[0]) + ", " + number(t[1]) + ", " +
             number(t[2]) + ", " + number(t[3]) + ", " + number(t[4]) + ", " + number(t[5]) + ")");
    }
    if (t[2] != 0 || t[4] != 0) {
        fail(name + ": rotated grids are not supported; warp it north-up first, e.g. gdalwarp " + name +
             " north_up.tif");
    }
    if (t[1] == 0 || t[5] == 0) {
        fail(name + " has pixels of " + number(std::fabs(t[1])) + " x " + number(std::fabs(t[5])) +
             ": a pixel size must be a positive number");
    }
}

void add_note(std::string& notes, const std::string& text) { notes += (notes.empty() ? "" : "; ") + text; }

}  // namespace

PixelSize pixel_size(const Georef& g, int lines, int cols, const std::string& name) {
    PixelSize p;
    if (!g.has_transform) {
        p.note = name + " has no georeferencing: its pixel size is taken as 1 m";
        return p;
    }
    check_transform(g, name);
    const Units units = units_of(g.wkt);
    if (units.geographic) {
        fail(name + " is in geographic coordinates (degrees), not metres: " + reprojection_hint(g, lines, cols, name));
    }
    const double w = std::fabs(g.transform[1]), h = std::fabs(g.transform[5]);
    const double wm = w * units.metres, hm = h * units.metres;
    if (std::fabs(wm - hm) > kSquare * std::max(wm, hm)) {
        const std::string side = number(std::min(w, h));
        fail(name + " has pixels of " + number(wm) + " x " + number(hm) +
             " m: tarvex needs square pixels; resample it first, e.g. gdalwarp -tr " + side + " " + side + " " +
             name + " square.tif");
    }
    p.metres = (wm + hm) / 2;
    if (!(p.metres >= kSmallest && p.metres <= kLargest)) {
        fail(name + " has pixels of " + number(p.metres) + " m: not a plausible pixel size (0.0001 m to 100 km)");
    }
    if (!units.known) {
        add_note(p.note, name + " gives no coordinate system GDAL reads: its pixel size is taken in metres");
    }
    if (units.metres != 1) {
        add_note(p.note, name + " is in units of " + units.name + " (" + number(units.metres) + " m): its pixels of " +
                             number((w + h) / 2) + " are " + number(p.metres) + " m");
    }
    p.whole = static_cast<int>(std::max(1L, std::lround(p.metres)));
    if (std::fabs(p.metres - p.whole) > 1e-6 * p.metres) {
        add_note(p.note, "the pixel size of " + number(p.metres) + " m is recorded as " + std::to_string(p.whole) +
                             " m in the descriptor, the nearest whole metre");
    }
    return p;
}

void piece_transform(const double* grid, const Piece& p, double* t) {
    std::copy(grid, grid + 6, t);
    t[0] += p.col * t[1] + p.line * t[2];
    t[3] += p.col * t[4] + p.line * t[5];
}
