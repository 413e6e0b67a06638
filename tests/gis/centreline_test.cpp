// Tests of the centreline made what the engine follows: thinning, its end and branch pixels,
// the single line between two points, snapping, the cells near it, bringing rasters and
// vector files onto a DEM's grid, and the endpoints command.
#include <ogr_srs_api.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>

#include "../../tools/gis/centreline.h"
#include "../../tools/gis/thinning.h"
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

DemGrid dem_grid(int lines, int cols) { return DemGrid{lines, cols, Georef{true, {500000, 10, 0, 4800000, 0, -10}, utm_wkt()}}; }

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
}
