#include "nice_numbers.h"

#include <cmath>
#include <cstdio>

namespace {

// A power of ten at most `x` (> 0), and x's leading part in [1, 10).
double decade(double x, double& mantissa) {
    const double power = std::pow(10.0, std::floor(std::log10(x)));
    mantissa = x / power;
    return power;
}

}  // namespace

double nice_step(double span, int parts) {
    if (!(span > 0) || !std::isfinite(span) || parts < 1) return 1;
    double m = 0;
    const double power = decade(span / parts, m);
    for (const double nice : {1.0, 2.0, 2.5, 5.0}) {
        if (m <= nice * 1.0000001) return nice * power;
    }
    return 10 * power;
}

double nice_floor(double limit) {
    double m = 0;
    const double power = decade(limit, m);
    return (m >= 5 ? 5 : m >= 2 ? 2 : 1) * power;
}

std::vector<double> ticks_around(double lo, double hi, double step) {
    const double first = std::floor(lo / step + 1e-9), last = std::ceil(hi / step - 1e-9);
    std::vector<double> ticks;
    for (double k = first; k <= last && ticks.size() < 1000; ++k) ticks.push_back(k * step);
    return ticks;
}

std::string tick_text(double value, double step) {
    int decimals = 0;
    while (decimals < 6 && std::fabs(step * std::pow(10.0, decimals) - std::round(step * std::pow(10.0, decimals))) >
                               1e-6 * std::pow(10.0, decimals)) {
        ++decimals;
    }
    if (std::fabs(value) < step * 1e-9) value = 0;  // no "-0"
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string length_text(double metres) {
    if (metres >= 1000) return tick_text(metres / 1000, metres / 1000) + " km";
    return tick_text(metres, metres) + " m";
}
