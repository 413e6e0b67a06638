#include "altitudes.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

#include "dem_units.h"
#include "gis_io.h"
#include "pieces.h"
#include "text.h"

std::int32_t to_dem_value(double metres, bool single, int factor, const std::string& src) {
    const std::int64_t v = dem_units_wide(single ? decimal_of(static_cast<float>(metres)) : metres, factor);
    if (v <= std::numeric_limits<std::int32_t>::min() || v >= std::numeric_limits<std::int32_t>::max()) {
        fail("the altitude " + std::to_string(metres) + " of " + src + " does not fit 32 bits in this unit");
    }
    return static_cast<std::int32_t>(v);
}

namespace {

constexpr double kFoot = 0.3048, kUsSurveyFoot = 1200.0 / 3937.0;

// Lower case, '_' and '-' as spaces, no space doubled or at either end: "US_Survey-Foot" is
// "us survey foot".
std::string normalised(const std::string& unit) {
    std::string s;
    for (const char c : unit) {
        const char k = (c == '_' || c == '-') ? ' ' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (k == ' ' && (s.empty() || s.back() == ' ')) continue;
        s += k;
    }
    if (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

bool one_of(const std::string& s, std::initializer_list<const char*> names) {
    return std::any_of(names.begin(), names.end(), [&s](const char* n) { return s == n; });
}

// `v`, a sum or product of decimals worked out in binary, as the decimal it stands for: its
// digits down to the 15th of `magnitude` (the largest of the terms), above the error the
// binary arithmetic leaves (96 x 0.1 is 9.600000000000001: 9.6).
double decimal_at(double v, double magnitude) {
    if (!std::isfinite(v) || !(magnitude > 0)) return v;
    const int decimals = 14 - static_cast<int>(std::floor(std::log10(magnitude)));
    if (decimals < 0 || decimals > 300) return v;
    char text[400];
    const std::to_chars_result written = std::to_chars(text, text + sizeof text, v, std::chars_format::fixed, decimals);
    double decimal = v;
    std::from_chars(text, written.ptr, decimal);
    return decimal;
}

constexpr int kSlotBits = 16;
constexpr std::size_t kSlots = std::size_t(1) << kSlotBits;

}  // namespace

void check_z_unit_option(const std::string& z_unit) {
    if (!one_of(z_unit, {"m", "ft", "us-ft"})) fail("--z-unit is m, ft or us-ft, not '" + z_unit + "'");
}

double metres_per_z_unit(const std::string& unit) {
    const std::string u = normalised(unit);
    if (one_of(u, {"", "m", "metre", "meter", "metres", "meters"})) return 1;
    if (one_of(u, {"ft", "foot", "feet", "international foot", "international feet", "foot (international)"})) {
        return kFoot;
    }
    if (one_of(u, {"us ft", "ftus", "us survey foot", "us survey feet", "us survey ft", "survey foot", "survey feet",
                   "us foot", "us feet", "foot us", "foot (us survey)"})) {
        return kUsSurveyFoot;
    }
    return 0;
}

ZUnits z_units_of(const GdalRaster& r, const std::string& z_unit, std::string& note) {
    if (!z_unit.empty()) check_z_unit_option(z_unit);
    ZUnits z{r.scale(), r.offset(), 1, z_unit.empty() ? r.unit() : z_unit};
    z.unit_m = metres_per_z_unit(z.unit);
    if (z.unit_m == 0) {
        fail(r.path() + " gives its altitudes in '" + z.unit +
             "', a unit tarvex-gis does not know: give it with --z-unit m, ft or us-ft");
    }
    if (!std::isfinite(z.scale) || z.scale == 0 || !std::isfinite(z.offset)) {
        fail(r.path() + strf(" gives its values a scale of %g and an offset of %g: they cannot be altitudes", z.scale,
                             z.offset));
    }
    note.clear();
    if (z.metres_as_stored()) return z;
    note = "the altitudes of " + r.path() + " are its values" + (z.scale != 1 ? strf(" x %.10g", z.scale) : "") +
           (z.offset != 0 ? strf(" + %.10g", z.offset) : "") +
           (z.unit_m != 1 ? " in " + z.unit + strf(" (%.10g m)", z.unit_m) : " in metres") + ": converted to metres";
    return z;
}

DemValues::DemValues(const GdalRaster& r, const ZUnits& z, int factor)
    : raster_(r), z_(z), factor_(factor), cached_(r.single_precision_band() || !z.metres_as_stored()) {
    if (!cached_) return;
    keys_.assign(kSlots, 0);
    values_.assign(kSlots, 0);
    filled_.assign(kSlots, false);
}

double DemValues::metres(double value) const {
    const double v = raster_.single_precision_band() ? decimal_of(static_cast<float>(value)) : value;
    if (z_.metres_as_stored()) return v;
    const double product = v * z_.scale;
    const double stored = decimal_at(product + z_.offset, std::max(std::fabs(product), std::fabs(z_.offset)));
    if (z_.unit_m == 1) return stored;
    return decimal_at(stored * z_.unit_m, std::fabs(stored * z_.unit_m));
}

// Conversions through a decimal form are kept, by the bits of the value: altitudes repeat (a
// DEM in decimetres holds a few thousand distinct values), and a look-up costs far less than
// the decimal form a conversion goes through.
std::int32_t DemValues::operator()(double value) {
    if (!cached_) return to_dem_value(value, false, factor_, raster_.path());
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    const std::size_t slot = static_cast<std::size_t>((bits * 0x9E3779B97F4A7C15ull) >> (64 - kSlotBits));
    if (filled_[slot] && keys_[slot] == bits) return values_[slot];
    values_[slot] = to_dem_value(metres(value), false, factor_, raster_.path());
    keys_[slot] = bits;
    filled_[slot] = true;
    return values_[slot];
}

void require_an_altitude(const GdalRaster& r) {
    if (!r.any_cell([&r](double v) { return !r.is_nodata(v); })) {
        fail(r.path() + " holds no valid altitude: every cell is no data");
    }
}

IntGrid load_dem(const GdalRaster& r, const ZUnits& z, int factor, std::int32_t nodata_out) {
    IntGrid dem;
    try {
        dem = IntGrid(r.lines(), r.cols());
    } catch (const std::bad_alloc&) {
        fail("not enough memory for the " + std::to_string(r.lines()) + " x " + std::to_string(r.cols()) +
             " cells of " + r.path());
    }
    std::vector<double> values(std::min(kPieceCells, r.cells()));
    DemValues convert(r, z, factor);
    for_each_piece(r.lines(), r.cols(), [&](const Piece& p) {
        r.read(p, values.data());
        int* cells = dem[p.line] + p.col;  // a piece's cells follow one another in the grid
        for (std::size_t k = 0; k < p.cells(); ++k) cells[k] = r.is_nodata(values[k]) ? nodata_out : convert(values[k]);
    });
    return dem;
}
