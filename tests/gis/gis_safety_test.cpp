// tarvex-gis with people's data: no output ever replaces an input, outputs appear whole or not
// at all (a full disk, a signal), pixel sizes are metres or refused, and rasters larger than a
// piece are read and written piece by piece without losing a cell.
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <regex>
#include <thread>

#include "gis_support.h"
#include "picture_support.h"

namespace {

struct Refusal {
    std::vector<std::string> args;
    std::string message;
};

// Each command fails with exit status 1 and the message, and changes no file of the folders.
void expect_refused(const std::vector<Refusal>& cases, const TempDir& dir, long file_size_limit = 0) {
    for (const Refusal& c : cases) {
        const Snapshot before(dir.path());
        const RunResult r = gis(c.args, dir, file_size_limit);
        EXPECT_EQ(r.status, 1) << c.args[0] << " " << c.args[2];
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.message << " in: " << r.err;
        EXPECT_TRUE(before.unchanged()) << c.args[0] << " " << c.args[2] << ": a file changed or was left behind";
    }
}

}  // namespace

TEST_F(FloodedCase, OutputsNeverReplaceInputsOrTheirSidecarsWithOrWithoutOverwrite) {
    const std::string f = folder();
    std::filesystem::create_symlink(f + "dem_m4.raw", dir / "alias.tif");
    std::filesystem::create_hard_link(f + "dem_m4.raw", dir / "hard.tif");
    // An ENVI raster whose header GDAL finds beside it: envi.hdr belongs to envi.bin.
    std::filesystem::copy_file(f + "mask.raw", dir / "envi.bin");
    std::filesystem::copy_file(f + "mask.hdr", dir / "envi.hdr");
    const std::string like = f + "dem_m4.raw", input = "would replace the input ",
                      belongs = ", which belongs to the input ";
    expect_refused(
        {
            {{"export", like, like, "--like", like, "--overwrite"}, input + like},
            {{"export", base() + "_tarvex.raw", f + "dem_m4.hdr", "--like", like, "--overwrite"}, belongs + like},
            {{"export", base() + "_tarvex_m4.raw", f + "dem_m4.txt", "--like", like, "--depth", like, "--overwrite"},
             belongs + like},
            {{"export", like, "alias.tif", "--like", like, "--overwrite"}, "alias.tif " + input + like},
            {{"export", like, "hard.tif", "--like", like, "--overwrite"}, "hard.tif " + input + like},
            {{"import-dem", like, f + "dem", "--unit", "dm", "--overwrite"}, input + like},
            {{"import-mask", "river.tif", f + "dem_m4", "--like", like, "--overwrite"}, input + like},
            {{"import-mask", "envi.bin", "envi", "--overwrite"}, belongs + "envi.bin"},
            {{"render", base(), f + "mask.raw", "--overwrite"}, input + f + "mask.raw"},
            {{"profile", base(), base() + "_tarvex.xls", "--overwrite"}, input + base() + "_tarvex.xls"},
        },
        dir);
}

TEST_F(FloodedCase, AFullDiskFailsEachOutputAndLeavesNothingBehind) {
    const std::string like = folder() + "dem_m4.raw";
    expect_refused(
        {
            {{"import-dem", "dem.tif", "full", "--unit", "dm"}, "cannot write full_m4.raw: File too large"},
            {{"import-mask", "river.tif", "full"}, "cannot write full.hdr: File too large"},
            {{"export", base() + "_tarvex_m4.raw", "full.tif", "--like", like}, "cannot write full.tif"},
            {{"render", base(), "full.png", "--unit", "dm"}, "cannot write full.png: File too large"},
            {{"profile", base(), "full.svg", "--unit", "dm"}, "cannot write full.svg: File too large"},
        },
        dir, 64);
}

TEST(GisFullDisk, ASmallFileSystemRefusesWhatCannotFitAndFailsWhatDoesNotFitAfterAll) {
    TempDir dir;
    SmallDisk disk(dir / "small", "64k");
    if (!disk.mounted) GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(disk.error);
    // 200 x 200 altitudes that compress badly: 160,000 bytes of raw cells, more than 64 KiB once
    // compressed too.
    std::vector<double> metres(200 * 200);
    for (std::size_t k = 0; k < metres.size(); ++k) metres[k] = static_cast<double>((k * 2654435761u) % 1000003) / 1000;
    make_geotiff(dir / "dem.tif", GDT_Float32, metres, nullptr, 200, 200);
    ASSERT_EQ(gis({"import-dem", "dem.tif", "dem", "--unit", "mm"}, dir).status, 0);
    expect_refused(
        {
            {{"import-dem", "dem.tif", "small/dem", "--unit", "mm"}, "not enough disk space: small/dem_m4.raw"},
            {{"export", "dem_m4.raw", "small/dem.tif", "--like", "dem_m4.raw"}, "cannot write small/dem.tif"},
        },
        dir);
    EXPECT_TRUE(folder_files(disk.path).empty());
}

// A raster of a few bytes may declare billions of cells: one without a valid cell is refused
// before anything is written or allocated for its cells (a file size limit of 64 bytes makes
// any write fail, and cuts the messages there), and one too large for the memory is refused
// before its grid is allocated.
TEST(GisBoundedWork, HugeRastersWithoutAValidCellAreRefusedBeforeAnyWriteOrGrid) {
    TempDir dir;
    const std::string utm = "EPSG:32631", transform = "500000, 10, 0, 4800000, 0, -10";
    make_vrt(dir / "empty.vrt", 50000, 50000, utm, transform, "Float32", "-9999");
    make_vrt(dir / "huge_empty.vrt", 2000000, 2000000, utm, transform, "Float32", "-9999");
    make_vrt(dir / "zeros.vrt", 50000, 50000, utm, transform, "Byte");
    make_vrt(dir / "huge_zeros.vrt", 2000000, 2000000, utm, transform, "Byte");
    make_geotiff(dir / "line.tif", GDT_Byte, kRiver, nullptr);
    // The line in the corner of two million lines and columns.
    write_file(dir / "huge_line.vrt",
               "<VRTDataset rasterXSize=\"2000000\" rasterYSize=\"2000000\">\n  <SRS>" + utm +
                   "</SRS>\n  <GeoTransform>" + transform +
                   "</GeoTransform>\n  <VRTRasterBand dataType=\"Byte\" band=\"1\">\n    <SimpleSource>\n"
                   "      <SourceFilename relativeToVRT=\"1\">line.tif</SourceFilename>\n"
                   "      <SourceBand>1</SourceBand>\n      <SrcRect xOff=\"0\" yOff=\"0\" xSize=\"5\" ySize=\"4\"/>\n"
                   "      <DstRect xOff=\"0\" yOff=\"0\" xSize=\"5\" ySize=\"4\"/>\n    </SimpleSource>\n"
                   "  </VRTRasterBand>\n</VRTDataset>\n");
    make_vector(dir / "river.geojson", wkbLineString, {"LINESTRING (500005 4799965,500045 4799965)"});
    expect_refused(
        {
            {{"import-dem", "empty.vrt", "empty", "--unit", "m"}, "empty.vrt holds no valid altitude"},
            {{"import-mask", "zeros.vrt", "zeros"}, "zeros.vrt sets no cell"},
            {{"import-skeleton", "zeros.vrt", "zeros"}, "zeros.vrt sets no cell"},
            {{"flood", "--dem", "huge_empty.vrt", "--river", "river.geojson", "--width", "30", "--layer", "1", "--out",
              "out"},
             "huge_empty.vrt holds no valid altitude"},
            {{"flood", "--dem", "line.tif", "--river", "huge_zeros.vrt", "--width", "30", "--layer", "1", "--out", "out"},
             "huge_zeros.vrt sets no cell of the DEM's grid"},
            {{"endpoints", "huge_zeros.vrt"}, "huge_zeros.vrt sets no cell"},
            {{"endpoints", "huge_line.vrt"}, "not enough memory for the 2000000 x 2000000 cells"},
        },
        dir, 64);
    // One valid cell is enough, the first of the raster as well as any other.
    for (std::size_t k : {std::size_t(0), kDemMetres.size() - 2}) {
        std::vector<double> lone(kDemMetres.size(), -9999);
        lone[k] = 12.5;
        const double nodata = -9999;
        make_geotiff(dir / "lone.tif", GDT_Float32, lone, &nodata);
        const RunResult r = gis({"import-dem", "lone.tif", "lone", "--unit", "m", "--overwrite"}, dir);
        EXPECT_EQ(r.status, 0) << k << ": " << r.err;
    }
}

TEST(GisPixelSizes, AreMetresOrRefusedWithAWayOut) {
    TempDir dir;
    struct Case {
        std::string srs, transform;
        int pixel;            // the descriptor's, 0 when refused
        std::string message;  // the note or the refusal; none for an exact pixel in metres
    };
    const std::string utm = "EPSG:32631";
    const Case cases[] = {
        {utm, "500000, 10, 0, 4800000, 0, -10", 10, ""},
        {utm, "500000, 0.5, 0, 4800000, 0, -0.5", 1, "the pixel size of 0.5 m is recorded as 1 m in the descriptor"},
        {utm, "500000, 2.5, 0, 4800000, 0, -2.5", 3, "the pixel size of 2.5 m is recorded as 3 m in the descriptor"},
        {"EPSG:2227", "6000000, 10, 0, 2000000, 0, -10", 3,
         "in units of US survey foot (0.3048006096 m): its pixels of "
         "10 are 3.048006096 m"},
        {"EPSG:2222", "600000, 10, 0, 900000, 0, -10", 3, "its pixels of 10 are 3.048 m"},
        {"", "500000, 10, 0, 4800000, 0, -10", 10,
         "gives no coordinate system GDAL reads: its pixel size is taken in metres"},
        {utm, "500000, 3e9, 0, 4800000, 0, -3e9", 0, "pixels of 3000000000 m: not a plausible pixel size"},
        {utm, "500000, nan, 0, 4800000, 0, -10", 0, "has a georeferencing that is not made of numbers"},
        {utm, "500000, 0, 0, 4800000, 0, -10", 0, "a pixel size must be a positive number"},
        {utm, "500000, 10, 0, 4800000, 0, -20", 0,
         "tarvex needs square pixels; resample it first, e.g. gdalwarp -tr 10 10"},
        {"EPSG:4326", "2.5, 0.001, 0, 48.8, 0, -0.001", 0,
         "is in geographic coordinates (degrees), not metres: reproject it to a coordinate system in metres first, "
         "e.g. "
         "gdalwarp -t_srs EPSG:32631"},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string name = "p" + std::to_string(n++);
        make_vrt(dir / (name + ".vrt"), kCols, kLines, c.srs, c.transform);
        const Snapshot before(dir.path());
        const RunResult r = gis({"import-dem", name + ".vrt", name, "--unit", "m"}, dir);
        if (c.message.empty()) {
            EXPECT_EQ(r.err, "");
        }
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.message << " in: " << r.err;
        if (c.pixel == 0) {
            EXPECT_EQ(r.status, 1) << c.transform;
            EXPECT_TRUE(before.unchanged()) << c.transform;
            continue;
        }
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(read_file(dir / (name + "_m4.txt")), "4\n5\n4\n0\n0\n" + std::to_string(c.pixel) + "\n");
        // The ENVI header keeps the real pixel size, in the raster's own units.
        const Opened envi = open_with_gdal(dir / (name + "_m4.raw"));
        EXPECT_DOUBLE_EQ(envi.transform[1], std::stod(c.transform.substr(c.transform.find(", ") + 2)));
    }
}

namespace {

struct FloodedCaseOfSmallPixels : FloodedCase {
    FloodedCaseOfSmallPixels() { pixel = 2.5; }
};

}  // namespace

TEST_F(FloodedCaseOfSmallPixels, AreasVolumesAndDistancesUseTheRealPixelSize) {
    const std::vector<std::string> stats = {"stats",  base(), "--dem", folder() + "dem_m4.raw",
                                            "--unit", "dm",   "--json"};
    RunResult r = gis(stats, dir);
    ASSERT_EQ(r.status, 0) << r.err;
    // The eight cells of the flood beside the river, 6.25 m2 each, 3.3 m of depth in all.
    EXPECT_DOUBLE_EQ(json_member(r.out, "flooded_cells").ToDouble(), 8) << r.out;
    EXPECT_DOUBLE_EQ(json_member(r.out, "flooded_area_m2").ToDouble(), 50) << r.out;
    EXPECT_DOUBLE_EQ(json_member(r.out, "flood_volume_m3").ToDouble(), 20.625) << r.out;
    ASSERT_EQ(gis({"profile", base(), "profile.svg", "--unit", "dm"}, dir).status, 0);
    const std::string svg = read_file(dir / "profile.svg");
    // The path's 4 cells are 3 steps of 2.5 m: the distance axis ends at 7.5 m, its round ticks
    // at 0, 2, 4 and 6 m (in the report's whole 3 m it would reach 9 m, with a tick at 8).
    EXPECT_EQ(svg_x_grid(svg).size(), 4u);

    // Without the ENVI header the DEM has no georeferencing: the run report's whole metres.
    std::filesystem::remove(folder() + "dem_m4.hdr");
    r = gis(stats, dir);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_DOUBLE_EQ(json_member(r.out, "flooded_area_m2").ToDouble(), 72) << r.out;
    EXPECT_NE(r.err.find("the pixel size is taken from the run report, 3 m"), std::string::npos) << r.err;
}

TEST(GisSignals, AnInterruptedImportLeavesNothingBehind) {
    TempDir dir;
    // 400 MB of altitudes to write: the signal comes while the first of them are written.
    make_vrt(dir / "large.vrt", 10000, 10000, "EPSG:32631", "500000, 10, 0, 4800000, 0, -10");
    const std::vector<std::string> before = folder_files(dir.path());
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        GisProcess gis_run({"import-dem", "large.vrt", "large", "--unit", "m"}, dir.path());
        for (int wait = 0; wait < 5000 && folder_files(dir.path()) == before; ++wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        kill(gis_run.pid(), sig);
        EXPECT_EQ(gis_run.wait().status, 128 + sig) << strsignal(sig);
        EXPECT_EQ(folder_files(dir.path()), before) << strsignal(sig);
    }
}

TEST(GisLargeRasters, PiecesCoverEveryCellOnceInOrder) {
    TempDir dir;
    // A grid of two pieces of whole lines, and one whose lines are longer than a piece.
    for (const auto& [lines, cols] : {std::pair<int, int>{1100, 1000}, std::pair<int, int>{2, 1100000}}) {
        std::vector<double> metres;
        std::vector<int> altitudes;  // whole metres, each cell its own
        for (int i = 0; i < lines; ++i) {
            for (int j = 0; j < cols; ++j) {
                altitudes.push_back((i * 7 + j * 13) % 100000);
                metres.push_back(altitudes.back());
            }
        }
        const std::string name = "g" + std::to_string(cols);
        make_geotiff(dir / (name + ".tif"), GDT_Float32, metres, nullptr, lines, cols);
        ASSERT_EQ(gis({"import-dem", name + ".tif", name, "--unit", "m"}, dir).status, 0);
        EXPECT_TRUE(read_file(dir / (name + "_m4.raw")) == int_raster(altitudes)) << name;
        if (lines < 256) continue;  // a GeoTIFF of few long lines is slow to write: its tiles are mostly empty
        ASSERT_EQ(gis({"export", name + "_m4.raw", name + "_back.tif", "--like", name + "_m4.raw"}, dir).status, 0);
        const Opened back = open_with_gdal(dir / (name + "_back.tif"));
        EXPECT_TRUE(std::equal(back.cells.begin(), back.cells.end(), altitudes.begin(), altitudes.end())) << name;
    }
    // Polygons burnt over the boundary of the two pieces (line 1048): lines 1000 to 1099 of
    // columns 100 to 899.
    make_vector(dir / "river.geojson", wkbPolygon,
                {"POLYGON ((501000 4790000,509000 4790000,509000 4789000,501000 4789000,501000 4790000))"});
    ASSERT_EQ(gis({"import-mask", "river.geojson", "river", "--like", "g1000_m4.raw"}, dir).status, 0);
    std::vector<int> expected(1100 * 1000, 0);
    for (int i = 1000; i < 1100; ++i) std::fill(&expected[i * 1000 + 100], &expected[i * 1000 + 900], 1);
    EXPECT_TRUE(read_file(dir / "river.raw") == byte_raster(expected));
}
