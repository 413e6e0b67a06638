// tarvex-gis flood end to end, on a generated valley whose flood is known: a straight channel
// three cells wide along line 20 of a 40 x 60 grid of 10 m pixels (bed at 95 m, columns 4 to
// 56), a floodplain at 96 m on either side (lines 15 to 25) along the channel, and high ground
// at 100 m elsewhere. The centreline runs along the channel from column 5 to column 55.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "flood_setup.h"
#include "gis_support.h"
#include "picture_support.h"
#include "text.h"

namespace {

constexpr int kValleyLines = 40, kValleyCols = 60;

constexpr double kValleyNoData = -9999;

struct Spot {
    int i, j;
    double metres;  // kValleyNoData: a cell without data
};

struct Valley {
    double bed_from = 95, bed_to = 95;  // the channel's bed at columns 5 and 55, linear between
    int plain_from = 5, plain_to = 55;  // the floodplain's columns
    std::vector<Spot> spots = {};       // cells given another altitude

    std::vector<double> metres() const {
        std::vector<double> m;
        for (int i = 0; i < kValleyLines; ++i) {
            for (int j = 0; j < kValleyCols; ++j) {
                const double t = std::min(1.0, std::max(0.0, (j - 5) / 50.0));
                if (i >= 19 && i <= 21 && j >= 4 && j <= 56) {
                    m.push_back(bed_from + (bed_to - bed_from) * t);
                } else if (i >= 15 && i <= 25 && j >= plain_from && j <= plain_to) {
                    m.push_back(96);
                } else {
                    m.push_back(100);
                }
            }
        }
        for (const Spot& s : spots) m[static_cast<std::size_t>(s.i) * kValleyCols + s.j] = s.metres;
        return m;
    }
};

// The cells of the square of `radius` cells around (i, j), without data.
std::vector<Spot> no_data_around(int i, int j, int radius) {
    std::vector<Spot> spots;
    for (int di = -radius; di <= radius; ++di) {
        for (int dj = -radius; dj <= radius; ++dj) spots.push_back(Spot{i + di, j + dj, kValleyNoData});
    }
    return spots;
}

// The map coordinates of a cell's centre.
std::string point(int i, int j) {
    return std::to_string(kTransform[0] + (j + 0.5) * 10) + "," + std::to_string(kTransform[3] - (i + 0.5) * 10);
}

struct FloodRun : ::testing::Test {
    TempDir dir;
    void make(const Valley& v) {
        make_geotiff(dir / "dem.tif", GDT_Float32, v.metres(), &kValleyNoData, kValleyLines, kValleyCols);
        make_vector(dir / "river.geojson", wkbLineString, {"LINESTRING (500055 4799795,500555 4799795)"});
    }
    // The rules of the console program on the straight surface, without cuts at the ends: the
    // flood these tests derive by hand; cleared for the sound defaults.
    std::vector<std::string> rules = {"--rules", "described", "--surface", "straight", "--beyond-ends"};
    RunResult flood(const std::vector<std::string>& extra) {
        std::vector<std::string> args = {"flood", "--dem", "dem.tif", "--river", "river.geojson", "--out", "out"};
        args.insert(args.end(), extra.begin(), extra.end());
        args.insert(args.end(), rules.begin(), rules.end());
        return gis(args, dir);
    }
    std::string stats() const { return read_file(dir / "out/stats.json"); }
};

// A member of a JSON document: its figure, or its text.
double figure(const std::string& json, const std::string& name) { return json_member(json, name).ToDouble(-1e300); }
std::string text(const std::string& json, const std::string& name) { return json_member(json, name).ToString(); }

}  // namespace

TEST_F(FloodRun, TheFloodOfAKnownValleyHasItsHandComputedFiguresAndNoWarning) {
    make(Valley{});
    // Levels from the bed (95 m) at both ends, a 2 m layer: the surface at 97 m floods the
    // plain (96 m) 1 m deep on 4 lines each side over columns 5 to 55: 408 cells of 100 m2.
    RunResult r = flood({"--width", "30", "--layer", "2", "--unit", "cm"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string s = stats();
    EXPECT_DOUBLE_EQ(figure(s, "flooded_cells"), 408);
    EXPECT_DOUBLE_EQ(figure(s, "flooded_area_m2"), 40800.00);
    EXPECT_DOUBLE_EQ(figure(s, "volume_m3"), 40800.000);
    EXPECT_DOUBLE_EQ(figure(s, "mean_depth_m"), 1.000);
    EXPECT_DOUBLE_EQ(figure(s, "max_depth_m"), 1.000);  // beside the river, as the area
    EXPECT_DOUBLE_EQ(figure(s, "wet_max_depth_m"), 2.000);  // the channel
    EXPECT_DOUBLE_EQ(figure(s, "wet_cells"), 567);  // the 408 and the mask: 3 lines over columns 4 to 56
    EXPECT_DOUBLE_EQ(figure(s, "path_cells"), 51);
    EXPECT_DOUBLE_EQ(figure(s, "path_cells_below_ground"), 0);
    EXPECT_DOUBLE_EQ(figure(s, "flooded_cells_beyond_ends"), 0);
    EXPECT_DOUBLE_EQ(figure(s, "river_length_m"), 500.00);
    EXPECT_EQ(json_member(s, "warnings").ToArray().Size(), 0) << s;
    EXPECT_NE(r.out.find("warnings    none"), std::string::npos) << r.out;
    for (const char* name : {"depth.tif", "extent.tif", "extent.gpkg", "map.png", "profile.svg", "summary.txt"}) {
        EXPECT_TRUE(file_exists(dir / ("out/" + std::string(name)))) << name;
    }
    const Opened depth = open_with_gdal(dir / "out/depth.tif");
    EXPECT_DOUBLE_EQ(depth.cells[17 * kValleyCols + 30], 1.0);
    EXPECT_DOUBLE_EQ(depth.cells[20 * kValleyCols + 30], 2.0);
    EXPECT_DOUBLE_EQ(depth.cells[10 * kValleyCols + 30], -9999.0);  // dry
}

TEST_F(FloodRun, TheRunFolderReplaysByteForByteThroughTheConsoleProgram) {
    make(Valley{});
    ASSERT_EQ(flood({"--width", "30", "--layer", "1.5,2.5", "--wave", "100,0.8", "--unit", "mm"}).status, 0);
    const std::string images = dir / "out/run/images";
    const std::map<std::string, std::string> before = folder_contents(images + "/reach");
    RunResult replay = run_tarvex(dir.path(), "out/run/images", read_file(dir / "out/run/answers.txt"));
    ASSERT_EQ(replay.status, 0) << replay.out;
    EXPECT_TRUE(folder_contents(images + "/reach") == before);
    EXPECT_EQ(before.size(), 14u);  // the three inputs with descriptor and header, the five results
}

// The cuts at the ends are in the run's inputs (the cells past them out of the mask and high
// ground), so a run cut at its ends replays as well.
TEST_F(FloodRun, ARunCutAtItsEndsReplaysByteForByte) {
    make(Valley{95, 95, 0, 59});  // a floodplain past both ends
    rules = {"--rules", "described", "--surface", "straight"};
    ASSERT_EQ(flood({"--width", "30", "--layer", "2"}).status, 0);
    EXPECT_DOUBLE_EQ(open_with_gdal(dir / "out/depth.tif").cells[17 * kValleyCols + 58], -9999.0);  // past an end
    EXPECT_DOUBLE_EQ(open_with_gdal(dir / "out/depth.tif").cells[17 * kValleyCols + 30], 1.0);
    // The run's DEM: high ground past the ends (the channel's last cell and the corners too),
    // the ground elsewhere, whatever its height.
    const Opened dem = open_with_gdal(dir / "out/run/images/reach/dem_m4.raw");
    auto at = [&dem](int i, int j) { return dem.cells[static_cast<std::size_t>(i) * kValleyCols + j]; };
    for (const auto& [i, j] : {std::pair{17, 58}, {17, 0}, {20, 56}, {0, 59}, {39, 0}, {39, 59}, {0, 0}}) {
        EXPECT_EQ(at(i, j), 2147483647.0) << i << " " << j;
    }
    for (const auto& [i, j] : {std::pair{17, 30}, {20, 55}, {20, 5}, {0, 30}, {39, 30}, {17, 55}}) {
        EXPECT_LT(at(i, j), 2147483647.0) << i << " " << j;
    }
    const std::map<std::string, std::string> before = folder_contents(dir / "out/run/images/reach");
    ASSERT_EQ(run_tarvex(dir.path(), "out/run/images", read_file(dir / "out/run/answers.txt")).status, 0);
    EXPECT_TRUE(folder_contents(dir / "out/run/images/reach") == before);
}

TEST_F(FloodRun, EachWarningAppearsWhenItsCauseIsThere) {
    const struct {
        Valley valley;
        std::vector<std::string> options;
        const char* warning;
    } cases[] = {
        {Valley{}, {"--level-from", "94", "--level-to", "94", "--layer", "0.5"}, "lies below the ground on 51 of the 51"},
        {Valley{95, 95, 0, 59}, {"--layer", "2"}, "flooded cells lie past the ends of the reach"},
        {Valley{}, {"--level-from", "200", "--level-to", "199", "--layer", "1"}, "cells are deeper than 20 m"},
        {Valley{95, 96, 5, 55}, {"--from", point(20, 5), "--to", point(20, 55), "--layer", "2"},
         "lies above the level at the upper end (95.000 m): the water surface was kept level"},
        {Valley{95, 95, 0, 59}, {"--layer", "2"},
         "the flood reaches the DEM's edge on 22 cells (north 0, east 11, south 0, west 11): it may go on beyond"},
        // Three of its four neighbours: the described rules leave the one beyond it dry, with water
        // on its two sides.
        {Valley{95, 95, 5, 55, {{17, 30, kValleyNoData}}}, {"--layer", "2"},
         "the flood touches cells without data on 3 cells"},
        // A ditch from the floodplain to the south edge.
        {Valley{95, 95, 5, 55, {{26, 30, 96}, {27, 30, 96}, {28, 30, 96}, {29, 30, 96}, {30, 30, 96}, {31, 30, 96},
                                {32, 30, 96}, {33, 30, 96}, {34, 30, 96}, {35, 30, 96}, {36, 30, 96}, {37, 30, 96},
                                {38, 30, 96}, {39, 30, 96}}},
         {"--layer", "2"}, "the flood reaches the DEM's edge on 1 cells (north 0, east 0, south 1, west 0)"},
        // A trough below sea level from the channel to the west edge.
        {Valley{95, 95, 5, 55, {{20, 0, -1}, {20, 1, -1}, {20, 2, -1}, {20, 3, -1}}}, {"--layer", "2"},
         "the flood spreads over 1 cells at or below 0 m on the DEM's edge: probably the sea"},
    };
    for (const auto& k : cases) {
        make(k.valley);
        std::vector<std::string> options = {"--width", "30", "--overwrite"};
        options.insert(options.end(), k.options.begin(), k.options.end());
        RunResult r = flood(options);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_NE(stats().find(k.warning), std::string::npos) << k.warning << "\n" << stats();
        EXPECT_NE(r.out.find(k.warning), std::string::npos) << r.out;
    }
}

TEST_F(FloodRun, AStraightSurfaceBelowTheGroundWetsNoCell) {
    make(Valley{});
    ASSERT_EQ(flood({"--width", "30", "--level-from", "94", "--level-to", "94", "--layer", "0.5"}).status, 0);
    EXPECT_DOUBLE_EQ(figure(stats(), "wet_cells"), 0);
    EXPECT_DOUBLE_EQ(figure(stats(), "wet_max_depth_m"), 0.000);
    EXPECT_DOUBLE_EQ(figure(stats(), "wet_mean_depth_m"), 0.000);
}

TEST_F(FloodRun, EndPointsAreSnappedAndSaidWhereTheyLanded) {
    make(Valley{});
    // 25 m and 14 m beside the centreline's cells at columns 10 and 50.
    RunResult r = flood({"--width", "30", "--layer", "2", "--from", "500105,4799820", "--to", "500505,4799781"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("line 20 column 10, snapped 25.0 m from the point given"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("line 20 column 50, snapped 14.0 m from the point given"), std::string::npos) << r.out;
    EXPECT_DOUBLE_EQ(figure(stats(), "path_cells"), 41);
    EXPECT_DOUBLE_EQ(figure(stats(), "from_snapped_m"), 25.00);
    EXPECT_DOUBLE_EQ(figure(stats(), "to_snapped_m"), 14.00);
    EXPECT_EQ(stats().find("from the point given with"), std::string::npos) << stats();  // within 5 pixels
    // 105 m (10.5 pixels) north of the centreline: a point of another river, perhaps.
    r = flood({"--width", "30", "--layer", "2", "--from", "500105,4799900", "--overwrite"});
    ASSERT_EQ(r.status, 0) << r.err;
    const char* warning = "the upper end lies 105.0 m (10.5 pixels) from the point given with --from "
                          "(500105.0, 4799900.0): check that the point is on this river";
    EXPECT_NE(stats().find(warning), std::string::npos) << stats();
    EXPECT_NE(r.out.find(warning), std::string::npos) << r.out;
    EXPECT_DOUBLE_EQ(figure(stats(), "from_snapped_m"), 105.00);
    EXPECT_DOUBLE_EQ(figure(stats(), "to_snapped_m"), 0.00);  // an end of the centreline
}

TEST_F(FloodRun, ACommandThatCannotRunLeavesNoFolder) {
    make(Valley{});
    const struct {
        std::vector<std::string> options;
        const char* message;
    } cases[] = {
        {{"--width", "30"}, "give --layer, --wave or both"},
        {{"--layer", "1"}, "give either --mask MASK or --width METRES"},
        {{"--width", "30", "--mask", "m.tif", "--layer", "1"}, "give either --mask MASK or --width METRES"},
        {{"--width", "30", "--layer", "1", "--level-from", "90", "--level-to", "91"}, "give them the other way round"},
        {{"--width", "30", "--wave", "2000,1"}, "cannot be used on a path of 51 pixels"},
        {{"--width", "-3", "--layer", "1"}, "--width needs a width above 0 metres"},
        {{"--width", "30", "--layer", "1", "--layers", "0:2:1"}, "give --layer for one run or --layers for a library"},
        {{"--width", "30", "--layers", "2:0:1"}, "--layers needs FROM <= TO and a STEP above 0"},
        {{"--width", "30", "--layers", "1:1.000001:0.0000001"},
         "--layers 1:1.000001:0.0000001 gives levels that share the folder name layer_1 (a level is named with 6 "
         "significant digits): give a larger STEP"},
        {{"--width", "30", "--wave", "25000000000,1"},
         "the wave of 2.5e+10 m on each side (2500000000 pixels) cannot be used on a path of 51 pixels"},
        {{"--width", "30", "--layer", "1", "--from", "400000,4799795"},
         "--from (400000.0, 4799795.0) lies outside the DEM dem.tif, which spans x 500000.0 to 500600.0 and y "
         "4799600.0 to 4800000.0"},
        {{"--width", "30", "--layer", "1", "--to", "500100,1e12"}, "--to (500100.0, 1000000000000.0) lies outside"},
        {{"--width", "30", "--wave", "100,1,1e12,1e12"}, "--wave (1000000000000.0, 1000000000000.0) lies outside"},
        {{"--width", "30", "--layer", "1", "--level-from", "3e7"},
         "--level-from 3e+07 m does not fit a 32-bit altitude in cm: give a smaller value or a coarser --unit"},
        {{"--width", "30", "--layer", "1", "--level-to", "-3e7", "--unit", "mm"},
         "--level-to -3e+07 m does not fit a 32-bit altitude in mm"},
        {{"--width", "30", "--layer", "1,3e7"}, "--layer 3e+07 m does not fit a 32-bit altitude in cm"},
        {{"--width", "30", "--layers", "0:4e7:2e7"}, "--layers 4e+07 m does not fit a 32-bit altitude in cm"},
        {{"--width", "30", "--wave", "100,3e7"}, "--wave 3e+07 m does not fit a 32-bit altitude in cm"},
    };
    for (const auto& k : cases) {
        std::filesystem::remove_all(dir / "out");  // each case on its own, should one before it have run
        RunResult r = flood(k.options);
        EXPECT_EQ(r.status, 1) << k.message;
        EXPECT_NE(r.err.find(k.message), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("This value is too large for the unit of the DEM"), std::string::npos) << r.err;
        EXPECT_EQ(folder_files(dir.path()), (std::vector<std::string>{"dem.tif", "river.geojson"})) << k.message;
    }
}

TEST_F(FloodRun, ABranchedCentrelineIsRefusedWithWhereItBranches) {
    make(Valley{});
    // A side stream joins the channel at column 30 from the south.
    make_vector(dir / "river.geojson", wkbLineString,
                {"LINESTRING (500055 4799795,500555 4799795)", "LINESTRING (500305 4799795,500305 4799705)"});
    RunResult r = flood({"--width", "30", "--layer", "2", "--from", point(20, 5), "--to", point(20, 55)});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("the centreline branches between the two end points, at (500305.0, "),
              std::string::npos)
        << r.err;
    EXPECT_FALSE(file_exists(dir / "out"));
}

TEST_F(FloodRun, ARasterMaskInAnotherCoordinateSystemIsBroughtOntoTheDemsGrid) {
    make(Valley{});
    std::vector<double> channel(kValleyLines * kValleyCols, 0);
    for (int i = 19; i <= 21; ++i) {
        for (int j = 4; j <= 56; ++j) channel[static_cast<std::size_t>(i) * kValleyCols + j] = 1;
    }
    make_geotiff(dir / "channel.tif", GDT_Byte, channel, nullptr, kValleyLines, kValleyCols);
    // The same channel in longitude and latitude, cells of about 5 m.
    ASSERT_EQ(run_command({"/usr/bin/gdalwarp", "-q", "-t_srs", "EPSG:4326", "-r", "near", "-tr", "0.00006", "0.00006",
                           "channel.tif", "channel_wgs84.tif"},
                          dir.path())
                  .status,
              0);
    RunResult r = flood({"--mask", "channel_wgs84.tif", "--layer", "2"});
    ASSERT_EQ(r.status, 0) << r.err;
    const int flooded = static_cast<int>(figure(stats(), "flooded_cells"));
    EXPECT_GE(flooded, 400);  // the plain's 408 cells, give or take a cell at the channel's rim
    EXPECT_LE(flooded, 416);
    EXPECT_DOUBLE_EQ(figure(stats(), "path_cells"), 51);
}

// A library of three levels: the channel (95 m) is water from the first, the plain (96 m)
// floods only when the surface rises above it (a 2 m layer), the high ground never.
TEST_F(FloodRun, ALibraryRunsEachLevelAsASingleRunAndStacksThemInOneRaster) {
    make(Valley{});
    RunResult r = flood({"--width", "30", "--layers", "0:2:1", "--jobs", "2"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("a library of 3 levels in out (2 at once)"), std::string::npos) << r.out;
    const Opened stage = open_with_gdal(dir / "out/stage.tif");
    EXPECT_DOUBLE_EQ(stage.cells[20 * kValleyCols + 30], 0.0);
    EXPECT_DOUBLE_EQ(stage.cells[17 * kValleyCols + 30], 2.0);
    EXPECT_DOUBLE_EQ(stage.cells[5 * kValleyCols + 30], -9999.0);
    const CPLJSONArray levels = json_member(read_file(dir / "out/library.json"), "levels").ToArray();
    ASSERT_EQ(levels.Size(), 3);
    for (int k = 0; k < 3; ++k) {
        EXPECT_DOUBLE_EQ(levels[k].GetDouble("layer_m"), k);
        EXPECT_EQ(levels[k].GetString("folder"), "layer_" + std::to_string(k));
        EXPECT_EQ(levels[k].GetLong("flooded_cells"), k == 2 ? 408 : 0);
    }
    EXPECT_TRUE(file_exists(dir / "out/library.png"));
    // The levels' run inputs are written once, and linked into every level's folder.
    for (const char* input : {"mask.raw", "skeleton.txt", "dem_m4.raw", "dem_m4.hdr"}) {
        EXPECT_EQ(std::filesystem::hard_link_count(dir / ("out/layer_1/run/images/reach/" + std::string(input))), 3u)
            << input;
    }
    // Each level's folder is byte for byte what a single run at that level writes there.
    for (const char* level : {"0", "2"}) {
        const std::string folder = "out/layer_" + std::string(level);
        const Snapshot library(dir / folder);
        RunResult single = flood({"--width", "30", "--layer", level, "--out", folder, "--overwrite"});
        ASSERT_EQ(single.status, 0) << single.err;
        EXPECT_TRUE(library.unchanged()) << level;
    }
}

// A DEM says in its band how its values become metres: a scale and an offset, then a vertical
// unit. The valley stored so floods as the valley in metres does: its bed at 95 m, its plain's
// 408 cells under the 2 m layer. Its bed of 311.67978 ft is 94.9999969 m: 9499 cm.
TEST_F(FloodRun, TheDemsScaleOffsetAndVerticalUnitGiveItsAltitudesInMetres) {
    const double us_foot = 1200.0 / 3937.0;
    const struct {
        GDALDataType type;
        double scale, offset;
        const char* unit;     // in the file
        double unit_m;        // the metres of a unit, for storing the valley
        const char* z_unit;   // --z-unit, or none
        const char* level;    // the level at the upper end
        const char* refusal = nullptr;
        const char* note = nullptr;  // what the command says of the conversion
    } cases[] = {
        {GDT_Int16, 0.1, 0, "", 1, nullptr, "95.000", nullptr, "the altitudes of dem.tif are its values x 0.1 in metres"},
        {GDT_Float32, 1, 0, "ft", 0.3048, nullptr, "94.990"},
        {GDT_Int32, 0.01, 0, "US survey foot", us_foot, nullptr, "95.000"},
        {GDT_Float32, 1, 90, "metre", 1, nullptr, "95.000", nullptr, "are its values + 90 in metres: converted"},
        {GDT_Float32, 1, 0, "", 0.3048, "ft", "94.990"},  // feet the file does not mention
        {GDT_Float32, 1, 0, "furlong", 1, "m", "95.000"},
        {GDT_Float32, 1, 0, "furlong", 1, nullptr, nullptr,
         "dem.tif gives its altitudes in 'furlong', a unit tarvex-gis does not know: give it with --z-unit m, ft "
         "or us-ft"},
        {GDT_Float32, 1, 0, "", 1, "yard", nullptr, "--z-unit is m, ft or us-ft, not 'yard'"},
    };
    for (const auto& k : cases) {
        std::vector<double> stored = Valley{}.metres();
        for (double& v : stored) v = std::round((v / k.unit_m - k.offset) / k.scale * 1e6) / 1e6;
        make(Valley{});
        make_geotiff(dir / "dem.tif", k.type, stored, nullptr, kValleyLines, kValleyCols);
        set_band_units(dir / "dem.tif", k.scale, k.offset, k.unit);
        std::vector<std::string> options = {"--width", "30", "--layer", "2", "--overwrite"};
        if (k.z_unit != nullptr) options.insert(options.end(), {"--z-unit", k.z_unit});
        RunResult r = flood(options);
        const std::string what = std::string(GDALGetDataTypeName(k.type)) + " in '" + k.unit + "'";
        if (k.refusal != nullptr) {
            EXPECT_EQ(r.status, 1) << what;
            EXPECT_NE(r.err.find(k.refusal), std::string::npos) << r.err;
            continue;
        }
        ASSERT_EQ(r.status, 0) << what << ": " << r.err;
        EXPECT_EQ(strf("%.3f", figure(stats(), "level_from_m")), k.level) << what;
        if (k.note != nullptr) {
            EXPECT_NE(r.err.find(k.note), std::string::npos) << r.err;
        }
        EXPECT_DOUBLE_EQ(figure(stats(), "flooded_cells"), 408) << what;
    }
}

// The bed near an end is the lowest valid ground of the river mask within 3 cells: never a
// lower cell beside the mask, never a cell without data. Cells without data are no ground for
// the figures either: not below the water surface, never deep.
TEST_F(FloodRun, TheBedNearAnEndIsTheLowestValidGroundOfTheMask) {
    const std::vector<std::string> ends = {"--from", point(20, 5), "--to", point(20, 55)};
    const struct {
        std::vector<Spot> spots;
        std::vector<std::string> options;
        const char* level_from;  // none when refused
        const char* refusal;
    } cases[] = {
        // A pit in the high ground beside the mask (lines 19 to 21), within 3 cells of the upper end.
        {{{17, 3, 90}}, ends, "95.000", nullptr},
        // The end itself without data, ground of the mask beside it.
        {{{20, 5, kValleyNoData}, {19, 5, kValleyNoData}, {21, 5, kValleyNoData}}, {}, "95.000", nullptr},
        {no_data_around(20, 5, 3), ends, nullptr,
         "the upper end (500055.0, 4799795.0) has no valid ground within 3 cells in the river mask: every cell "
         "there is no data; give its level with --level-from, or move it with --from"},
        {no_data_around(20, 55, 3), ends, nullptr, "the lower end (500555.0, 4799795.0) has no valid ground"},
        // A low cell of the mask 3 cells from the upper end, the edge of the search: the bed.
        {{{20, 8, 94.5}}, ends, "94.500", nullptr},
        // Its level given, the path's cells without data are not below the water surface.
        {no_data_around(20, 5, 3), {"--level-from", "95", "--from", point(20, 5)}, "95.000", nullptr},
        // Without --from and --to, the ends' ground tells which is upstream: none there.
        {no_data_around(20, 5, 3), {}, nullptr,
         "the end (500055.0, 4799795.0) of the centreline has no valid ground within 3 cells: which end is "
         "upstream cannot be told; give the reach's ends with --from X,Y and --to X,Y"},
    };
    for (const auto& k : cases) {
        make(Valley{95, 95, 5, 55, k.spots});
        std::vector<std::string> options = {"--width", "30", "--layer", "2", "--overwrite"};
        options.insert(options.end(), k.options.begin(), k.options.end());
        RunResult r = flood(options);
        if (k.refusal != nullptr) {
            EXPECT_EQ(r.status, 1);
            EXPECT_NE(r.err.find(k.refusal), std::string::npos) << r.err;
            continue;
        }
        ASSERT_EQ(r.status, 0) << r.err;
        const std::string s = stats();
        EXPECT_EQ(strf("%.3f", figure(s, "level_from_m")), k.level_from) << s;
        EXPECT_DOUBLE_EQ(figure(s, "path_cells_below_ground"), 0) << s;
        EXPECT_DOUBLE_EQ(figure(s, "wet_max_depth_m"), 2.000) << s;
        const Opened depth = open_with_gdal(dir / "out/depth.tif"), extent = open_with_gdal(dir / "out/extent.tif");
        for (const Spot& spot : k.spots) {
            if (spot.metres != kValleyNoData) continue;
            EXPECT_DOUBLE_EQ(depth.cells[spot.i * kValleyCols + spot.j], -9999.0) << spot.i << " " << spot.j;
            EXPECT_DOUBLE_EQ(extent.cells[spot.i * kValleyCols + spot.j], 0.0) << spot.i << " " << spot.j;
        }
    }
}

namespace {

// The depth raster's cells, and the sums over them that the figures must agree with.
struct DepthSums {
    long long wet = 0;
    double volume_cells = 0, deepest = 0;
};
DepthSums sums_of(const Opened& depth) {
    DepthSums s;
    for (double d : depth.cells) {
        if (d == -9999.0) continue;
        ++s.wet;
        s.volume_cells += d;
        s.deepest = std::max(s.deepest, d);
    }
    return s;
}

}  // namespace

// A wall along line 22 sends the water round its two ends into lines 23 to 25, where the two
// fronts meet at column 30: each cell there has water on its left and its right at once. The
// described rules leave that stripe dry; the sound rules wet it, and every figure agrees with
// the depth raster.
TEST_F(FloodRun, UnderTheSoundRulesTheWaterMeetingFromTwoSidesLeavesNoDryStripe) {
    std::vector<Spot> wall;
    for (int j = 6; j <= 54; ++j) wall.push_back(Spot{22, j, 100});
    make(Valley{95, 95, 5, 55, wall});
    ASSERT_EQ(flood({"--width", "30", "--layer", "2"}).status, 0);
    EXPECT_DOUBLE_EQ(open_with_gdal(dir / "out/depth.tif").cells[24 * kValleyCols + 30], -9999.0);
    EXPECT_DOUBLE_EQ(open_with_gdal(dir / "out/depth.tif").cells[24 * kValleyCols + 29], 1.0);

    rules = {"--rules", "sound", "--surface", "straight", "--beyond-ends"};
    RunResult r = flood({"--width", "30", "--layer", "2", "--overwrite"});
    ASSERT_EQ(r.status, 0) << r.err;
    const Opened depth = open_with_gdal(dir / "out/depth.tif"), extent = open_with_gdal(dir / "out/extent.tif");
    for (int i = 23; i <= 25; ++i) EXPECT_DOUBLE_EQ(depth.cells[i * kValleyCols + 30], 1.0) << i;
    for (std::size_t k = 0; k < depth.cells.size(); ++k) {
        EXPECT_EQ(extent.cells[k] == 1.0, depth.cells[k] > 0) << "cell " << k;
    }
    const DepthSums sums = sums_of(depth);
    const std::string s = stats();
    EXPECT_DOUBLE_EQ(figure(s, "wet_cells"), sums.wet);
    EXPECT_NEAR(figure(s, "wet_volume_m3"), sums.volume_cells * 100, 5e-4);
    EXPECT_NEAR(figure(s, "wet_max_depth_m"), sums.deepest, 5e-4);
    EXPECT_NEAR(figure(s, "wet_area_m2"), sums.wet * 100.0, 5e-3);
    // Figures are given to the millimetre.
    const double mean = sums.volume_cells / static_cast<double>(sums.wet);
    EXPECT_DOUBLE_EQ(figure(s, "wet_mean_depth_m"), std::round(mean * 1000) / 1000);
    EXPECT_DOUBLE_EQ(figure(s, "flooded_cells"), sums.wet - 3 * 53);  // less the mask's cells
    EXPECT_DOUBLE_EQ(figure(s, "max_depth_m"), 1.000);  // the plain; the channel is 2 m deep
    EXPECT_EQ(text(s, "rules"), "sound");
    EXPECT_EQ(text(s, "surface"), "straight");
    EXPECT_FALSE(file_exists(dir / "out/run/answers.txt"));  // the console program cannot replay it
    const std::string scenario = read_file(dir / "out/run/scenario.json");
    EXPECT_NE(scenario.find("\"rules\":\"sound\""), std::string::npos) << scenario;
    EXPECT_NE(scenario.find("\"pixel_size_m\":10"), std::string::npos) << scenario;
    EXPECT_NE(scenario.find("\"lower_end\":{"), std::string::npos) << scenario;
    EXPECT_NE(scenario.find("\"layer_m\":[\n    2.0,\n    2.0\n  ]"), std::string::npos) << scenario;
    EXPECT_NE(scenario.find("tarvex-gis flood --beyond-ends --dem dem.tif"), std::string::npos) << scenario;
}

// A bumpy channel bed: the water stands 1 m above the bed carved so that it never rises
// downstream, as computed by hand from the bed's cells along line 20.
TEST_F(FloodRun, TheBedSurfaceStandsTheLayerAboveTheCarvedBed) {
    rules.clear();  // the defaults: sound rules, bed surface, cut at the ends
    // The bed falls from 95 m at column 5 to 82.5 m at column 55 (0.25 m a column, exact in
    // binary); a bump of 97 m at column 10 (carved 3 m) and one of 102 m at column 30 (a dam:
    // carved 13 m).
    make(Valley{95, 82.5, 5, 55, {{20, 10, 97}, {20, 30, 102}}});
    RunResult r = flood({"--width", "30", "--layer", "1", "--from", point(20, 5), "--to", point(20, 55)});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string csv = read_file(dir / "out/profile.csv");
    std::istringstream rows(csv);
    std::string header, row;
    std::getline(rows, header);
    EXPECT_EQ(header, "distance_m,x,y,ground_m,bed_m,surface_m");
    std::vector<std::string> lines;
    while (std::getline(rows, row)) lines.push_back(row);
    ASSERT_EQ(lines.size(), 51u);
    EXPECT_EQ(lines[0], "0.00,500055.000,4799795.000,95.000,95.000,96.000");
    EXPECT_EQ(lines[5], "50.00,500105.000,4799795.000,97.000,94.000,95.000");  // the bump, carved
    EXPECT_EQ(lines[25], "250.00,500305.000,4799795.000,102.000,89.000,90.000");  // the dam, carved
    EXPECT_EQ(lines[26], "260.00,500315.000,4799795.000,88.500,88.500,89.500");
    EXPECT_EQ(lines[50], "500.00,500555.000,4799795.000,82.500,82.500,83.500");
    const std::string s = stats();
    EXPECT_DOUBLE_EQ(figure(s, "water_level_from_m"), 96.000);
    EXPECT_DOUBLE_EQ(figure(s, "water_level_to_m"), 83.500);
    EXPECT_NE(r.out.find("water at 96.000 m (the carved bed at 95.000 m, and the layer)"), std::string::npos) << r.out;
    EXPECT_NE(s.find("the bed was carved more than 5 m into the ground on 1 path cells, 13.00 m at the deepest, at "
                     "(500305.0, 4799795.0)"),
              std::string::npos)
        << s;
    // --level-from and --level-to belong to the straight surface.
    RunResult refused = flood({"--width", "30", "--layer", "1", "--level-from", "96", "--overwrite"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("give them with --surface straight"), std::string::npos) << refused.err;
}

// A river bending round a U: its upper end at line 10, column 30, heading west, and its lower
// arm along line 30 below, heading west to its lower end at column 10, in a floodplain at 96 m
// with the channel at 95 m and a 2 m layer. The valley is cut across each end's direction,
// but only where that end is the nearest position of the path: the lower arm's floodplain,
// west of the upper end too, is flooded.
TEST_F(FloodRun, TheCutsAtTheEndsKeepTheFloodInTheReachWithoutCuttingAMeander) {
    std::vector<double> metres(static_cast<std::size_t>(kValleyLines) * kValleyCols, 100);
    for (int i = 3; i < kValleyLines - 3; ++i) {
        for (int j = 3; j < kValleyCols - 3; ++j) metres[static_cast<std::size_t>(i) * kValleyCols + j] = 96;
    }
    auto channel = [&](int i, int j) { metres[static_cast<std::size_t>(i) * kValleyCols + j] = 95; };
    for (int j = 30; j <= 50; ++j) channel(10, j);
    for (int i = 10; i <= 30; ++i) channel(i, 50);
    for (int j = 10; j <= 50; ++j) channel(30, j);
    make_geotiff(dir / "dem.tif", GDT_Float32, metres, &kValleyNoData, kValleyLines, kValleyCols);
    make_vector(dir / "river.geojson", wkbLineString,
                {"LINESTRING (500305 4799895,500505 4799895,500505 4799695,500105 4799695)"});
    const std::vector<std::string> options = {"--width", "30", "--layer", "2", "--from", point(10, 30), "--to",
                                              point(30, 10), "--overwrite"};
    auto depth = [this](int i, int j) { return open_with_gdal(dir / "out/depth.tif").cells[i * kValleyCols + j]; };
    auto cut_pixels = [this] {
        const Picture map = read_png(dir / "out/map.png");
        return map.count(Picture::Pixel{150, 0, 150}, 0, 0, map.width, map.height);
    };
    rules.clear();
    RunResult r = flood(options);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_DOUBLE_EQ(depth(10, 20), -9999.0);  // west of the upper end: cut
    EXPECT_DOUBLE_EQ(depth(30, 5), -9999.0);   // west of the lower end: cut
    EXPECT_DOUBLE_EQ(depth(25, 20), 1.0);      // beside the lower arm, west of the upper end
    EXPECT_DOUBLE_EQ(depth(20, 25), 1.0);      // inside the bend, nearer the lower arm
    EXPECT_DOUBLE_EQ(depth(20, 55), 1.0);      // beyond the bend, east
    EXPECT_DOUBLE_EQ(figure(stats(), "flooded_cells_beyond_ends"), 0);
    EXPECT_TRUE(json_member(stats(), "cut_at_ends").ToBool());
    EXPECT_GT(cut_pixels(), 0);
    rules = {"--beyond-ends"};
    r = flood(options);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_DOUBLE_EQ(depth(10, 20), 1.0);
    EXPECT_DOUBLE_EQ(depth(30, 5), 1.0);
    EXPECT_NE(r.out.find("flooded cells lie past the ends of the reach"), std::string::npos) << r.out;
    EXPECT_EQ(cut_pixels(), 0);
}

// The replay command: a library's level becomes its single layer, what does not change the
// flood is left out, and a word a shell would split or read otherwise is quoted.
TEST(FloodCommandLine, ALevelBecomesItsLayerAndWordsAShellWouldSplitAreQuoted) {
    RunSettings p;
    p.layer = LayerOptions{true, 1.5, 1.5};
    const std::map<std::string, std::string> given = {{"--dem", "my dem.tif"}, {"--layers", "0:2:0.5"},
                                                      {"--jobs", "2"},          {"--overwrite", ""},
                                                      {"--river", "it's.geojson"}};
    EXPECT_EQ(flood_command_line(given, p, "lib/layer_1.5"),
              "tarvex-gis flood --dem 'my dem.tif' --layer 1.5 --out lib/layer_1.5 --river 'it'\\''s.geojson'");
}

