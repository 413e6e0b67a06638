// Complete runs of the built program, one per option combination, whose five result files are
// compared byte for byte with files derived by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "test_support.h"

namespace {

// 4 x 5, decimetres, pixel size 10. The river runs down column 2 from (0,2) at 10.0 m to
// (3,2) at 7.0 m, so its linear profile is 100, 90, 80, 70; the mask is the river itself.
RiverCase valley() {
    RiverCase c;
    c.lines = 4;
    c.cols = 5;
    c.pixel = 10;
    c.mask = {0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0};
    c.skel = c.mask;
    c.dem = {200, 100, 50, 99, 200,   //
             200, 96,  50, 94, 200,   //
             200, 200, 50, 84, 80,    //
             200, 70,  50, 74, 200};
    return c;
}

const char* kPoints = "1  0 2 10.0  3 2 7.0  ";
const char* kWave = "0  1 1.0 1 2  ";
const char* kNoWave = "1  ";
const char* kLayer = "0 0.5 0.5  10";
const char* kNoLayer = "1  10";

std::string expected_report(const RiverCase& c, const TempDir& root, bool wave, bool layer) {
    std::string r = c.report_head(root) +
                    "\n\n Parameters values : "
                    "\n\n\tStarting point : i = 0 \tj = 2 \t    DEM altitude = 10.000000 "
                    "\n\tEnd point :       i = 3 \tj = 2 \t    DEM altitude = 7.000000 ";
    if (wave) {
        r += "\n\n Gaussian parameters : \n\n\tCalculated factor A = 0.500000 "
             "\n\tHalf wave lenght (in pixels) = 1 "
             "\n\tGreater altitude of the wave (in meter with decimal value) = 1.000000 "
             "\n\tCoordinates of this point \ti = 1 \tj = 2 ";
    }
    if (layer) {
        r += "\n\n Water layer above the river surface : "
             "\n\n\tThickness above the starting point = 0.500000 "
             "\n\tThickness above the end point = 0.500000 ";
    }
    return r + "\n Length parameter\n"
               "\n\tRiver segment length (in meters) = 30.000000 "
               "\n\tDistance between the segment extremities (in meters) = 30.000000 "
               "\n\tDegree of meander tortuosity = 1.000000 ";
}

struct Expected {
    std::vector<int> dem, water;
    std::string table, progress;
};

void expect_run(bool wave, bool layer, const Expected& e) {
    TempDir root;
    RiverCase c = valley();
    c.write(root);
    const std::string answers = c.opening_answers() + kPoints + (wave ? kWave : kNoWave) + (layer ? kLayer : kNoLayer);
    RunResult r = c.run(root, answers);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    const std::string out = c.folder(root) + "out";
    EXPECT_EQ(read_file(out + "_tarvex_m4.raw"), int_raster(e.dem));
    EXPECT_EQ(read_file(out + "_tarvex.raw"), byte_raster(e.water));
    EXPECT_EQ(read_file(out + "_tarvex.xls"), e.table);
    EXPECT_EQ(read_file(out + "_tarvex_m4.txt"), "4\n5\n4\n50\n200\n10\n");
    EXPECT_EQ(read_file(out + "_tarvex.txt"), expected_report(c, root, wave, layer));
    const std::string flood = "\n\n river construction \n\n\t    modif = 500     \r    "
                              "\n\n Last Treatment \n\n" + e.progress;
    ASSERT_GE(r.out.size(), flood.size());
    EXPECT_EQ(r.out.substr(r.out.size() - flood.size()), flood);
}

std::string progress(std::initializer_list<int> counts) {
    std::string text;
    for (int n : counts) text += "\t    modif = " + std::to_string(n) + "     \r    ";
    return text;
}

}  // namespace

TEST(FloodingRun, LayerOnly) {
    // Surface 105, 95, 85, 75. Pass 1 floods the six cells beside the river that lie below
    // it; pass 2 floods (1,1) from its higher neighbour above (105, not 95) and (2,4) at 85.
    expect_run(false, true,
               {{200, 105, 105, 105, 200,  //
                 200, 105, 95, 95, 200,    //
                 200, 200, 85, 85, 85,     //
                 200, 75, 75, 75, 200},
                {0, 1, 1, 1, 0, 0, 1, 1, 1, 0, 0, 0, 1, 1, 1, 0, 1, 1, 1, 0},
                "1\t100\t1\t105\n2\t90\t2\t95\n3\t80\t3\t85\n4\t70\t4\t75\n",
                progress({500, 6, 2})});
}

TEST(FloodingRun, WaveOnly) {
    // A one-pixel wave of 1.0 m (10 units) on (1,2): surface 100, 100, 80, 70. The water of
    // (1,3) reaches (2,3), then (2,4) and (3,3) at 100.
    expect_run(true, false,
               {{200, 100, 100, 100, 200,  //
                 200, 100, 100, 100, 200,  //
                 200, 200, 80, 100, 100,   //
                 200, 70, 70, 100, 200},
                {0, 0, 1, 1, 0, 0, 1, 1, 1, 0, 0, 0, 1, 1, 1, 0, 0, 1, 1, 0},
                "1\t100\t1\t100\n2\t90\t2\t100\n3\t80\t3\t80\n4\t70\t4\t70\n",
                progress({500, 3, 1, 2})});
}

TEST(FloodingRun, WaveAndLayer) {
    expect_run(true, true,
               {{200, 105, 105, 105, 200,  //
                 200, 105, 105, 105, 200,  //
                 200, 200, 85, 85, 85,     //
                 200, 75, 75, 75, 200},
                {0, 1, 1, 1, 0, 0, 1, 1, 1, 0, 0, 0, 1, 1, 1, 0, 1, 1, 1, 0},
                "1\t100\t1\t105\n2\t90\t2\t105\n3\t80\t3\t85\n4\t70\t4\t75\n",
                progress({500, 7, 1})});
}

TEST(FloodingRun, AMaskFileLongerThanTheGridFloodsLikeOneCutToIt) {
    TempDir root;
    RiverCase c = valley();
    c.write(root);
    write_file(c.folder(root) + "mask.raw", byte_raster(c.mask) + std::string(20, '\x01'));
    RunResult r = c.run(root, c.opening_answers() + kPoints + kNoWave + kLayer);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(read_file(c.folder(root) + "out_tarvex.raw"),
              byte_raster({0, 1, 1, 1, 0, 0, 1, 1, 1, 0, 0, 0, 1, 1, 1, 0, 1, 1, 1, 0}));
}

TEST(FloodingRun, TheSameCaseRunTwiceGivesIdenticalResults) {
    TempDir root;
    RiverCase c = valley();
    c.write(root);
    const std::string answers = c.opening_answers() + kPoints + kWave + kLayer;
    const char* suffixes[] = {"_tarvex_m4.raw", "_tarvex_m4.txt", "_tarvex.xls", "_tarvex.raw", "_tarvex.txt"};
    ASSERT_EQ(c.run(root, answers).status, 0);
    std::vector<std::string> first;
    for (const char* suffix : suffixes) first.push_back(read_file(c.folder(root) + "out" + suffix));
    RunResult again = c.run(root, answers);  // replaces the results of the first run
    ASSERT_EQ(again.status, 0);
    for (int k = 0; k < 5; ++k) {
        EXPECT_TRUE(read_file(c.folder(root) + "out" + suffixes[k]) == first[k]) << suffixes[k];
    }
}

TEST(DemoRun, TheDemoFloodsBeyondItsRiverMask) {
    TempDir root;
    const std::string folder = root.path() + "/images/demo";
    std::filesystem::create_directories(folder);
    ASSERT_EQ(std::system((std::string(TARVEX_MAKE_DEMO) + " " + folder + " " + (root / "answers.txt")).c_str()), 0);
    std::vector<std::string> inputs;
    for (const char* name : {"valley_mask.raw", "valley_mask.txt", "valley_skel.raw", "valley_skel.txt",
                             "valley_m4.raw", "valley_m4.txt"}) {
        inputs.push_back(folder + "/" + name);
    }
    FilesUnchanged unchanged(inputs);
    RunResult r = run_tarvex(root.path(), root.path() + "/images", read_file(root / "answers.txt"));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    const std::string mask = read_file(folder + "/valley_mask.raw");
    const std::string flood = read_file(folder + "/valley_flood_tarvex.raw");
    ASSERT_EQ(mask.size(), flood.size());
    EXPECT_GT(std::count(flood.begin(), flood.end(), '\x01'), 2 * std::count(mask.begin(), mask.end(), '\x01'));
    EXPECT_NE(read_file(folder + "/valley_flood_tarvex.txt").find("Degree of meander tortuosity"), std::string::npos);
}
