// The Gaussian wave's shape search and the samples of the wave it settles on.
#include "gaussian_wave.h"

#include <cmath>
#include <new>

#include "dem_units.h"

namespace {

constexpr int kMaxPasses = 10000;

// (A*A - 1) / ln A, continued by its limit 2 at A = 1 where both terms vanish.
double shape_quotient(double A) {
    if (A == 1.0) return 2.0;
    return (A * A - 1.0) / std::log(A);
}

// The next A after a pass: up when the bell is too narrow, down when it is too wide.
double next_factor(double A, int num_zero) {
    if (num_zero > 2) {
        if (A == 1.01) return 1.02;
        A = A + 0.01;
        return A == 1.0 ? 1.01 : A;
    }
    if (A == 1.01) A = 1.0;
    return A - 0.005;
}

// The samples 1 .. 2*LO+1 of the bell for A: the left flank rising to the summit, the right
// flank mirroring it.
void shape_samples(Wave& w, const Parameters& p, double A) {
    const int coef = p.coef();
    const WaveShape bell(p.LO, p.AO_Max, A);
    std::vector<double> half_curve(static_cast<std::size_t>(p.LO) + 1);
    for (int d = 1; d <= p.LO; ++d) half_curve[static_cast<std::size_t>(d)] = bell.metres(d);
    const std::size_t samples = 2 * static_cast<std::size_t>(p.LO) + 2;
    w.gauss_curve.assign(samples, 0);
    w.z_gauss.assign(samples, 0.0);
    std::size_t k = 0;
    auto put = [&](double AO) {
        ++k;
        w.gauss_curve[k] = to_dem_units(AO, coef);
        w.z_gauss[k] = coef * AO;
    };
    for (int i = 1; i <= p.LO; ++i) put(half_curve[static_cast<std::size_t>(p.LO - i + 1)]);
    put(p.AO_Max);
    for (int i = 1; i <= p.LO; ++i) put(half_curve[static_cast<std::size_t>(i)]);
}

}  // namespace

WaveShape::WaveShape(int LO, double AO_Max, double A) : AO_Max_(AO_Max) {
    const double HG = LO * 0.5;
    const double sigma2 = std::sqrt(shape_quotient(A)) * (HG / (2.0 * A));
    const double sigma = A * sigma2;
    sig2_ = sigma * sigma;
}

double WaveShape::metres(int d) const {
    const double fi = d;
    const double fi2 = fi * fi;
    const double h = std::exp(-(fi2 / (2.0 * sig2_)));
    return AO_Max_ * h;
}

int wave_zero_count(const WaveShape& bell, int LO, double AO_Max, int coef) {
    int first_zero = LO + 1;  // the nearest distance whose sample truncates to 0 (LO + 1: none)
    for (int low = 1, high = LO; low <= high;) {
        const int d = low + (high - low) / 2;
        if (to_dem_units(bell.metres(d), coef) == 0) {
            first_zero = d;
            high = d - 1;
        } else {
            low = d + 1;
        }
    }
    return 2 * (LO + 1 - first_zero) + (to_dem_units(AO_Max, coef) == 0 ? 1 : 0);
}

WaveSearch search_wave(int LO, double AO_Max, int coef) {
    WaveSearch s;
    for (int pass = 0; pass < kMaxPasses && s.A > 0.0 && !s.settled; ++pass) {
        const int num_zero = wave_zero_count(WaveShape(LO, AO_Max, s.A), LO, AO_Max, coef);
        s.zero_counts.push_back(num_zero);
        s.settled = (num_zero == 1 || num_zero == 2);
        if (!s.settled) s.A = next_factor(s.A, num_zero);
    }
    return s;
}

Wave gauss(const Parameters& p, RunLog& log) {
    const WaveSearch search = search_wave(p.LO, p.AO_Max, p.coef());
    if (!search.settled) log.fatal("\n The wave cannot be fitted: please give other values for the wave \n");
    Wave w;
    w.A = search.A;
    w.ref_gauss = p.LO + 1;
    try {
        shape_samples(w, p, search.A);
    } catch (const std::bad_alloc&) {
        log.fatal(strf("\n Not enough memory for a wave of %d samples \n", 2 * p.LO + 1));
    }
    return w;
}
