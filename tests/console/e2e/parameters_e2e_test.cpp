// The parameter dialog of a run, driven through the built program.
#include <gtest/gtest.h>

#include "test_support.h"

namespace {

const char* kYesNo = "\n\t0 ====> yes\n\t1 ====> no\n\t";

std::string point_questions(const char* title) {
    return std::string(title) + "\n\n\ti = \n\tj = \n\tDEM altitude (meters with decimal value) = ";
}

bool starts_with(const std::string& text, const std::string& head) {
    return text.compare(0, head.size(), head) == 0;
}

}  // namespace

TEST(ParameterRun, TheDialogWithBothOptionsIsExact) {
    TempDir root;
    RiverCase c = RiverCase::small();
    c.write(root);
    RunResult r = c.run(root, c.opening_answers() + "0  0 1 10.0  2 1 9.0  0  1 1.0 1 1  0 0.5 0.5  25");
    EXPECT_EQ(r.err, "");
    const std::string dialog =
        "\n\n ALL THE FILES HAVE THE SAME SIZE"
        "\n\n Name of the resulting File (without any extension) ? "
        "\n\n\n Hypsometric scale of the input DEM :\n\tMin = -970 \n\tMax = 1012 \n\n"
        "\n Characteristic of this Hypsometric Scale\n\t0 ====> meters\n\t1 ====> decimeters"
        "\n\t2 ====> centimeters\n\t3 ====> millimeters\n\t"
        "\n\n NOTE : All parametric values will be reported in the descriptive"
        "\n        file of the image " + c.folder(root) + "out_tarvex.raw " +
        point_questions("\n\n Starting point of the river skeleton (upper point) :") +
        point_questions("\n\n End point of the river skeleton (lower point) :") +
        "\n\n Local river surface calculated by using a gaussian curve : " + kYesNo +
        "\n\n Gaussian Treatment : \n"
        "\n\tNOTE : the value of the factor value A is calculated by the algorithm \n "
        "\n\tHalf wave length (in pixels) ? "
        "\n\tGreater altitude of the wave (in meter with decimal value) ? "
        "\n\tCoordinates of the greater altitude : \n\n\t\ti = ? \n\t\tj = ? "
        "\n\n Gaussian Curve Calculation \n\n num_zero = 2 \n Calculated factor A = 0.500000 \n"
        "\n\n Water layer above the river surface :" + kYesNo + "\n"
        "\n water layer thickness (meters with decimal value)\n above the point (0 , 1) ? "
        "\n\n water layer thickness (meters with decimal value)\n above the point (2 , 1) ? "
        "\n\n Pixel size ? ";
    const std::size_t at = r.out.find("\n\n ALL THE FILES");
    ASSERT_NE(at, std::string::npos);
    EXPECT_TRUE(starts_with(r.out.substr(at), dialog)) << r.out.substr(at);

    const std::string report =
        c.report_head(root) +
        "\n\n Parameters values : "
        "\n\n\tStarting point : i = 0 \tj = 1 \t    DEM altitude = 10.000000 "
        "\n\tEnd point :       i = 2 \tj = 1 \t    DEM altitude = 9.000000 "
        "\n\n Gaussian parameters : \n\n\tCalculated factor A = 0.500000 "
        "\n\tHalf wave lenght (in pixels) = 1 "
        "\n\tGreater altitude of the wave (in meter with decimal value) = 1.000000 "
        "\n\tCoordinates of this point \ti = 1 \tj = 1 "
        "\n\n Water layer above the river surface : "
        "\n\n\tThickness above the starting point = 0.500000 "
        "\n\tThickness above the end point = 0.500000 ";
    EXPECT_TRUE(starts_with(read_file(c.folder(root) + "out_tarvex.txt"), report));
    EXPECT_EQ(read_file(c.folder(root) + "out_tarvex_m4.txt"), "3\n4\n4\n-970\n1012\n25\n");
}

TEST(ParameterRun, RefusingBothOptionsStopsWithStatus1AndWritesNoResult) {
    TempDir root;
    RiverCase c = RiverCase::small();
    c.write(root);
    RunResult r = c.run(root, c.opening_answers() + "0  0 1 10.0  2 1 9.0  1 1");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(r.out.size() >= 38 &&
                r.out.substr(r.out.size() - 38) == "\n\n Unable to start Flooding Treatment ");
    EXPECT_EQ(folder_files(c.folder(root)), c.input_names());
}

TEST(ParameterRun, ACreatedDemDescriptorAppearsWholeOnceTheDialogKnowsItsValues) {
    TempDir root;
    RiverCase c = RiverCase::small();
    c.write(root);
    const std::string descriptor = c.folder(root) + "dem_m4.txt";
    std::remove(descriptor.c_str());
    // Stopped before the dialog completes it: no descriptor at all, not a part of one.
    RunResult stopped = c.run(root, "case mask skel dem 3 4 30 out");
    EXPECT_EQ(stopped.status, 1);
    EXPECT_FALSE(file_exists(descriptor));
    // A run that reaches the dialog writes it with the range and the pixel size.
    RunResult done = c.run(root, "case mask skel dem 3 4 30 out " + std::string(RiverCase::kLayerOnlyAnswers));
    EXPECT_EQ(done.err, "");
    EXPECT_EQ(read_file(descriptor), "3\n4\n4\n-970\n1012\n25\n");
}
