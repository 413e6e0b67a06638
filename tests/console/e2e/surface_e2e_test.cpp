// Complete runs of the built program whose results carry the river surface.
#include <gtest/gtest.h>

#include "test_support.h"

TEST(SurfaceRun, TheResultDemCarriesTheRiverSurfaceCellByCell) {
    TempDir root;
    RiverCase c = RiverCase::small();
    c.write(root);
    // Decimetres; 10.0 m to 9.0 m over 3 positions gives 100, 95, 90; the 0.5 m layer adds 5.
    RunResult r = c.run(root, c.opening_answers() + "1  0 1 10.0  2 1 9.0  1  0 0.5 0.5  25");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    // Column 1 is the path; column 2, the rest of the mask, takes its left neighbour's value.
    EXPECT_EQ(read_file(c.folder(root) + "out_tarvex_m4.raw"),
              int_raster({1000, 105, 105, 1010, 1001, 100, 100, 1011, 1002, 95, 95, 1012}));
    EXPECT_EQ(read_file(c.folder(root) + "out_tarvex.xls"), "1\t100\t1\t105\n2\t95\t2\t100\n3\t90\t3\t95\n");
    const std::string report = read_file(c.folder(root) + "out_tarvex.txt");
    const std::string tail =
        "\n\tThickness above the end point = 0.500000 "
        "\n Length parameter\n"
        "\n\tRiver segment length (in meters) = 50.000000 "
        "\n\tDistance between the segment extremities (in meters) = 50.000000 "
        "\n\tDegree of meander tortuosity = 1.000000 ";
    ASSERT_GE(report.size(), tail.size());
    EXPECT_EQ(report.substr(report.size() - tail.size()), tail);
    EXPECT_EQ(read_file(c.folder(root) + "mask.raw"), byte_raster(c.mask));  // inputs untouched
}
