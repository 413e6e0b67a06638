#include <gtest/gtest.h>

#include <vector>

#include "dem_units.h"
#include "gauss_wave.h"
#include "stages.h"
#include "test_support.h"

namespace {

struct WaveFit {
    bool settled = false;
    std::vector<int> curve;
    std::vector<double> z;
    std::string printed;
    std::string report;
    int passes = 0;
};

WaveFit fit(int LO, double AO_Max, int coef) {
    StageFixture fx(8, 8);
    fx.st.LO = LO;
    fx.st.AO_Max = AO_Max;
    fx.st.coef = coef;
    fx.st.i_AO = 3;
    fx.st.j_AO = 4;
    WaveFit w;
    w.settled = gauss(fx.st, fx.con);
    if (w.settled) {
        w.curve.assign(fx.st.gauss_curve + 1, fx.st.gauss_curve + 2 * LO + 2);
        w.z.assign(fx.st.z_gauss + 1, fx.st.z_gauss + 2 * LO + 2);
        EXPECT_EQ(fx.st.ref_gauss, LO + 1);
        EXPECT_EQ(fx.st.i_gauss[2 * LO + 1], 0);  // placed later, on the river path
    }
    w.passes = fx.con.key_waits();
    w.printed = fx.printed();
    w.report = fx.report();
    return w;
}

std::string zero_counts(const std::vector<int>& counts) {
    std::string text;
    for (int n : counts) text += "\n num_zero = " + std::to_string(n) + " ";
    return text;
}

}  // namespace

TEST(GaussianWave, ANarrowEnoughBellSettlesAtTheFirstPass) {
    WaveFit w = fit(5, 0.3, 1000);
    ASSERT_TRUE(w.settled);
    EXPECT_EQ(w.passes, 1);
    // 0.3 m is stored just below 0.3, so the summit truncates to 299 units.
    EXPECT_EQ(w.curve, (std::vector<int>{0, 2, 20, 91, 223, 299, 223, 91, 20, 2, 0}));
    const double z[] = {0.1846, 2.643, 20.949, 91.910, 223.194, 300.0};
    for (int k = 0; k < 6; ++k) EXPECT_NEAR(w.z[k], z[k], 0.001) << k;
    EXPECT_EQ(w.printed, "\n\n Gaussian Curve Calculation \n" + zero_counts({2}) +
                             "\n Calculated factor A = 0.500000 \n");
    EXPECT_EQ(w.report,
              "\n\n Gaussian parameters : \n\n\tCalculated factor A = 0.500000 "
              "\n\tHalf wave lenght (in pixels) = 5 "
              "\n\tGreater altitude of the wave (in meter with decimal value) = 0.300000 "
              "\n\tCoordinates of this point \ti = 3 \tj = 4 ");
}

TEST(GaussianWave, ATooNarrowBellWidensByHundredths) {
    WaveFit w = fit(10, 2.0, 100);
    ASSERT_TRUE(w.settled);
    EXPECT_EQ(w.passes, 10);
    EXPECT_NE(w.printed.find(zero_counts({4, 4, 4, 4, 4, 4, 4, 4, 4, 2}) +
                             "\n Calculated factor A = 0.590000 \n"),
              std::string::npos);
    EXPECT_EQ(w.curve, (std::vector<int>{0, 1, 3, 8, 19, 39, 70, 111, 154, 187, 200, 187, 154,
                                         111, 70, 39, 19, 8, 3, 1, 0}));
}

TEST(GaussianWave, ATooWideBellNarrowsByHalfHundredths) {
    WaveFit w = fit(3, 10.0, 1000);
    ASSERT_TRUE(w.settled);
    EXPECT_EQ(w.passes, 27);
    EXPECT_EQ(w.printed.find("\n num_zero = 0 "), w.printed.find("\n num_zero"));
    EXPECT_NE(w.printed.find("\n Calculated factor A = 0.370000 \n"), std::string::npos);
    EXPECT_EQ(w.curve, (std::vector<int>{0, 166, 3591, 10000, 3591, 166, 0}));
}

TEST(GaussianWave, AOnePixelWaveOfOneUnit) {
    WaveFit w = fit(1, 1.0, 1);
    ASSERT_TRUE(w.settled);
    EXPECT_EQ(w.passes, 1);
    EXPECT_EQ(w.curve, (std::vector<int>{0, 1, 0}));
    EXPECT_NE(w.printed.find("A = 0.500000"), std::string::npos);
}

TEST(GaussianWave, AnOscillatingSearchGivesUpAfterItsPassLimit) {
    // Outer samples so close in height that no step of A falls between them.
    WaveFit w = fit(1000, 2000000.0, 1000);
    EXPECT_FALSE(w.settled);
    EXPECT_EQ(w.passes, 10000);
    EXPECT_NE(w.printed.find("cannot be fitted"), std::string::npos);
    EXPECT_EQ(w.report, "");
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
    EXPECT_EQ(w.passes, 10000);
}
