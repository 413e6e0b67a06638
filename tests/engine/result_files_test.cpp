// The result files of a run written without a console: the five results in their formats,
// and what a write that fails leaves.
#include "result_files.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "test_support.h"

namespace {

// The results of a 2 x 3 run.
Results two_by_three() {
    Results r;
    r.flooded_dem = IntGrid(2, 3);
    StageFixture::fill(r.flooded_dem, {1000, -1, 7, 8, 9, 10});
    r.extent = ByteGrid(2, 3);
    StageFixture::fill(r.extent, {0, 1, 1, 0, 7, 1});
    r.linear_profile = {50, 40};
    r.surface_profile = {55, 44};
    r.dem_range = DemRange{-1, 1000};
    r.report = "\n\n Input Data : ...";
    return r;
}

}  // namespace

TEST(ResultFiles, TheFiveResultsAreWrittenInTheirFormatsAndCommitted) {
    TempDir dir;
    write_results(dir / "r", two_by_three(), 25, nullptr, true);
    EXPECT_EQ(read_file(dir / "r_tarvex_m4.raw"), int_raster({1000, -1, 7, 8, 9, 10}));
    EXPECT_EQ(read_file(dir / "r_tarvex_m4.txt"), "2\n3\n4\n-1\n1000\n25\n");
    EXPECT_EQ(read_file(dir / "r_tarvex.xls"), "1\t50\t1\t55\n2\t40\t2\t44\n");
    EXPECT_EQ(read_file(dir / "r_tarvex.raw"), byte_raster({0, 1, 1, 0, 7, 1}));
    EXPECT_EQ(read_file(dir / "r_tarvex.txt"), "2\n3\n1\n0\n255\n25\n\n\n Input Data : ...");
    EXPECT_EQ(folder_files(dir.path()).size(), 5u);
}

TEST(ResultFiles, AFailureUnderAnyResultStopsNamingItAndCommitsNone) {
    for (int k = 0; k < 5; ++k) {
        TempDir dir;
        OutputSet set;
        ResultFiles files = ResultFiles::named(dir / "r");
        ASSERT_EQ(files.create(set), nullptr);
        ResultFile* results[5] = {&files.dem, &files.dem_descriptor, &files.table, &files.extent,
                                  &files.extent_descriptor};
        ASSERT_NE(std::freopen("/dev/full", "w", results[k]->stream), nullptr);  // the same stream, on a full disk
        try {
            write_results(files, set, two_by_three(), 25);
            ADD_FAILURE() << "no stop for " << results[k]->path;
        } catch (const Stop& stop) {
            EXPECT_EQ(std::string(stop.what()),
                      "\n Unable to write the file " + results[k]->path + ": No space left on device \n");
        }
    }
    // By name: a folder standing at one result's name; the earlier results stay as they were.
    TempDir dir;
    write_results(dir / "r", two_by_three(), 25, nullptr, true);
    const auto before = folder_contents(dir.path());
    std::filesystem::remove(dir / "r_tarvex.xls");
    std::filesystem::create_directory(dir / "r_tarvex.xls");
    Results other = two_by_three();
    other.report = "\n\n Input Data : other";
    EXPECT_THROW(write_results(dir / "r", other, 25, nullptr, true), Stop);
    for (const char* name : {"r_tarvex_m4.raw", "r_tarvex_m4.txt", "r_tarvex.raw", "r_tarvex.txt"}) {
        EXPECT_EQ(read_file(dir / name), before.at(name)) << name;
    }
    EXPECT_EQ(folder_files(dir.path()).size(), 5u);
}
