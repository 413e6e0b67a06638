// Bad inputs a user may give the program: each ends in a clear message and either the
// question again or a stop with exit status 1, never a crash, and the inputs stay untouched
// (every run through RiverCase::run checks them).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "test_support.h"

namespace {

bool has(const RunResult& r, const std::string& text) { return r.out.find(text) != std::string::npos; }

std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

struct BadInput : ::testing::Test {
    TempDir root;
    RiverCase c = RiverCase::small();
    void SetUp() override { c.write(root); }
    std::string at(const std::string& name) const { return c.folder(root) + name; }
    RunResult run(const std::string& answers) {
        RunResult r = c.run(root, answers);
        EXPECT_EQ(r.err, "");
        return r;
    }
    RunResult complete_run(const std::string& parameter_answers) {
        return run(c.opening_answers() + parameter_answers);
    }
};

}  // namespace

TEST_F(BadInput, AMaskDescriptorWithoutItsSizesStops) {
    write_file(at("mask.txt"), "3\n");
    RunResult r = run(c.opening_answers());
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(has(r, "The descriptor " + at("mask.txt") + " gives no usable size: 3 lines and 0 columns"));
    EXPECT_FALSE(file_exists(at("out_tarvex.raw")));
}

TEST_F(BadInput, AMaskDescriptorWithSizesBelowOneStops) {
    write_file(at("mask.txt"), "0 4 1 0 255 25");
    EXPECT_EQ(run(c.opening_answers()).status, 1);
    write_file(at("mask.txt"), "3 -4 1 0 255 25");
    EXPECT_EQ(run(c.opening_answers()).status, 1);
}

TEST_F(BadInput, ADescriptorWithoutANumberStopsNamingTheCause) {
    const struct {
        const char* bytes;
        std::size_t size;
        const char* cause;
    } cases[] = {
        {"lines: 3, columns: 4\n", 21, "the file starts with a byte-order mark or text, not a number"},
        {"\xFF\xFE" "3\0\n\0", 6, "the file starts with a byte-order mark or text, not a number"},  // UTF-16
        {"", 0, "the file is empty"},
        {" \n\t\n", 4, "the file is empty"},
    };
    for (const auto& k : cases) {
        write_file(at("skel.txt"), std::string(k.bytes, k.size));
        RunResult r = complete_run(RiverCase::kLayerOnlyAnswers);
        EXPECT_EQ(r.status, 1) << k.cause;
        EXPECT_TRUE(has(r, "Unable to read the file " + at("skel.txt") + ": " + k.cause)) << r.out;
        EXPECT_FALSE(file_exists(at("out_tarvex.raw")));
    }
}

TEST_F(BadInput, AUtf8ByteOrderMarkBeforeADescriptorOrTheAnswersIsSkipped) {
    write_file(at("skel.txt"), "\xEF\xBB\xBF" "3 4 1 0 255 25\n");
    RunResult r = run("\xEF\xBB\xBF" + c.opening_answers() + RiverCase::kLayerOnlyAnswers);
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_TRUE(has(r, "ALL THE FILES HAVE THE SAME SIZE"));
}

TEST_F(BadInput, AGridTooLargeForMemoryStopsBeforeAnythingIsAllocated) {
    // 10^10 cells: 102 GiB for the grids and 0.4 GiB for the pass lists, more than our machines have.
    write_file(at("mask.txt"), "100000 100000 1 0 255 25");
    RunResult r = run(c.opening_answers());
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(has(r, "Not enough memory for the grids of 100000 lines and 100000 columns: the run needs "
                       "102.9 GiB and "))
        << r.out;
    EXPECT_TRUE(has(r, " is available"));
    EXPECT_EQ(folder_files(c.folder(root)), c.input_names());
}

TEST_F(BadInput, NamesWithControlBytesAndOverlongAnswersAreAskedAgain) {
    const std::string overlong(5000, 'm');
    RunResult r = run("case " + overlong + " mask skel dem out\x01x " + std::string("o\0ut", 4) + " out " +
                      RiverCase::kLayerOnlyAnswers);
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_TRUE(has(r, "An answer cannot be longer than 4096 bytes: please answer again"));
    EXPECT_FALSE(has(r, overlong.substr(0, 4097)));  // never echoed or used whole
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\x01'), 0);
    EXPECT_EQ(occurrences(r.out, "A name cannot hold control characters: please answer again"), 2u);
    std::vector<std::string> expected = c.input_names();
    for (const char* suffix : {"_tarvex_m4.raw", "_tarvex_m4.txt", "_tarvex.xls", "_tarvex.raw", "_tarvex.txt"}) {
        expected.push_back(std::string("out") + suffix);
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(folder_files(c.folder(root)), expected);
}

TEST_F(BadInput, AWaveLongerThanTheSkeletonIsAskedAgain) {
    // The skeleton has 3 pixels: a wave of 2 x 2 + 1 samples cannot lie on it.
    RunResult r = complete_run("1  0 1 10.0  2 1 9.0  0 2 1.0 1 1  1 1.0 1 1  1  25");
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(has(r, "The half wave length must lie between 1 and 1 pixels"));
    // A skeleton of 2 pixels has room for no wave at all: the run goes on without one.
    write_file(at("skel.raw"), byte_raster({0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0}));
    r = complete_run("1  0 1 10.0  1 1 9.0  0  0 0.5 0.5  25");
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(has(r, "Caution: the river skeleton is too short for a wave of 3 pixels or more"));
    EXPECT_FALSE(has(r, "Gaussian Treatment"));
}

TEST_F(BadInput, AMissingDirectoryIsAMissingRaster) {
    RunResult r = run("nowhere mask skel dem out");
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(has(r, "\n No File " + root.path() + "/images/nowhere/mask.raw \n"));
}

TEST_F(BadInput, AResultFileThatCannotBeCreatedStopsNamingIt) {
    std::filesystem::create_directory(at("out_tarvex.xls"));  // a folder stands in the way
    RunResult r = run(c.opening_answers());
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(has(r, "Unable to create the file " + at("out_tarvex.xls")));
}

TEST_F(BadInput, AResultThatCannotBeWrittenToTheEndStopsAndLeavesThePreviousResults) {
    c = c.widened(4000);  // a result DEM of 48,000 bytes, a console transcript of a few thousand
    c.write(root);
    ASSERT_EQ(complete_run(RiverCase::kLayerOnlyAnswers).status, 0);
    const std::map<std::string, std::string> before = folder_contents(c.folder(root));
    // Files may grow to 30,000 bytes, as on a disk that is full: the result DEM cannot be
    // written to its end.
    RunOptions full_disk;
    full_disk.file_size_limit = 30000;
    RunResult r = c.run(root, c.opening_answers() + RiverCase::kLayerOnlyAnswers, full_disk);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(has(r, "Unable to write the file " + at("out_tarvex_m4.raw") + ": File too large")) << r.out;
    EXPECT_EQ(folder_contents(c.folder(root)), before);
}

TEST_F(BadInput, ADescriptorThatCannotBeCreatedStopsNamingIt) {
    std::remove(at("mask.txt").c_str());
    std::filesystem::create_symlink(root.path() + "/no/such/folder/mask.txt", at("mask.txt"));
    RunResult r = run("case mask 3 4 25 skel dem out");
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(has(r, "Unable to create the file " + at("mask.txt")));
}

TEST_F(BadInput, RastersShorterThanTheGridLeaveZeros) {
    write_file(at("mask.raw"), byte_raster({0, 1, 1, 0, 0, 1}));  // 6 of 12 cells
    std::vector<int> dem = c.dem;
    dem.pop_back();
    write_file(at("dem_m4.raw"), int_raster(dem) + "\x07\x01");  // the last cell incomplete
    RunResult r = complete_run("1  0 1 10.0  2 1 9.0  1  0 0.5 0.5  25");
    EXPECT_EQ(r.status, 0);
    // The short mask keeps (0,1), (0,2) and (1,1); the path (105, 100, 95) ends outside it at
    // (2,1), which is burnt but dry and then floods from (1,1) at 100. The incomplete last cell
    // reads 0.
    EXPECT_EQ(read_file(at("out_tarvex_m4.raw")),
              int_raster({1000, 105, 105, 1010, 1001, 100, 985, 1011, 1002, 100, 975, 0}));
    EXPECT_EQ(read_file(at("out_tarvex.raw")), byte_raster({0, 1, 1, 0, 0, 1, 0, 0, 0, 1, 0, 0}));
}

TEST_F(BadInput, NumbersThatAreNotFiniteOrTooLargeAreAskedAgain) {
    RunResult r = complete_run("1  0 1 nan inf 1e999 10.0  2 1 9.0  1  0 1e300 0.5 0.5  25");
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(has(r, "'nan' is not a decimal number"));
    EXPECT_TRUE(has(r, "'1e999' is not a decimal number"));
    EXPECT_TRUE(has(r, "too large for the unit of the DEM"));
}

TEST_F(BadInput, IntegersBeyond32BitsAreAskedAgain) {
    RunResult r = complete_run("1  4294967296 0 1 10.0  2 1 9.0  1  0 0.5 0.5  0 -5 25");
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(has(r, "'4294967296' is not a whole number"));
    EXPECT_TRUE(has(r, "greater than 0"));  // the pixel size
}

TEST_F(BadInput, ASkeletonOfOnePixelStops) {
    write_file(at("skel.raw"), byte_raster({0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    RunResult r = complete_run(RiverCase::kLayerOnlyAnswers);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(has(r, "The river skeleton has 1 pixel(s) after thinning"));
}

TEST_F(BadInput, AnUpperPointAwayFromTheSkeletonStops) {
    RunResult r = complete_run("0  0 3 10.0  2 1 9.0  1  0 0.5 0.5  25");
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(has(r, "The upper point (0 , 3) has no skeleton neighbour"));
}

TEST_F(BadInput, AWaveSummitOffThePathWarnsAndTheRunGoesOn) {
    RunResult r = complete_run("1  0 1 10.0  2 1 9.0  0 1 1.0 1 2  1  25");
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(has(r, "the summit of the wave (1 , 2) is not on the river path"));
}
