// The Gaussian wave's shape search and the vectors of the wave it settles on.
#include "gauss_wave.h"

#include <cmath>

#include "dem_units.h"
#include "nrutil.h"
#include "stages.h"

namespace {

constexpr int kMaxPasses = 10000;

// (A*A - 1) / ln A, continued by its limit 2 at A = 1 where both terms vanish.
double shape_quotient(double A) {
    if (A == 1.0) return 2.0;
    return (A * A - 1.0) / std::log(A);
}

// The bell for this A into gauss_curve (truncated DEM units) and z_gauss, samples 1 .. 2*LO+1.
void shape_wave(RunState& st, double A, double* half_curve) {
    const WaveShape bell(st.LO, st.AO_Max, A);
    for (int d = 1; d <= st.LO; ++d) half_curve[d] = bell.metres(d);
    st.ref_gauss = st.LO + 1;
    int k = 0;
    auto put = [&](double AO) {
        ++k;
        st.gauss_curve[k] = to_dem_units(AO, st.coef);
        st.z_gauss[k] = st.coef * AO;
    };
    for (int i = 1; i <= st.LO; ++i) put(half_curve[st.LO - i + 1]);
    put(st.AO_Max);
    for (int i = 1; i <= st.LO; ++i) put(half_curve[i]);
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

void release_wave(RunState& st) {
    frivecteur(st.gauss_curve);
    frivecteur(st.i_gauss);
    frivecteur(st.j_gauss);
    frdvecteur(st.z_gauss);
    st.gauss_curve = st.i_gauss = st.j_gauss = nullptr;
    st.z_gauss = nullptr;
}

void allocate_wave(RunState& st, Console& con, double*& half_curve) {
    release_wave(st);  // a wave asked again replaces the one before
    const int samples = 2 * st.LO + 2;
    half_curve = dvecteur(st.LO + 1);
    st.gauss_curve = ivecteur(samples);
    st.i_gauss = ivecteur(samples);
    st.j_gauss = ivecteur(samples);
    st.z_gauss = dvecteur(samples);
    if (half_curve && st.gauss_curve && st.i_gauss && st.j_gauss && st.z_gauss) return;
    frdvecteur(half_curve);
    half_curve = nullptr;
    con.fatal(strf("\n Not enough memory for a wave of %d samples \n", samples - 1));
}

void report_wave(RunState& st, double A) {
    std::fprintf(st.f5d, "\n\n Gaussian parameters : ");
    std::fprintf(st.f5d, "\n\n\tCalculated factor A = %lf ", A);
    std::fprintf(st.f5d, "\n\tHalf wave lenght (in pixels) = %d ", st.LO);
    std::fprintf(st.f5d, "\n\tGreater altitude of the wave (in meter with decimal value) = %lf ",
                 st.AO_Max);
    std::fprintf(st.f5d, "\n\tCoordinates of this point \ti = %d \tj = %d ", st.i_AO, st.j_AO);
}

}  // namespace

bool gauss(RunState& st, Console& con) {
    double* half_curve = nullptr;
    allocate_wave(st, con, half_curve);
    double A = 0.5;
    con.say("\n\n Gaussian Curve Calculation \n");
    bool settled = false;
    for (int pass = 0; pass < kMaxPasses && A > 0.0 && !settled; ++pass) {
        const int num_zero = wave_zero_count(WaveShape(st.LO, st.AO_Max, A), st.LO, st.AO_Max, st.coef);
        con.say("\n num_zero = %d ", num_zero);
        con.wait_key();
        settled = (num_zero == 1 || num_zero == 2);
        if (!settled) A = next_factor(A, num_zero);
    }
    if (settled) shape_wave(st, A, half_curve);  // the vectors of the last pass, at the A found
    frdvecteur(half_curve);
    if (!settled) {
        con.say("\n The wave cannot be fitted: please give other values for the wave \n");
        release_wave(st);
        st.ref_gauss = 0;
        return false;
    }
    con.say("\n Calculated factor A = %lf \n", A);
    report_wave(st, A);
    return true;
}

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
