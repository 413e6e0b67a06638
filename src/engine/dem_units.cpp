#include "dem_units.h"

#include <charconv>
#include <cmath>
#include <limits>

std::int64_t dem_units_wide(double metres, int coef) {
    const double factor = static_cast<double>(coef);
    const double product = metres * factor;
    if (std::isnan(product)) return 0;
    const double limit = 9.2e18;  // below 2^63, where a double still converts safely
    if (product >= limit) return std::numeric_limits<std::int64_t>::max();
    if (product <= -limit) return std::numeric_limits<std::int64_t>::min();
    const double error = std::fma(metres, factor, -product);  // exact: product + error
    double whole = std::trunc(product);
    if (whole == product && error != 0.0) {
        // The rounded product is an integer but the exact one lies beside it.
        if (product > 0.0 && error < 0.0) whole -= 1.0;
        if (product < 0.0 && error > 0.0) whole += 1.0;
    }
    return static_cast<std::int64_t>(whole);
}

bool dem_units_fit(double metres, int coef) {
    std::int64_t v = dem_units_wide(metres, coef);
    return v >= std::numeric_limits<std::int32_t>::min() &&
           v <= std::numeric_limits<std::int32_t>::max();
}

int to_dem_units(double metres, int coef) { return clamp_dem(dem_units_wide(metres, coef)); }

int clamp_dem(std::int64_t value) {
    if (value > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    if (value < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    return static_cast<int>(value);
}

double decimal_of(float value) {
    if (!std::isfinite(value)) return value;
    char text[64];
    const std::to_chars_result written = std::to_chars(text, text + sizeof text, value);
    double decimal = value;
    std::from_chars(text, written.ptr, decimal);  // the shortest form always reads back
    return decimal;
}
