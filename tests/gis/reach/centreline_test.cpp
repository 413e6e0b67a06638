// Tests of the centreline made what the engine follows: thinning, its end and branch pixels,
// the single line between two points, snapping, the cells near it, bringing rasters and
// vector files onto a DEM's grid, and the endpoints command.
#include <ogr_srs_api.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>

#include "centreline.h"
#include "thinning.h"
#include "gis_support.h"
#include "stop.h"

// How GoogleTest prints a cell: (line, column).
static void PrintTo(Cell c, std::ostream* out) { *out << "(" << c.i << ", " << c.j << ")"; }

namespace {

// A grid drawn as text: '#' set, anything else not.
ByteGrid drawn(const std::vector<std::string>& rows) {
    ByteGrid g(static_cast<int>(rows.size()), static_cast<int>(rows[0].size()));
    for (int i = 0; i < g.nb_lig(); ++i) {
        for (int j = 0; j < g.nb_col(); ++j) g[i][j] = rows[i][j] == '#' ? 1 : 0;
    }
    return g;
}

std::vector<std::string> drawing(const ByteGrid& g) {
    std::vector<std::string> rows;
    for (int i = 0; i < g.nb_lig(); ++i) {
        rows.emplace_back();
        for (int j = 0; j < g.nb_col(); ++j) rows.back() += g[i][j] != 0 ? '#' : '.';
    }
    return rows;
}

// The drawing turned a quarter clockwise.
std::vector<std::string> turned(const std::vector<std::string>& rows) {
    std::vector<std::string> out(rows[0].size(), std::string(rows.size(), '.'));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        for (std::size_t j = 0; j < rows[0].size(); ++j) out[j][rows.size() - 1 - i] = rows[i][j];
    }
    return out;
}

DemGrid dem_grid(int lines, int cols) { return DemGrid::whole(lines, cols, Georef{true, {500000, 10, 0, 4800000, 0, -10}, utm_wkt()}); }

std::size_t set_cells(const ByteGrid& g) {
    return static_cast<std::size_t>(std::count(g.data(), g.data() + g.cells(), 1));
}

std::string refusal(const std::function<void()>& fn) {
    try {
        fn();
    } catch (const Stop& stop) {
        return stop.what();
    }
    return "(no refusal)";
}

// The path the engine traces from `start` on a skeleton: the last set neighbour not yet
// visited, in its visiting order, each step.
std::vector<Cell> engine_trace(ByteGrid g, Cell start) {
    std::vector<Cell> path{start};
    g[start.i][start.j] = 0;
    for (bool moved = true; moved;) {
        moved = false;
        for (int k = 7; k >= 0 && !moved; --k) {
            const Cell n{path.back().i + kRing[k].di, path.back().j + kRing[k].dj};
            if (!is_set(g, n.i, n.j)) continue;
            g[n.i][n.j] = 0;
            path.push_back(n);
            moved = true;
        }
    }
    return path;
}

}  // namespace

TEST(CentrelineThinning, ABandThreePixelsWideBecomesItsMiddleLineEndToEnd) {
    ByteGrid g = drawn({"..............",  //
                        ".############.",  //
                        ".############.",  //
                        ".############.",  //
                        ".............."});
    thin_centreline(g);
    EXPECT_EQ(drawing(g), (std::vector<std::string>{"..............", "..............", ".############.",
                                                    "..............", ".............."}));
}

// Peeled in line order without care, a band two pixels wide along a diagonal wears away from
// one end to the other; thinned, it stays a line from end to end.
TEST(CentrelineThinning, ADiagonalBandTwoPixelsWideStaysALineOfItsWholeLength) {
    std::vector<std::string> rows(10, std::string(12, '.'));
    for (int k = 0; k < 10; ++k) rows[k][k] = rows[k][k + 1] = '#';
    ByteGrid g = drawn(rows);
    thin_centreline(g);
    const CentrelinePoints p = centreline_points(g);
    ASSERT_EQ(p.ends.size(), 2u) << testing::PrintToString(drawing(g));
    EXPECT_TRUE(p.branches.empty());
    EXPECT_LE(p.ends[0].i, 1);  // the thick end loses a cell, as any thinning of it does
    EXPECT_EQ(p.ends[1].i, 9);
    // One line: the path between its ends is every cell of it.
    EXPECT_EQ(reach_between(g, dem_grid(10, 12), p.ends[0], p.ends[1]).size(), set_cells(g));
}

// An elbow is the corner of two orthogonal neighbours at right angles; the engine thins those
// away from the border only, so the centreline must have none anywhere.
TEST(CentrelineThinning, EveryElbowGoesInEachOrientationInsideAndOnTheBorder) {
    const std::vector<std::vector<std::string>> shapes = {
        {".....", ".###.", ".#...", ".#...", "....."},  // inside
        {"###..", "#....", "#....", "....."},            // in a corner of the grid
        {"..###", "..#..", "..#..", "....."},            // on the top border
    };
    for (const auto& shape : shapes) {
        std::vector<std::string> rows = shape;
        for (int turn = 0; turn < 4; ++turn, rows = turned(rows)) {
            ByteGrid g = drawn(rows);
            thin_centreline(g);
            std::vector<std::string> expected = rows;
            int removed = 0;
            for (int i = 0; i < g.nb_lig(); ++i) {
                for (int j = 0; j < g.nb_col(); ++j) {
                    const int code = ring_code(drawn(rows), i, j);
                    const bool elbow = rows[i][j] == '#' && (code == 10 || code == 40 || code == 160 || code == 130);
                    if (elbow) expected[i][j] = '.';
                    removed += elbow ? 1 : 0;
                }
            }
            EXPECT_EQ(removed, 1) << testing::PrintToString(rows);
            EXPECT_EQ(drawing(g), expected) << "from " << testing::PrintToString(rows);
        }
    }
}

TEST(CentrelineReach, BetweenTwoPointsOfALongerLineIsTheLineTheEngineTracesBetweenThem) {
    const ByteGrid g = drawn({"#.........",  //
                              ".#........",  //
                              "..##......",  //
                              "....#.....",  //
                              "....#.....",  //
                              ".....###..",  //
                              "........#.",  //
                              ".........#"});
    const std::vector<Cell> reach = reach_between(g, dem_grid(8, 10), Cell{1, 1}, Cell{5, 7});
    const std::vector<Cell> expected = {{1, 1}, {2, 2}, {2, 3}, {3, 4}, {4, 4}, {5, 5}, {5, 6}, {5, 7}};
    EXPECT_EQ(testing::PrintToString(reach), testing::PrintToString(expected));
    // Handed alone to the engine, it is followed exactly, either way.
    ByteGrid alone(8, 10);
    for (const Cell c : reach) alone[c.i][c.j] = 1;
    EXPECT_EQ(testing::PrintToString(engine_trace(alone, reach.front())), testing::PrintToString(reach));
    std::vector<Cell> back(reach.rbegin(), reach.rend());
    EXPECT_EQ(testing::PrintToString(engine_trace(alone, back.front())), testing::PrintToString(back));
}

TEST(CentrelineReach, BranchesBetweenThePointsAreRefusedWithTheirPlaceAndOtherwiseIgnored) {
    const DemGrid dem = dem_grid(6, 11);
    ByteGrid g = drawn({".....#.....",  //
                        ".....#.....",  //
                        "###########",  //
                        "...........",  //
                        "...........",  //
                        "..........."});
    thin_centreline(g);  // the tributary's last cell is the junction: (1, 5)
    ASSERT_EQ(drawing(g), (std::vector<std::string>{".....#.....", ".....#.....", "#####.#####", "...........",
                                                    "...........", "..........."}));
    const CentrelinePoints points = centreline_points(g);
    EXPECT_EQ(testing::PrintToString(points.ends), testing::PrintToString(std::vector<Cell>{{0, 5}, {2, 0}, {2, 10}}));
    EXPECT_FALSE(points.branches.empty());
    // (1, 5) is at x 500055, y 4799985.
    EXPECT_EQ(refusal([&] { reach_between(g, dem, Cell{2, 1}, Cell{2, 9}); }),
              "the centreline branches between the two end points, at (500055.0, 4799985.0): give a centreline "
              "without branches, or end points on one branch");
    EXPECT_EQ(reach_between(g, dem, Cell{2, 1}, Cell{2, 4}).size(), 4u);  // both before the junction
    EXPECT_EQ(reach_between(g, dem, Cell{0, 5}, Cell{1, 5}).size(), 2u);  // ending at the junction

    // Two ways round an island between the points: both places where they part are named.
    // Two ways round an island, parting at (2, 2) and meeting at (2, 8): named from outside
    // them, and from the two places themselves.
    g = drawn({"...........",  //
               "...#####...",  //
               "###.....###",  //
               "...#...#...",  //
               "....###....",  //
               "..........."});
    const ByteGrid island = g;
    thin_centreline(g);
    ASSERT_EQ(drawing(g), drawing(island));
    const std::string parting =
        "the centreline branches between the two end points, at (500025.0, 4799975.0) and (500085.0, 4799975.0): give "
        "a centreline without branches, or end points on one branch";
    EXPECT_EQ(refusal([&] { reach_between(g, dem, Cell{2, 0}, Cell{2, 10}); }), parting);
    EXPECT_EQ(refusal([&] { reach_between(g, dem, Cell{2, 2}, Cell{2, 8}); }), parting);

    g = drawn({"###...####", "..........", "..........", "..........", "..........", ".........."});
    EXPECT_EQ(refusal([&] { reach_between(g, dem, Cell{0, 0}, Cell{0, 9}); }),
              "the centreline does not join the two end points (500005.0, 4799995.0) and (500095.0, 4799995.0): they "
              "lie on separate pieces of it; give a centreline that joins them");
    EXPECT_EQ(refusal([&] { reach_between(g, dem, Cell{0, 0}, Cell{3, 3}); }),
              "the point (500035.0, 4799965.0) is not on the centreline");
    EXPECT_EQ(refusal([&] { reach_between(g, dem, Cell{0, 1}, Cell{0, 1}); }),
              "both end points land on the centreline cell (500015.0, 4799995.0): give two points farther apart");
}

TEST(CentrelineSnap, APointGoesToTheNearestCentrelineCellAndSaysHowFarInMetres) {
    const ByteGrid g = drawn({"........", "........", "########", "........"});
    const DemGrid dem = dem_grid(4, 8);
    double moved = 0;
    // 3 m east and 14 m north of the centre of (2, 3): nearer (2, 3) than (2, 4).
    const Cell c = snap_to_centreline(g, dem, 10, 500035 + 3, 4799975 + 14, moved);
    EXPECT_EQ(c, (Cell{2, 3}));
    EXPECT_NEAR(moved, std::hypot(3.0, 14.0), 1e-9);
    // Far outside the grid, the nearest cell is the end of the line on that side.
    EXPECT_EQ(snap_to_centreline(g, dem, 10, 400000, 4799975, moved), (Cell{2, 0}));
    EXPECT_NEAR(moved, 100005, 1e-6);
    EXPECT_EQ(refusal([&] { snap_to_centreline(ByteGrid(4, 8), dem, 10, 500000, 4799975, moved); }),
              "the centreline has no cell to place a point on");
}

TEST(CentrelineWidth, CellsWithinTheRadiusAreThoseABruteForceCountFinds) {
    std::mt19937 random(7);
    const int lines = 40, cols = 53;
    std::vector<Cell> line;
    for (int k = 0; k < 25; ++k) {
        line.push_back(Cell{static_cast<int>(random() % lines), static_cast<int>(random() % cols)});
    }
    for (const double r : {0.0, 1.0, 1.5, std::sqrt(8.0), 2.9, 7.3, 1000.0}) {
        const ByteGrid near = cells_within(line, lines, cols, r);
        for (int i = 0; i < lines; ++i) {
            for (int j = 0; j < cols; ++j) {
                bool within = false;
                for (const Cell c : line) {
                    within = within || double(i - c.i) * (i - c.i) + double(j - c.j) * (j - c.j) <= r * r;
                }
                ASSERT_EQ(near[i][j], within ? 1 : 0) << "radius " << r << " at " << i << "," << j;
            }
        }
    }
    for (const double r : {-1.0, std::nan("")}) {
        EXPECT_EQ(refusal([&] { cells_within(line, lines, cols, r); }), "a distance from the centreline must be 0 or more");
    }
}

namespace {

// The cells of a DEM grid of 10 m pixels set by `cells`, drawn.
std::vector<std::string> cells_drawn(int lines, int cols, const std::vector<Cell>& cells) {
    ByteGrid g(lines, cols);
    for (const Cell c : cells) g[c.i][c.j] = 1;
    return drawing(g);
}

// A GeoJSON line (longitudes and latitudes, as GeoJSON holds them) through the centres of
// the cells of the UTM grid of dem_grid().
void write_lonlat_line(const std::string& path, const std::vector<Cell>& through) {
    GDALAllRegister();
    OGRSpatialReferenceH utm = OSRNewSpatialReference(utm_wkt().c_str()), wgs84 = OSRNewSpatialReference(nullptr);
    OSRImportFromEPSG(wgs84, 4326);
    OSRSetAxisMappingStrategy(utm, OAMS_TRADITIONAL_GIS_ORDER);
    OSRSetAxisMappingStrategy(wgs84, OAMS_TRADITIONAL_GIS_ORDER);
    OGRCoordinateTransformationH to_degrees = OCTNewCoordinateTransformation(utm, wgs84);
    std::string points;
    for (const Cell c : through) {
        double x = 0, y = 0;
        map_point(dem_grid(1, 1), c, x, y);
        EXPECT_TRUE(OCTTransform(to_degrees, 1, &x, &y, nullptr));
        char text[80];
        std::snprintf(text, sizeof text, "%s[%.12f, %.12f]", points.empty() ? "" : ", ", x, y);
        points += text;
    }
    OCTDestroyCoordinateTransformation(to_degrees);
    OSRDestroySpatialReference(utm);
    OSRDestroySpatialReference(wgs84);
    write_file(path, "{\"type\": \"FeatureCollection\", \"features\": [{\"type\": \"Feature\", \"properties\": {}, "
                     "\"geometry\": {\"type\": \"LineString\", \"coordinates\": [" + points + "]}}]}\n");
}

}  // namespace

TEST(CentrelineOnGrid, ALineInDegreesIsBurntOnTheCellsItCrossesOnAUtmDem) {
    TempDir dir;
    write_lonlat_line(dir / "river.geojson", {{2, 2}, {2, 15}, {12, 15}});
    std::vector<Cell> expected;
    for (int j = 2; j <= 15; ++j) expected.push_back({2, j});
    for (int i = 3; i <= 12; ++i) expected.push_back({i, 15});
    const ByteGrid g = cells_on_grid(dir / "river.geojson", dem_grid(20, 20), true);
    EXPECT_EQ(drawing(g), cells_drawn(20, 20, expected));
}

// Each DEM cell taking the source cell under its centre, a line of 2 m pixels that passes
// beside those centres would leave the 10 m grid almost empty; it sets every cell it crosses.
TEST(CentrelineOnGrid, ARasterLineFinerThanTheDemKeepsEveryCellItCrosses) {
    TempDir dir;
    std::vector<double> fine(50 * 50, 0.0);
    std::vector<Cell> expected;
    for (int k = 0; k + 1 < 50; ++k) {
        fine[static_cast<std::size_t>(k * 50 + k + 1)] = 1;
        expected.push_back({k / 5, (k + 1) / 5});
    }
    make_geotiff(dir / "fine.tif", GDT_Byte, fine, nullptr, 50, 50, {500000, 2, 0, 4800000, 0, -2});
    const ByteGrid g = cells_on_grid(dir / "fine.tif", dem_grid(10, 10), true);
    EXPECT_EQ(drawing(g), cells_drawn(10, 10, expected));
}

TEST(CentrelineOnGrid, SourcesThatSetNoCellOfTheDemAreRefused) {
    TempDir dir;
    const double nodata = 7;
    make_geotiff(dir / "empty.tif", GDT_Float32, std::vector<double>(kLines * kCols, 7.0), &nodata);
    EXPECT_EQ(refusal([&] { cells_on_grid(dir / "empty.tif", dem_grid(kLines, kCols), true); }),
              dir / "empty.tif" + " sets no cell of the DEM's grid: its cells are all 0 or no data, or lie outside it");
    make_vector(dir / "far.geojson", wkbLineString, {"LINESTRING (600000 4800000, 600100 4800000)"});
    EXPECT_EQ(refusal([&] { cells_on_grid(dir / "far.geojson", dem_grid(kLines, kCols), true); }),
              "the features of " + dir / "far.geojson" + " set no cell of the DEM's grid: they lie outside it");
}

// The skeleton as the console program sees it: the elbow at (1, 2), which the engine thins,
// leaves (1, 1) an end; a tributary joins at (3, 5). Lines and columns come first, as the
// dialog asks for them; the ground is the imported DEM's, in its centimetres.
TEST(CentrelineEndpoints, ListsTheEndAndBranchPixelsOfAnImportedSkeletonAsTheEngineSeesIt) {
    TempDir dir;
    const ByteGrid skeleton = drawn({"........",  //
                                     ".##.....",  //
                                     "..#.....",  //
                                     "...#####",  //
                                     ".....#..",  //
                                     ".....#.."});
    std::vector<double> cells, ground;
    for (int i = 0; i < 6; ++i) {
        for (int j = 0; j < 8; ++j) {
            cells.push_back(skeleton[i][j]);
            ground.push_back(i == 5 && j == 5 ? -9999 : 100 + 10 * i + j);
        }
    }
    const double nodata = -9999;
    make_geotiff(dir / "skel.tif", GDT_Byte, cells, nullptr, 6, 8);
    make_geotiff(dir / "dem.tif", GDT_Float32, ground, &nodata, 6, 8);
    ASSERT_EQ(gis({"import-skeleton", "skel.tif", "skel"}, dir).status, 0);
    ASSERT_EQ(gis({"import-dem", "dem.tif", "dem", "--unit", "cm"}, dir).status, 0);
    const Snapshot before(dir.path());
    RunResult r = gis({"endpoints", "skel.raw", "--dem", "dem_m4.raw"}, dir);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "# kind line(i) column(j) x y ground(DEM value) -- i and j as the console dialog asks for them (GDAL "
              "gives the column first)\n"
              "end 1 1 500015.0 4799985.0 11100\n"
              "end 3 7 500075.0 4799965.0 13700\n"
              "end 5 5 500055.0 4799945.0 nodata\n"
              "branch 3 4 500045.0 4799965.0 13400\n"
              "branch 3 5 500055.0 4799965.0 13500\n"
              "branch 3 6 500065.0 4799965.0 13600\n"
              "branch 4 5 500055.0 4799955.0 14500\n");
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(before.unchanged());

    r = gis({"endpoints", "skel.tif"}, dir);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.substr(r.out.find('\n') + 1, 24), "end 1 1 500015.0 4799985");

    make_geotiff(dir / "small.tif", GDT_Float32, std::vector<double>(20, 1.0), nullptr);
    r = gis({"endpoints", "skel.raw", "--dem", "small.tif"}, dir);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "tarvex-gis: the sizes differ: skel.raw has 6 x 8 cells, small.tif 4 x 5\n");
    make_geotiff(dir / "none.tif", GDT_Byte, std::vector<double>(20, 0.0), nullptr);
    r = gis({"endpoints", "none.tif"}, dir);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "tarvex-gis: none.tif sets no cell: every cell is 0 or no data\n");
    make_geotiff(dir / "ring.tif", GDT_Byte, {0, 1, 1, 1, 0, 1, 0, 0, 0, 1, 0, 1, 1, 1, 0, 0, 0, 0, 0, 0}, nullptr);
    r = gis({"endpoints", "ring.tif"}, dir);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "tarvex-gis: note: the skeleton has no end pixel: it closes on itself, or its pixels stand alone\n");
}
