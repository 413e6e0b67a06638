// The window of the DEM a flood is run in, end to end, on a generated V-shaped valley of 10 m
// pixels: the ground rises 0.02 m a cell from the river's line (95 m there), so that a 1 m
// layer on the carved bed (flat at 95 m) wets the 49 lines on each side of the river, and no
// more. The river runs along one line; the cuts at its ends keep the flood between them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "gis_support.h"
#include "reach_window.h"

namespace {

constexpr double kDryDepth = -9999;  // the no data of the DEMs made here and of depth.tif

struct VValley {
    int lines = 160, cols = 300;
    int river_line = 80;  // the river's line; it runs from column 70 to 230

    std::vector<double> metres() const {
        std::vector<double> m;
        for (int i = 0; i < lines; ++i) {
            for (int j = 0; j < cols; ++j) m.push_back(95 + 0.02 * std::abs(i - river_line));
        }
        return m;
    }
    // A line along the river's line from column `from` to column `to` (cell centres).
    std::string line(int from, int to) const {
        const double y = kTransform[3] - (river_line + 0.5) * 10;
        return "LINESTRING (" + std::to_string(kTransform[0] + (from + 0.5) * 10) + " " + std::to_string(y) + "," +
               std::to_string(kTransform[0] + (to + 0.5) * 10) + " " + std::to_string(y) + ")";
    }
    std::string point(int j) const {
        return std::to_string(kTransform[0] + (j + 0.5) * 10) + "," +
               std::to_string(kTransform[3] - (river_line + 0.5) * 10);
    }
};

struct ReachWindow : ::testing::Test {
    TempDir dir;
    void make(const VValley& v, int from = 70, int to = 230) {
        make_geotiff(dir / "dem.tif", GDT_Float32, v.metres(), &kDryDepth, v.lines, v.cols);
        make_vector(dir / "river.geojson", wkbLineString, {v.line(from, to)});
    }
    RunResult flood(const std::string& dem, const std::string& out, const std::vector<std::string>& extra) {
        std::vector<std::string> args = {"flood", "--dem", dem, "--river", "river.geojson", "--width", "30",
                                         "--layer", "1", "--out", out};
        args.insert(args.end(), extra.begin(), extra.end());
        return gis(args, dir);
    }
    CPLJSONObject window(const std::string& out) const {
        return json_member(read_file(dir / (out + "/stats.json")), "window");
    }
    // The window the flood in `out` ran in: the runs it took, its first line and its lines.
    void expect_window(const std::string& out, int runs, int first_line, int lines) const {
        const CPLJSONObject w = window(out);
        EXPECT_EQ(w.GetInteger("runs"), runs);
        EXPECT_EQ(w.GetInteger("first_line"), first_line);
        EXPECT_EQ(w.GetInteger("lines"), lines);
    }
};

// The depth of the flood in `part` (a window) is that of `whole` at the same places, and
// `whole` is dry outside the window: the two floods are one.
void expect_same_flood(const std::string& part, const std::string& whole) {
    const Opened p = open_with_gdal(part), w = open_with_gdal(whole);
    ASSERT_EQ(p.transform[1], w.transform[1]);
    const double top = (w.transform[3] - p.transform[3]) / w.transform[1], left = (p.transform[0] - w.transform[0]) / w.transform[1];
    ASSERT_EQ(top, std::round(top));
    ASSERT_EQ(left, std::round(left));
    long wet_part = 0, wet_whole = 0, differ = 0;
    for (int i = 0; i < p.lines; ++i) {
        for (int j = 0; j < p.cols; ++j) {
            const double a = p.cells[static_cast<std::size_t>(i) * p.cols + j];
            const double b = w.cells[static_cast<std::size_t>(i + top) * w.cols + j + left];
            differ += a != b ? 1 : 0;
            wet_part += a != kDryDepth ? 1 : 0;
        }
    }
    for (const double d : w.cells) wet_whole += d != kDryDepth ? 1 : 0;
    EXPECT_EQ(differ, 0);
    EXPECT_GT(wet_part, 0);
    EXPECT_EQ(wet_part, wet_whole);
}

}  // namespace

TEST_F(ReachWindow, AFloodThatReachesTheWindowsSideGrowsItAndFloodsAsOnTheWholeDem) {
    // The reach's box holds lines 79 to 81 and columns 69 to 231; the flood wets lines 31 to
    // 129. At 150 m (15 cells) and 300 m the flood reaches the window's sides, at 600 m (60
    // cells: lines 19 to 141, columns 9 to 291) it stays inside, short of the DEM's edges.
    make(VValley{});
    const RunResult windowed = flood("dem.tif", "out", {"--margin", "150"});
    ASSERT_EQ(windowed.status, 0) << windowed.err;
    expect_window("out", 3, 19, 123);
    const CPLJSONObject w = window("out");
    EXPECT_EQ(w.GetDouble("margin_m"), 600);
    EXPECT_EQ(w.GetInteger("first_column"), 9);
    EXPECT_EQ(w.GetInteger("columns"), 283);
    EXPECT_EQ(w.GetDouble("x_min"), kTransform[0] + 9 * 10);
    EXPECT_EQ(w.GetDouble("y_max"), kTransform[3] - 19 * 10);
    EXPECT_NE(windowed.err.find("running again with 300 m"), std::string::npos) << windowed.err;
    EXPECT_NE(read_file(dir / "out/summary.txt").find("123 x 283 cells from line 19, column 9 of the DEM's 160 x 300"),
              std::string::npos);

    const RunResult whole = flood("dem.tif", "whole", {"--extent", "full"});
    ASSERT_EQ(whole.status, 0) << whole.err;
    expect_window("whole", 1, 0, 160);
    expect_same_flood(dir / "out/depth.tif", dir / "whole/depth.tif");
    EXPECT_EQ(json_member(read_file(dir / "out/stats.json"), "wet_volume_m3").ToDouble(),
              json_member(read_file(dir / "whole/stats.json"), "wet_volume_m3").ToDouble());

    // A library takes the window of its thickest level for all its levels.
    const RunResult library = gis({"flood", "--dem", "dem.tif", "--river", "river.geojson", "--width", "30", "--layers",
                                   "0.5:1:0.5", "--margin", "150", "--out", "library"},
                                  dir);
    ASSERT_EQ(library.status, 0) << library.err;
    EXPECT_EQ(open_with_gdal(dir / "library/stage.tif").lines, 123);
    EXPECT_EQ(window("library/layer_0.5").GetInteger("first_line"), 19);
    EXPECT_EQ(read_file(dir / "library/layer_1/depth.tif"), read_file(dir / "out/depth.tif"));
}

TEST_F(ReachWindow, AWindowAtTheDemsEdgeIsNotGrownForAFloodThatMeetsTheEdge) {
    // The river on line 10: the flood wets lines 0 to 59, meeting the DEM's north edge, and the
    // window at a margin of 700 m (70 cells) runs from line 0 to line 81.
    VValley v;
    v.river_line = 10;
    make(v);
    const RunResult r = flood("dem.tif", "out", {"--margin", "700"});
    ASSERT_EQ(r.status, 0) << r.err;
    expect_window("out", 1, 0, 82);
    // The same river as the set cells of a raster on the DEM's grid: the same window.
    std::vector<double> line(static_cast<std::size_t>(v.lines) * v.cols, 0);
    std::fill_n(line.begin() + v.river_line * v.cols + 70, 161, 1);
    make_geotiff(dir / "river.tif", GDT_Byte, line, nullptr, v.lines, v.cols);
    ASSERT_EQ(gis({"flood", "--dem", "dem.tif", "--river", "river.tif", "--width", "30", "--layer", "1", "--margin",
                   "700", "--out", "raster"},
                  dir)
                  .status,
              0);
    expect_window("raster", 1, 0, 82);
    EXPECT_EQ(window("raster").GetInteger("columns"), 300);
    EXPECT_NE(read_file(dir / "out/summary.txt").find("the flood reaches the DEM's edge"), std::string::npos);
    ASSERT_EQ(flood("dem.tif", "whole", {"--extent", "full"}).status, 0);
    expect_same_flood(dir / "out/depth.tif", dir / "whole/depth.tif");
}

TEST_F(ReachWindow, AMosaicOfFourTilesFloodsAsOneRasterAndItsEmptyPartsAreNeverRead) {
    // The valley cut into four tiles meeting at line 80, column 150, which the river crosses,
    // placed in a virtual raster of 100,000 x 100,000 cells (4 GB a byte a cell: no run of the
    // whole could be held), among cells without data, 50,000 cells from its corner.
    const VValley v;
    make(v);
    const std::vector<double> all = v.metres();
    std::string sources;
    for (const int top : {0, 80}) {
        for (const int left : {0, 150}) {
            std::vector<double> tile;
            for (int i = top; i < top + 80; ++i) {
                tile.insert(tile.end(), all.begin() + i * v.cols + left, all.begin() + i * v.cols + left + 150);
            }
            const std::string name = "tile_" + std::to_string(top) + "_" + std::to_string(left) + ".tif";
            make_geotiff(dir / name, GDT_Float32, tile, &kDryDepth, 80, 150);
            sources += "    <SimpleSource>\n      <SourceFilename relativeToVRT=\"1\">" + name +
                       "</SourceFilename>\n      <SourceBand>1</SourceBand>\n      <SrcRect xOff=\"0\" yOff=\"0\" "
                       "xSize=\"150\" ySize=\"80\"/>\n      <DstRect xOff=\"" + std::to_string(50000 + left) +
                       "\" yOff=\"" + std::to_string(50000 + top) + "\" xSize=\"150\" ySize=\"80\"/>\n    </SimpleSource>\n";
        }
    }
    const std::string origin = std::to_string(kTransform[0] - 500000) + ", 10, 0, " +
                               std::to_string(kTransform[3] + 500000) + ", 0, -10";
    write_file(dir / "mosaic.vrt", "<VRTDataset rasterXSize=\"100000\" rasterYSize=\"100000\">\n  <SRS>EPSG:32631</SRS>\n"
                                   "  <GeoTransform>" + origin + "</GeoTransform>\n  <VRTRasterBand dataType=\"Float32\" "
                                   "band=\"1\">\n    <NoDataValue>-9999</NoDataValue>\n" + sources +
                                   "  </VRTRasterBand>\n</VRTDataset>\n");
    const RunResult mosaic = flood("mosaic.vrt", "mosaic", {"--margin", "600"});
    ASSERT_EQ(mosaic.status, 0) << mosaic.err;
    EXPECT_EQ(window("mosaic").GetInteger("first_line"), 50019);
    EXPECT_EQ(window("mosaic").GetInteger("dem_lines"), 100000);
    ASSERT_EQ(flood("dem.tif", "tif", {"--margin", "600"}).status, 0);
    EXPECT_EQ(read_file(dir / "mosaic/depth.tif"), read_file(dir / "tif/depth.tif"));
    EXPECT_EQ(read_file(dir / "mosaic/extent.tif"), read_file(dir / "tif/extent.tif"));
    // A batch whose rows all name the mosaic: each row reads its own window, the rows at once.
    write_file(dir / "manifest.csv", "name,dem,river,width,layers,margin\n"
                                     "narrow,mosaic.vrt,river.geojson,30,1:1:1,600\n"
                                     "wide,mosaic.vrt,river.geojson,50,0.5:1:0.5,150\n");
    const RunResult batch = gis({"batch", "manifest.csv", "--out", "national"}, dir);
    ASSERT_EQ(batch.status, 0) << batch.err;
    EXPECT_EQ(read_file(dir / "national/narrow/layer_1/depth.tif"), read_file(dir / "mosaic/depth.tif"));
    EXPECT_EQ(window("national/wide/layer_1").GetInteger("first_column"), 50009);
    // The whole mosaic is refused for the memory it would take, with its size.
    const RunResult full = flood("mosaic.vrt", "full", {"--extent", "full"});
    EXPECT_NE(full.err.find("not enough memory for a run on the 100000 x 100000 cells of mosaic.vrt"), std::string::npos)
        << full.err;
}

TEST_F(ReachWindow, AMaskAndACentrelineLargerThanTheWindowAreReadForItAlone) {
    // The centreline, a line of 5 m cells finer than the DEM's (under no DEM cell's centre), runs
    // the DEM's whole length, and the mask raster
    // covers its lines 77 to 83; the reach is columns 120 to 180 between the points given, so
    // the window (600 m around them) leaves out both ends of the DEM, and of the centreline.
    const VValley v;
    make(v);
    std::vector<double> river(static_cast<std::size_t>(4) * v.lines * v.cols, 0);
    std::fill_n(river.begin() + 2 * v.river_line * 2 * v.cols, 2 * v.cols, 1);
    make_geotiff(dir / "river.tif", GDT_Byte, river, nullptr, 2 * v.lines, 2 * v.cols,
                 Transform{kTransform[0], 5, 0, kTransform[3], 0, -5});
    std::vector<double> mask(static_cast<std::size_t>(v.lines) * v.cols, 0);
    for (int i = 77; i <= 83; ++i) std::fill_n(mask.begin() + i * v.cols, v.cols, 1);
    make_geotiff(dir / "mask.tif", GDT_Byte, mask, nullptr, v.lines, v.cols);
    const std::vector<std::string> reach = {"--mask", "mask.tif", "--from", v.point(120), "--to", v.point(180),
                                            "--margin", "600"};
    auto with_mask = [&](const std::string& out, std::vector<std::string> extra) {
        std::vector<std::string> args = {"flood", "--dem", "dem.tif", "--river", "river.tif", "--layer", "1",
                                         "--out", out};
        args.insert(args.end(), reach.begin(), reach.end());
        args.insert(args.end(), extra.begin(), extra.end());
        return gis(args, dir);
    };
    const RunResult r = with_mask("out", {});
    ASSERT_EQ(r.status, 0) << r.err;
    const CPLJSONObject w = window("out");
    EXPECT_EQ(w.GetInteger("first_column"), 60);
    EXPECT_EQ(w.GetInteger("columns"), 181);
    EXPECT_EQ(w.GetInteger("runs"), 1);
    ASSERT_EQ(with_mask("whole", {"--extent", "full"}).status, 0);
    expect_same_flood(dir / "out/depth.tif", dir / "whole/depth.tif");
}

TEST(WindowBoxes, TheReachsBoxWidenedByTheMarginInWholeCellsWithinTheDem) {
    const DemGrid dem = DemGrid::whole(160, 300, Georef{});
    struct Case {
        Piece a, b, joined;
        double margin_m;
        Piece window;
    };
    const Case cases[] = {
        // The points of a reach: the upper end south-east of the lower one.
        {{90, 200, 1, 1}, {80, 120, 1, 1}, {80, 120, 11, 81}, 600, {20, 60, 131, 201}},
        {{79, 69, 3, 163}, Piece{}, {79, 69, 3, 163}, 600, {19, 9, 123, 283}},
        {Piece{}, {79, 69, 3, 163}, {79, 69, 3, 163}, 605, {18, 8, 125, 285}},  // 60.5 cells: 61
        {{0, 0, 1, 1}, {159, 299, 1, 1}, {0, 0, 160, 300}, 10, {0, 0, 160, 300}},
        {{10, 250, 2, 2}, Piece{}, {10, 250, 2, 2}, 1e300, {0, 0, 160, 300}},
    };
    auto same = [](const Piece& p, const Piece& q) {
        return p.line == q.line && p.col == q.col && p.lines == q.lines && p.cols == q.cols;
    };
    for (const Case& c : cases) {
        const Piece box = joined(c.a, c.b);
        EXPECT_TRUE(same(box, c.joined)) << box.line << " " << box.col << " " << box.lines << " " << box.cols;
        const Piece w = window_around(box, c.margin_m, 10, dem);
        EXPECT_TRUE(same(w, c.window)) << w.line << " " << w.col << " " << w.lines << " " << w.cols;
    }
}
