#include "parameters.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "report.h"
#include "test_support.h"

namespace {

// A 4 x 5 DEM whose range is 150000 .. 250000 (millimetres), pixel size 25 from the opening,
// with a skeleton of 5 pixels along line 2 (waves of up to 2 x 2 + 1 pixels).
struct DialogFixture {
    explicit DialogFixture(const std::string& answers, int lines = 4, int cols = 5) : console(answers) {
        inputs = Inputs{ByteGrid(lines, cols), ByteGrid(lines, cols), IntGrid(lines, cols)};
        files.taille_pix = 25;
        files.result_files = ResultFiles::named(dir / "r");
        if (lines != 4 || cols != 5) return;
        std::vector<int> dem(20, 200000);
        dem[7] = 150000;
        dem[13] = 250000;
        StageFixture::fill(inputs.dem, dem);
        std::vector<int> skeleton(20, 0);
        std::fill(skeleton.begin() + 10, skeleton.begin() + 15, 1);
        StageFixture::fill(inputs.skeleton, skeleton);
    }
    Parameters ask() { return parameters(files, inputs, console.con); }
    std::string printed() const { return console.out.str(); }

    TempDir dir;
    ScriptedConsole console;
    Inputs inputs;
    RunFiles files;
};

const char* kScaleMenu =
    "\n Characteristic of this Hypsometric Scale\n\t0 ====> meters\n\t1 ====> decimeters"
    "\n\t2 ====> centimeters\n\t3 ====> millimeters\n\t";

std::size_t count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

}  // namespace

TEST(ParameterDialog, TheRangeIsTheTrueDemRangeAndThePixelSizeTheLastAnswer) {
    DialogFixture fx("3  0 1 250.5  3 4 150.0  1  0 0.5 1.0  40");
    const Parameters p = fx.ask();
    const std::string range =
        "\n\n\n Hypsometric scale of the input DEM :\n\tMin = 150000 \n\tMax = 250000 \n\n";
    EXPECT_EQ(fx.printed().substr(0, range.size()), range);
    EXPECT_EQ(p.taille_pix, 40);
    EXPECT_EQ(p.coef(), 1000);
}

TEST(ParameterDialog, NegativeDemsReportTheirTrueMaximum) {
    DialogFixture fx("0  0 0 1.0  1 1 0.0  1  0 1 1  1", 2, 2);
    StageFixture::fill(fx.inputs.dem, {-40, -7, -12, -30});
    fx.ask();
    EXPECT_NE(fx.printed().find("\n\tMin = -40 \n\tMax = -7 \n\n"), std::string::npos);
}

TEST(ParameterDialog, TheScaleMenuIsShownAgainForCodesOutsideItsRange) {
    const std::pair<const char*, int> answers[] = {{"4 -1 x 3", 1000}, {"2", 100}, {"1", 10}, {"0", 1}};
    for (const auto& [scale, coef] : answers) {
        DialogFixture fx(std::string(scale) + "  0 1 250.5  3 4 150.0  1  0 0.5 1.0  40");
        EXPECT_EQ(fx.ask().coef(), coef) << scale;
        EXPECT_EQ(count(fx.printed(), "Hypsometric scale of the input DEM"), 1u);
        EXPECT_EQ(count(fx.printed(), kScaleMenu), coef == 1000 ? 4u : 1u);
    }
}

TEST(ParameterDialog, EndPointsAreAskedAgainAfterEachCaution) {
    DialogFixture fx(
        "0 "
        "0 1 120.5  3 4 130.0 "   // lower point higher than the upper point
        "0 1 130.0  4 4 130.0 "   // equal altitudes pass, but line 4 is outside the grid
        "2 2 130.0  2 2 120.0 "   // the same pixel twice
        "0 1 250.5  3 4 150.0 "
        "1 0 0.5 1.0 40");
    const Parameters p = fx.ask();
    const std::string out = fx.printed();
    EXPECT_EQ(count(out, "\n\n Starting point of the river skeleton (upper point) :"), 4u);
    EXPECT_EQ(count(out, "\n Caution: the altitude of the lower point is greater"
                         "\n          than the altitude of the upper point"), 1u);
    EXPECT_EQ(count(out, "must lie inside the grid"), 1u);
    EXPECT_EQ(count(out, "must be different pixels"), 1u);
    EXPECT_EQ(fx.console.con.key_waits(), 3);
    EXPECT_EQ(p.alti_deb, 250.5);
    EXPECT_EQ(p.ifin, 3);
    EXPECT_EQ(p.dthick_end, 1.0);
}

TEST(ParameterDialog, RealsTooLargeForTheDemUnitAreAskedAgainOnTheirOwnQuestion) {
    DialogFixture fx("3  0 1 3000000.0 250.5  3 4 150.0  1  0 0.5 1.0  40");
    const Parameters p = fx.ask();
    EXPECT_EQ(count(fx.printed(), "\n\tDEM altitude (meters with decimal value) = "), 3u);
    EXPECT_EQ(count(fx.printed(), "too large for the unit of the DEM"), 1u);
    EXPECT_DOUBLE_EQ(p.alti_deb, 250.5);
}

TEST(ParameterDialog, TheThicknessQuestionsNameTheirPoints) {
    DialogFixture fx("0  0 1 250.5  3 4 150.0  0  1 1.0 2 3  0 0.5 1.0  5");
    fx.ask();
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
    const Parameters p = fx.ask();
    const std::string out = fx.printed();
    EXPECT_EQ(count(out, "\n\tHalf wave length (in pixels) ? "), 5u);
    EXPECT_EQ(count(out, "\n\n Gaussian Treatment : \n"), 1u);
    EXPECT_EQ(count(out, "\n\n Gaussian Curve Calculation \n"), 1u);
    EXPECT_EQ(p.LO, 1);
    EXPECT_EQ(p.water_layer, 1);
    EXPECT_EQ(p.dthick_deb, 0.0);
}

TEST(ParameterDialog, AMissingDemDescriptorIsCreatedWholeOnceItsExtremesAreKnown) {
    DialogFixture fx("0  0 1 250.5  3 4 150.0  1  0 0.5 1.0  40");
    fx.files.nomdescr3 = fx.dir / "dem_m4.txt";
    fx.files.flag_f3d = 1;
    fx.files.nb_lig3 = 4;
    fx.files.nb_col3 = 5;
    fx.ask();
    EXPECT_EQ(read_file(fx.files.nomdescr3), "4\n5\n4\n150000\n250000\n25\n");
}

TEST(ParameterDialog, RefusingBothOptionsIsAFatalStop) {
    DialogFixture fx("0  0 1 250.5  3 4 150.0  1 1");
    EXPECT_THROW(fx.ask(), Stop);
    EXPECT_NE(fx.printed().find("\n\n Unable to start Flooding Treatment "), std::string::npos);
}

TEST(RunReport, BlocksFollowTheRunOrderInputsPointsWaveLayerLength) {
    RunScenario s;
    s.nomim1 = "m.raw";
    s.nomim2 = "s.raw";
    s.nomim3 = "d_m4.raw";
    s.parameters.gauss_treat = 0;
    s.parameters.water_layer = 0;
    const std::string report = run_report(s, 0.59, Measurements{});
    std::size_t at = 0;
    for (const char* block : {"\n\n Input Data : ", "\n\tDigital Elevation Model : d_m4.raw ", "Parameters values",
                              "Calculated factor A = 0.590000", "Water layer above the river surface",
                              "Length parameter"}) {
        const std::size_t found = report.find(block, at);
        EXPECT_NE(found, std::string::npos) << block;
        at = found;
    }
    s.parameters.gauss_treat = 1;
    EXPECT_EQ(run_report(s, 0.59, Measurements{}).find("Gaussian"), std::string::npos);
}
