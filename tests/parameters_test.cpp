#include <gtest/gtest.h>

#include <algorithm>

#include "stages.h"
#include "test_support.h"

namespace {

// A 4 x 5 DEM whose range is 150000 .. 250000 (millimetres), pixel size 25 from the opening,
// with a skeleton of 5 pixels along line 2 (waves of up to 2 x 2 + 1 pixels).
struct DialogFixture : StageFixture {
    explicit DialogFixture(const std::string& answers) : StageFixture(4, 5, answers) {
        st.taille_pix = 25;
        std::vector<int> dem(20, 200000);
        dem[7] = 150000;
        dem[13] = 250000;
        fill(st.itab_in, dem);
        std::vector<int> skeleton(20, 0);
        std::fill(skeleton.begin() + 10, skeleton.begin() + 15, 1);
        fill(st.tab_soul, skeleton);
    }
    std::string dem_descriptor() { return committed(st.nomdescr4); }
};

const char* kScaleMenu =
    "\n Characteristic of this Hypsometric Scale\n\t0 ====> meters\n\t1 ====> decimeters"
    "\n\t2 ====> centimeters\n\t3 ====> millimeters\n\t";

const char* kPointsRecord =
    "\n\n Parameters values : "
    "\n\n\tStarting point : i = 0 \tj = 1 \t    DEM altitude = 250.500000 "
    "\n\tEnd point :       i = 3 \tj = 4 \t    DEM altitude = 150.000000 ";

std::size_t count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

}  // namespace

TEST(ParameterDialog, TheRangeIsTheTrueDemRangeAndReachesTheResultDescriptor) {
    DialogFixture fx("3  0 1 250.5  3 4 150.0  1  0 0.5 1.0  40");
    parameters(fx.st, fx.con);
    const std::string range =
        "\n\n\n Hypsometric scale of the input DEM :\n\tMin = 150000 \n\tMax = 250000 \n\n";
    EXPECT_EQ(fx.printed().substr(0, range.size()), range);
    // The result DEM descriptor keeps the pixel size of the opening, not the last answer.
    EXPECT_EQ(fx.dem_descriptor(), "150000\n250000\n25\n");
    EXPECT_EQ(fx.st.taille_pix, 40);
    EXPECT_EQ(fx.st.coef, 1000);
}

TEST(ParameterDialog, NegativeDemsReportTheirTrueMaximum) {
    StageFixture fx(2, 2, "0  0 0 1.0  1 1 0.0  1  0 1 1  1");
    fx.fill(fx.st.itab_in, {-40, -7, -12, -30});
    parameters(fx.st, fx.con);
    EXPECT_NE(fx.printed().find("\n\tMin = -40 \n\tMax = -7 \n\n"), std::string::npos);
    EXPECT_EQ(fx.committed(fx.st.nomdescr4), "-40\n-7\n1\n");
}

TEST(ParameterDialog, TheScaleMenuIsShownAgainForCodesOutsideItsRange) {
    DialogFixture fx("4 -1 x 3  0 1 250.5  3 4 150.0  1  0 0.5 1.0  40");
    parameters(fx.st, fx.con);
    EXPECT_EQ(count(fx.printed(), kScaleMenu), 4u);
    EXPECT_EQ(count(fx.printed(), "Hypsometric scale of the input DEM"), 1u);
    EXPECT_EQ(fx.st.hypso_scale, 3);
    EXPECT_EQ(fx.st.coef, 1000);
}

TEST(ParameterDialog, EndPointsAreAskedAgainAfterEachCaution) {
    DialogFixture fx(
        "0 "
        "0 1 120.5  3 4 130.0 "   // lower point higher than the upper point
        "0 1 130.0  4 4 130.0 "   // equal altitudes pass, but line 4 is outside the grid
        "2 2 130.0  2 2 120.0 "   // the same pixel twice
        "0 1 250.5  3 4 150.0 "
        "1 0 0.5 1.0 40");
    parameters(fx.st, fx.con);
    const std::string out = fx.printed();
    EXPECT_EQ(count(out, "\n\n Starting point of the river skeleton (upper point) :"), 4u);
    EXPECT_EQ(count(out, "\n Caution: the altitude of the lower point is greater"
                         "\n          than the altitude of the upper point"), 1u);
    EXPECT_EQ(count(out, "must lie inside the grid"), 1u);
    EXPECT_EQ(count(out, "must be different pixels"), 1u);
    EXPECT_EQ(fx.con.key_waits(), 3);
    EXPECT_EQ(fx.report(), std::string(kPointsRecord) +
                               "\n\n Water layer above the river surface : "
                               "\n\n\tThickness above the starting point = 0.500000 "
                               "\n\tThickness above the end point = 1.000000 ");
}

TEST(ParameterDialog, RealsTooLargeForTheDemUnitAreAskedAgainOnTheirOwnQuestion) {
    DialogFixture fx("3  0 1 3000000.0 250.5  3 4 150.0  1  0 0.5 1.0  40");
    parameters(fx.st, fx.con);
    EXPECT_EQ(count(fx.printed(), "\n\tDEM altitude (meters with decimal value) = "), 3u);
    EXPECT_EQ(count(fx.printed(), "too large for the unit of the DEM"), 1u);
    EXPECT_DOUBLE_EQ(fx.st.alti_deb, 250.5);
}

TEST(ParameterDialog, ReportBlocksFollowTheRunOrderPointsWaveLayer) {
    DialogFixture fx("0  0 1 250.5  3 4 150.0  0  1 1.0 2 3  0 0.5 1.0  5");
    parameters(fx.st, fx.con);
    const std::string report = fx.report();
    const std::size_t points = report.find("Parameters values");
    const std::size_t wave = report.find("Gaussian parameters");
    const std::size_t layer = report.find("Water layer above the river surface");
    EXPECT_EQ(points, 3u);
    EXPECT_LT(points, wave);
    EXPECT_LT(wave, layer);
    EXPECT_NE(fx.printed().find("\n water layer thickness (meters with decimal value)"
                                "\n above the point (0 , 1) ? "
                                "\n\n water layer thickness (meters with decimal value)"
                                "\n above the point (3 , 4) ? "),
              std::string::npos);
}

TEST(ParameterDialog, WavesThatCannotSettleAreRefusedAndAskedAgain) {
    DialogFixture fx(
        "0  0 1 250.5  3 4 150.0  0 "
        "0 1.0 2 3 "     // no half wave length
        "2 1.0 9 3 "     // summit outside the grid
        "2 0.4 2 3 "     // summit below one unit
        "2 1.0 2 3 "     // one unit over more than one pixel
        "1 1.0 2 3 "     // settles
        "1  5");
    parameters(fx.st, fx.con);
    const std::string out = fx.printed();
    EXPECT_EQ(count(out, "\n\tHalf wave length (in pixels) ? "), 5u);
    EXPECT_EQ(count(out, "\n\n Gaussian Treatment : \n"), 1u);
    EXPECT_EQ(count(out, "\n\n Gaussian Curve Calculation \n"), 1u);
    EXPECT_EQ(fx.st.LO, 1);
    EXPECT_EQ(fx.st.water_layer, 1);
    EXPECT_EQ(fx.st.dthick_deb, 0.0);
    EXPECT_EQ(fx.st.thick, nullptr);
}

TEST(ParameterDialog, AMissingDemDescriptorIsCreatedWholeOnceItsExtremesAreKnown) {
    DialogFixture fx("0  0 1 250.5  3 4 150.0  1  0 0.5 1.0  40");
    fx.st.nomdescr3 = fx.dir / "dem_m4.txt";
    fx.st.flag_f3d = 1;
    fx.st.nb_lig3 = 4;
    fx.st.nb_col3 = 5;
    parameters(fx.st, fx.con);
    EXPECT_EQ(read_file(fx.st.nomdescr3), "4\n5\n4\n150000\n250000\n25\n");
}

TEST(ParameterDialog, RefusingBothOptionsIsAFatalStopThatLeavesNoResult) {
    DialogFixture fx("0  0 1 250.5  3 4 150.0  1 1");
    EXPECT_THROW(parameters(fx.st, fx.con), Stop);
    fx.st.results.reset();  // as the end of a stopped run does
    EXPECT_FALSE(file_exists(fx.st.nomdescr5));
    EXPECT_FALSE(file_exists(fx.st.nomdescr4));
}
