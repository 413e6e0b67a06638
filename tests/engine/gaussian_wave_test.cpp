#include <gtest/gtest.h>

#include <vector>

#include "dem_units.h"
#include "gaussian_wave.h"
#include "test_support.h"

namespace {

struct WaveFit {
    bool settled = false;
    double A = 0.0;
    std::vector<int> zero_counts;
    std::vector<int> curve;
    std::vector<double> z;
};

WaveFit fit(int LO, double AO_Max, int coef) {
    Parameters p;
    p.LO = LO;
    p.AO_Max = AO_Max;
    p.hypso_scale = coef == 1 ? 0 : (coef == 10 ? 1 : (coef == 100 ? 2 : 3));
    const WaveSearch search = search_wave(LO, AO_Max, coef);
    WaveFit w{search.settled, search.A, search.zero_counts, {}, {}};
    if (!w.settled) return w;
    RecordingTrace trace;
    RunLog log(trace, ProgressFn());
    const Wave wave = gauss(p, log);
    w.curve.assign(wave.gauss_curve.begin() + 1, wave.gauss_curve.end());
    w.z.assign(wave.z_gauss.begin() + 1, wave.z_gauss.end());
    EXPECT_EQ(wave.ref_gauss, LO + 1);
    EXPECT_EQ(wave.A, search.A);
    EXPECT_EQ(trace.text, "");  // the dialog shows the search; the engine says nothing
    return w;
}

}  // namespace

TEST(GaussianWave, ANarrowEnoughBellSettlesAtTheFirstPass) {
    WaveFit w = fit(5, 0.3, 1000);
    ASSERT_TRUE(w.settled);
    EXPECT_EQ(w.zero_counts, std::vector<int>{2});
    // 0.3 m is stored just below 0.3, so the summit truncates to 299 units.
    EXPECT_EQ(w.curve, (std::vector<int>{0, 2, 20, 91, 223, 299, 223, 91, 20, 2, 0}));
    const double z[] = {0.1846, 2.643, 20.949, 91.910, 223.194, 300.0};
    for (int k = 0; k < 6; ++k) EXPECT_NEAR(w.z[k], z[k], 0.001) << k;
    EXPECT_EQ(w.A, 0.5);
}

TEST(GaussianWave, ATooNarrowBellWidensByHundredths) {
    WaveFit w = fit(10, 2.0, 100);
    ASSERT_TRUE(w.settled);
    EXPECT_EQ(w.zero_counts, (std::vector<int>{4, 4, 4, 4, 4, 4, 4, 4, 4, 2}));
    EXPECT_EQ(strf("%lf", w.A), "0.590000");
    EXPECT_EQ(w.curve, (std::vector<int>{0, 1, 3, 8, 19, 39, 70, 111, 154, 187, 200, 187, 154,
                                         111, 70, 39, 19, 8, 3, 1, 0}));
}

TEST(GaussianWave, ATooWideBellNarrowsByHalfHundredths) {
    WaveFit w = fit(3, 10.0, 1000);
    ASSERT_TRUE(w.settled);
    EXPECT_EQ(w.zero_counts.size(), 27u);
    EXPECT_EQ(w.zero_counts[0], 0);
    EXPECT_EQ(strf("%lf", w.A), "0.370000");
    EXPECT_EQ(w.curve, (std::vector<int>{0, 166, 3591, 10000, 3591, 166, 0}));
}

TEST(GaussianWave, AOnePixelWaveOfOneUnit) {
    WaveFit w = fit(1, 1.0, 1);
    ASSERT_TRUE(w.settled);
    EXPECT_EQ(w.zero_counts, std::vector<int>{2});
    EXPECT_EQ(w.curve, (std::vector<int>{0, 1, 0}));
    EXPECT_EQ(w.A, 0.5);
}

TEST(GaussianWave, AnOscillatingSearchGivesUpAfterItsPassLimit) {
    // Outer samples so close in height that no step of A falls between them.
    WaveFit w = fit(1000, 2000000.0, 1000);
    EXPECT_FALSE(w.settled);
    EXPECT_EQ(w.zero_counts.size(), 10000u);
    Parameters p;
    p.LO = 1000, p.AO_Max = 2000000.0, p.hypso_scale = 3;
    RecordingTrace trace;
    RunLog log(trace, ProgressFn());
    EXPECT_THROW(gauss(p, log), Stop);
    EXPECT_NE(trace.text.find("cannot be fitted"), std::string::npos);
}

// The zero count of a pass, found from where the flanks fall below one unit, is the count of
// every sample that truncates to 0, whatever the wave and the shape factor.
TEST(GaussianWave, ZeroCountsFromTheFlanksAreThoseOfEverySample) {
    for (int LO : {1, 2, 3, 5, 10, 99, 1000}) {
        for (double AO_Max : {0.0004, 0.3, 1.0, 2.0, 10.0, -5.0, 2000000.0}) {
            for (int coef : {1, 10, 100, 1000}) {
                for (double A : {0.05, 0.37, 0.5, 0.59, 0.995, 1.0, 1.01, 1.7, 40.0}) {
                    const WaveShape bell(LO, AO_Max, A);
                    int zeros = to_dem_units(AO_Max, coef) == 0 ? 1 : 0;
                    for (int d = 1; d <= LO; ++d) zeros += to_dem_units(bell.metres(d), coef) == 0 ? 2 : 0;
                    ASSERT_EQ(wave_zero_count(bell, LO, AO_Max, coef), zeros)
                        << "LO " << LO << " AO_Max " << AO_Max << " coef " << coef << " A " << A;
                }
            }
        }
    }
}

// A wave of a million pixels on each side whose search cannot settle: each of its 10,000
// passes counts its zeros without shaping two million samples.
TEST(GaussianWave, AVeryLongWaveIsRefusedAfterItsPassesWithoutShapingEachOne) {
    WaveFit w = fit(1000000, 2000000.0, 1000);
    EXPECT_FALSE(w.settled);
    EXPECT_EQ(w.zero_counts.size(), 10000u);
}
