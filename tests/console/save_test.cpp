// The writing stage: the five result files of a run, and what a write that fails leaves.
#include "save.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace {

// The results of a 2 x 3 run, and the five result files being written for them.
struct Saving {
    Saving() {
        f.nb_lig = 2;
        f.nb_col = 3;
        f.taille_pix = 25;
        f.nomim4 = dir / "r_tarvex_m4.raw";
        f.nomdescr4 = dir / "r_tarvex_m4.txt";
        f.nomxls4 = dir / "r_tarvex.xls";
        f.nomim5 = dir / "r_tarvex.raw";
        f.nomdescr5 = dir / "r_tarvex.txt";
        f.results = std::make_unique<OutputSet>();
        f.f4 = f.results->create(f.nomim4, "wb");
        f.f4d = f.results->create(f.nomdescr4, "w");
        f.f4xls = f.results->create(f.nomxls4, "w");
        f.f5 = f.results->create(f.nomim5, "wb");
        f.f5d = f.results->create(f.nomdescr5, "w");
        r.itab_in = IntGrid(2, 3);
        StageFixture::fill(r.itab_in, {1000, -1, 7, 8, 9, 10});
        r.tab_mask = ByteGrid(2, 3);
        StageFixture::fill(r.tab_mask, {0, 1, 1, 0, 7, 1});
        r.k_coord = {0, 50, 40};
        r.k_coord2 = {0, 55, 44};
        r.dem_min = -1;
        r.dem_max = 1000;
        r.report = "\n\n Input Data : ...";
    }
    TempDir dir;
    RunFiles f;
    Results r;
    ScriptedConsole sc{""};
};

}  // namespace

TEST(Save, TheFiveResultsAreWrittenInTheirFormatsAndCommitted) {
    Saving s;
    save(s.f, s.r, s.sc.con);
    EXPECT_EQ(read_file(s.f.nomim4), int_raster({1000, -1, 7, 8, 9, 10}));
    EXPECT_EQ(read_file(s.f.nomdescr4), "2\n3\n4\n-1\n1000\n25\n");
    EXPECT_EQ(read_file(s.f.nomxls4), "1\t50\t1\t55\n2\t40\t2\t44\n");
    EXPECT_EQ(read_file(s.f.nomim5), byte_raster({0, 1, 1, 0, 7, 1}));
    EXPECT_EQ(read_file(s.f.nomdescr5), "2\n3\n1\n0\n255\n25\n\n\n Input Data : ...");
    EXPECT_EQ(folder_files(s.dir.path()).size(), 5u);
}

TEST(Save, AFullDiskUnderAnyResultStopsNamingItAndCommitsNone) {
    for (int k = 0; k < 5; ++k) {
        Saving s;
        std::FILE* streams[5] = {s.f.f4, s.f.f4d, s.f.f4xls, s.f.f5, s.f.f5d};
        const std::string names[5] = {s.f.nomim4, s.f.nomdescr4, s.f.nomxls4, s.f.nomim5, s.f.nomdescr5};
        ASSERT_NE(std::freopen("/dev/full", "w", streams[k]), nullptr);  // the same stream, on a full disk
        EXPECT_THROW(save(s.f, s.r, s.sc.con), Stop) << names[k];
        EXPECT_NE(s.sc.out.str().find("Unable to write the file " + names[k] + ": No space left on device"),
                  std::string::npos)
            << s.sc.out.str();
        s.f.results.reset();  // as the end of a stopped run does
        EXPECT_TRUE(folder_files(s.dir.path()).empty()) << names[k];
    }
}
