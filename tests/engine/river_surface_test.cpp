#include <gtest/gtest.h>

#include <vector>

#include "create_river_surface.h"
#include "river_construction.h"
#include "test_support.h"

namespace {

constexpr int N = kNoData;

int rule(int jco, std::vector<int> v, bool sound = false) {
    int out = 12345;
    return surface_rule(jco, v.data(), out, sound) ? out : 12345;
}

// Seeds (skeleton pixels with their surface value) inside a river mask, grown by the passes.
struct Growth : StageFixture {
    Growth(int lines, int cols, const std::vector<int>& mask, const std::vector<int>& surface)
        : StageFixture(lines, cols) {
        fill(g.tab_mask, mask);
        fill(g.itab_out, surface);
        for (std::size_t k = 0; k < surface.size(); ++k) g.tab_soul_prov.data()[k] = surface[k] != N ? 1 : 0;
    }
    std::vector<int> surface() const { return cells(g.itab_out); }
    void grow(bool sound = false) { river_construction(g, log, kMaxPasses, sound); }
};

}  // namespace

TEST(SurfaceRules, OneNeighbourPassesItsValueAndMeansTruncateTowardZero) {
    EXPECT_EQ(rule(2, {7, 0, 0, 0}), 7);
    EXPECT_EQ(rule(128, {0, 0, 0, N}), N);  // no data is passed on like a value
    EXPECT_EQ(rule(10, {120, 101, 0, 0}), 110);
    EXPECT_EQ(rule(160, {0, 0, -3, -4}), -3);
    EXPECT_EQ(rule(42, {100, 103, 80, 0}), 94);
    EXPECT_EQ(rule(138, {-4, -3, 0, -4}), -3);
    EXPECT_EQ(rule(42, {2147483647, 2147483647, 2147483647, 0}), 2147483647);  // no overflow
}

TEST(SurfaceRules, MeansUseOnlyNeighboursHoldingARealAltitude) {
    // No data on each side in turn, beside real altitudes.
    EXPECT_EQ(rule(10, {N, 100, 0, 0}), 100);
    EXPECT_EQ(rule(10, {100, N, 0, 0}), 100);
    EXPECT_EQ(rule(40, {0, 101, N, 0}), 101);
    EXPECT_EQ(rule(160, {0, 0, 102, N}), 102);
    EXPECT_EQ(rule(168, {0, N, 90, 80}), 85);
    EXPECT_EQ(rule(162, {70, 0, N, 80}), 75);
    EXPECT_EQ(rule(42, {70, 81, N, 0}), 75);
    EXPECT_EQ(rule(138, {N, 70, 0, 81}), 75);
    EXPECT_EQ(rule(130, {N, 0, 0, N}), N);
}

TEST(SurfaceRules, OppositeOrFourOrNoNeighboursHaveNoRule) {
    for (int jco : {34, 136, 170, 0}) EXPECT_EQ(rule(jco, {1, 2, 3, 4}), 12345) << jco;
}

TEST(SurfaceRules, UnderTheSoundRulesAnyFilledNeighboursGiveTheMeanOfTheirAltitudes) {
    EXPECT_EQ(rule(34, {100, 0, 103, 0}, true), 101);
    EXPECT_EQ(rule(136, {0, -3, 0, -4}, true), -3);
    EXPECT_EQ(rule(170, {100, 101, N, 105}, true), 102);  // no data left out of the mean
    EXPECT_EQ(rule(34, {N, 0, N, 0}, true), N);
    EXPECT_EQ(rule(2, {7, 0, 0, 0}, true), 7);
    EXPECT_EQ(rule(0, {1, 2, 3, 4}, true), 12345);
}

TEST(RiverConstruction, UnderTheSoundRulesCellsBetweenOppositeNeighboursAreFilledAtOnce) {
    Growth opposite(1, 3, {0, 1, 0}, {50, N, 60});
    opposite.grow(true);
    EXPECT_EQ(opposite.surface(), (std::vector<int>{50, 55, 60}));
}

TEST(RiverConstruction, AThreeByThreeMaskGrowsFromItsCentreInTwoPasses) {
    Growth grown(3, 3, std::vector<int>(9, 1), {N, N, N, N, 100, N, N, N, N});
    grown.grow();
    EXPECT_EQ(grown.surface(), std::vector<int>(9, 100));
    EXPECT_EQ(grown.printed(), "\t    modif = 500     \r    \t    modif = 4     \r    \t    modif = 4     \r    ");
}

TEST(RiverConstruction, CellsBetweenOppositeNeighboursWaitForAThird) {
    // (0,1) lies between two seeds: code 136, never filled while nothing else is filled.
    Growth opposite(1, 3, {0, 1, 0}, {50, N, 60});
    opposite.grow();
    EXPECT_EQ(opposite.surface(), (std::vector<int>{50, N, 60}));
    EXPECT_EQ(opposite.printed(), "\t    modif = 500     \r    ");

    // (1,1) has seeds up and down (code 34); once (1,2) is filled its code is 42.
    Growth third(3, 3, {0, 0, 0, 0, 1, 1, 0, 0, 0}, {N, 10, 20, N, N, N, N, 30, N});
    third.grow();
    EXPECT_EQ(third.surface(), (std::vector<int>{N, 10, 20, N, 20, 20, N, 30, N}));
}

TEST(RiverConstruction, CellsOutsideTheMaskAreNeverFilled) {
    Growth grown(2, 3, {1, 1, 0, 1, 0, 0}, {5, N, N, N, N, N});
    grown.grow();
    EXPECT_EQ(grown.surface(), (std::vector<int>{5, 5, N, 5, N, N}));
}

namespace {

// A straight river along line 1 of a 3 x 11 grid, 11 positions falling from 20.0 to 10.0 m
// (decimetres), its mask the three lines, with a wave of LO = 2 whose samples are 3.5, 7.25,
// 12 (the summit), 7.25, 3.5 units.
struct Surface : StageFixture {
    explicit Surface(int summit_col) : StageFixture(3, 11) {
        fill(g.tab_mask, std::vector<int>(33, 1));
        for (int j = 0; j < 11; ++j) g.tab_soul[1][j] = 1;
        p.ideb = 1, p.jdeb = 0, p.ifin = 1, p.jfin = 10;
        p.alti_deb = 20.0, p.alti_fin = 10.0, p.hypso_scale = 1, p.water_layer = 1;
        p.gauss_treat = 0, p.LO = 2, p.AO_Max = 1.2;
        p.i_AO = 1, p.j_AO = summit_col;
        wave.ref_gauss = 3;
        wave.z_gauss = {0, 3.5, 7.25, 12.0, 7.25, 3.5};
    }
    void build(bool sound = false, bool bed = false) { path = create_river_surface(g, p, &wave, log, m, sound, bed); }
    std::vector<int> final_profile() const { return std::vector<int>(path.k_coord2.begin() + 1, path.k_coord2.end()); }

    Wave wave;
    RiverPath path;
    Measurements m;
};

}  // namespace

TEST(RiverSurface, TheWaveIsLaidAroundItsSummitOnEveryPosition) {
    Surface s(5);  // summit at path position 6
    s.build();
    EXPECT_EQ(s.final_profile(),
              (std::vector<int>{200, 190, 180, 170 + 3, 160 + 7, 150 + 12, 140 + 7, 130 + 3, 120, 110, 100}));
    EXPECT_EQ(s.path.k_coord, (std::vector<int>{0, 200, 190, 180, 170, 160, 150, 140, 130, 120, 110, 100}));
    // The surface spreads up and down from the path and is burnt into the DEM.
    EXPECT_EQ(s.g.itab_in[0][5], 162);
    EXPECT_EQ(s.g.itab_in[2][10], 100);
    EXPECT_NE(s.printed().find("\n\n river surface generation \n\n\n river construction \n\n"
                               "\t    modif = 500     \r    \t    modif = 22     \r    "),
              std::string::npos);
}

TEST(RiverSurface, AWaveRunningPastAnEndOfThePathIsClipped) {
    Surface s(1);  // summit at path position 2: sample 1 would lie on position 0
    s.build();
    EXPECT_EQ(s.final_profile(),
              (std::vector<int>{200 + 7, 190 + 12, 180 + 7, 170 + 3, 160, 150, 140, 130, 120, 110, 100}));
    EXPECT_EQ(s.g.itab_in[0][0], 207);
}

TEST(RiverSurface, ASummitOffThePathWarnsAndAppliesNoWave) {
    Surface s(4);
    s.p.i_AO = 0;  // (0,4) is in the mask but not on the path
    s.build();
    EXPECT_NE(s.printed().find("Caution: the summit of the wave (0 , 4) is not on the river path"),
              std::string::npos);
    EXPECT_EQ(s.path.k_coord2, s.path.k_coord);
}

TEST(RiverSurface, UnderTheSoundRulesASurfaceBelowTheGroundLeavesTheGroundAndADryCell) {
    Surface s(5);
    // Ground in decimetres: a bank above the surface at (0,5), a hollow below it at (2,5), and
    // the ground of the path at (1,5) exactly at its surface.
    s.g.itab_in[0][5] = 400, s.g.itab_in[2][5] = 50, s.g.itab_in[1][5] = 162;
    s.build(true);
    EXPECT_EQ(s.g.itab_in[0][5], 400);  // never lowered
    EXPECT_EQ(s.g.tab_mask[0][5], 0);
    EXPECT_EQ(s.g.itab_in[2][5], 162);
    EXPECT_EQ(s.g.tab_mask[2][5], 1);
    EXPECT_EQ(s.g.itab_in[1][5], 162);  // no depth: dry
    EXPECT_EQ(s.g.tab_mask[1][5], 0);
    EXPECT_EQ(s.g.tab_mask[1][4], 1);  // ground 0 under a surface of 167
}

TEST(RiverSurface, ABedSurfaceFollowsTheCarvedBedWithTheLayerAndTheWaveOnTop) {
    Surface s(5);
    s.p.water_layer = 0, s.p.dthick_deb = 1.0, s.p.dthick_end = 1.0;  // 10 units at every position
    // A bumpy bed (decimetres) along the path: a bump at columns 3 and 4 (a bridge, a bar) is
    // carved down to the lowest ground upstream; no ground at column 0 takes the first bed.
    const int ground[11] = {2147483647, 150, 152, 170, 149, 151, 140, 145, 130, 130, 129};
    for (int j = 0; j < 11; ++j) s.g.itab_in[1][j] = ground[j];
    s.build(true, true);
    EXPECT_EQ(s.path.k_coord, (std::vector<int>{0, 150, 150, 150, 150, 149, 149, 140, 140, 130, 130, 129}));
    EXPECT_EQ(s.final_profile(), (std::vector<int>{160, 160, 160, 160 + 3, 159 + 7, 159 + 12, 150 + 7, 150 + 3, 140,
                                                   140, 139}));
}

namespace {

using Points = std::vector<std::pair<int, int>>;

// Grids with 1 on the given cells, and the surface laid out around them.
struct Laid {
    ByteGrid mask, soul;
    SurfaceGrid surface;
    Laid(int lines, int cols, const Points& mask_cells, const Points& soul_cells) : mask(lines, cols), soul(lines, cols) {
        for (const auto& [i, j] : mask_cells) mask[i][j] = 1;
        for (const auto& [i, j] : soul_cells) soul[i][j] = 1;
        surface = SurfaceGrid::around({&mask, &soul});
    }
    bool held(int i, int j) const {
        const Span s = surface.span(i);
        return j >= s.first && j <= s.last;
    }
    // Every neighbour of a set cell lies in its line's span (those of the skeleton's cells: the
    // upper point may be any of them), and no span passes the grid's sides.
    ::testing::AssertionResult covers_the_river() const {
        for (int i = 0; i < mask.nb_lig(); ++i) {
            const Span s = surface.span(i);
            if (!s.empty() && (s.first < 0 || s.last >= mask.nb_col())) {
                return ::testing::AssertionFailure() << "line " << i << " spans " << s.first << ".." << s.last;
            }
            for (int j = 0; j < mask.nb_col(); ++j) {
                if (mask[i][j] != 1 && soul[i][j] != 1) continue;
                for (int di = -1; di <= 1; ++di) {
                    for (int dj = -1; dj <= 1; ++dj) {
                        const int ni = i + di, nj = j + dj;
                        if (ni < 0 || nj < 0 || ni >= mask.nb_lig() || nj >= mask.nb_col() || held(ni, nj)) continue;
                        return ::testing::AssertionFailure() << "(" << ni << "," << nj << ") beside (" << i << "," << j << ")";
                    }
                }
            }
        }
        return ::testing::AssertionSuccess();
    }
    // Every cell of the spans has a place of its own, within a block no larger than the grid.
    ::testing::AssertionResult cells_apart() {
        int k = 0;
        for (int i = 0; i < mask.nb_lig(); ++i) {
            for (int j = surface.span(i).first; j <= surface.span(i).last; ++j) surface[i][j] = k++;
        }
        k = 0;
        for (int i = 0; i < mask.nb_lig(); ++i) {
            for (int j = surface.span(i).first; j <= surface.span(i).last; ++j) {
                if (surface[i][j] != k++) return ::testing::AssertionFailure() << "(" << i << "," << j << ") shared";
            }
        }
        if (surface.held() > static_cast<std::size_t>(mask.nb_lig()) * mask.nb_col()) {
            return ::testing::AssertionFailure() << surface.held() << " cells held";
        }
        return ::testing::AssertionSuccess();
    }
};

}  // namespace

TEST(SurfaceSpans, HoldEveryCellTheRiverWritesOrReadsEachInAPlaceOfItsOwn) {
    struct Case {
        const char* what;
        int lines, cols;
        Points mask, soul;
    };
    const Case cases[] = {
        {"a river along one line", 5, 9, {{2, 2}, {2, 3}, {2, 4}, {2, 5}}, {{2, 2}, {2, 3}, {2, 4}, {2, 5}}},
        {"a mask cell whose neighbour lines have no mask", 5, 9, {{2, 6}}, {{3, 1}}},
        {"a skeleton outside the mask", 6, 9, {{1, 1}, {1, 2}}, {{4, 7}, {3, 8}, {5, 6}}},
        {"cells on the grid's sides and corners", 4, 5, {{0, 0}, {3, 4}}, {{0, 4}, {3, 0}}},
        {"spans further right than the cells laid out before them", 6, 9, {{0, 7}, {2, 8}, {5, 8}}, {}},
        {"one column", 4, 1, {{1, 0}}, {{2, 0}}},
        {"nothing set", 3, 3, {}, {}},
    };
    for (const Case& c : cases) {
        Laid laid(c.lines, c.cols, c.mask, c.soul);
        EXPECT_TRUE(laid.covers_the_river()) << c.what;
        EXPECT_TRUE(laid.cells_apart()) << c.what;
    }
    Laid along(5, 9, cases[0].mask, cases[0].soul);
    EXPECT_FALSE(along.held(0, 3));  // two lines away from the river
    EXPECT_FALSE(along.held(2, 0));  // two columns away, on either side
    EXPECT_FALSE(along.held(2, 7));
    EXPECT_EQ(along.surface.at(2, 0), N);
}

TEST(SurfaceSpans, ARunLaidOutAlongTheRiverGivesWhatAWholeSurfaceGives) {
    // A path down lines 1 and 2 of a 7 x 9 grid, its line 1 two lines away from the mask (lines
    // 3 and 4), and a mask value that does not count as set far from the river (line 6, outside
    // every span).
    for (const bool sound : {false, true}) {
        std::vector<int> results[2];
        for (const bool sparse : {false, true}) {
            StageFixture f(7, 9);
            for (int j = 0; j < 9; ++j) {
                f.g.tab_mask[3][j] = f.g.tab_mask[4][j] = 1;
                for (int i = 0; i < 7; ++i) f.g.itab_in[i][j] = 150 + 7 * ((i * 5 + j * 3) % 6);
            }
            for (int j = 1; j <= 7; ++j) f.g.tab_soul[j < 4 ? 1 : 2][j] = 1;
            f.g.tab_mask[6][0] = 2;
            f.p.ideb = 1, f.p.jdeb = 1, f.p.ifin = 2, f.p.jfin = 7;
            f.p.alti_deb = 20.0, f.p.alti_fin = 14.0, f.p.hypso_scale = 1, f.p.water_layer = 1;
            if (sparse) f.g = Grids::around(Inputs{f.g.tab_mask, f.g.tab_soul, f.g.itab_in});
            Measurements m;
            create_river_surface(f.g, f.p, nullptr, f.log, m, sound);
            results[sparse] = StageFixture::cells(f.g.itab_in);
            for (int cell : StageFixture::cells(f.g.tab_mask)) results[sparse].push_back(cell);
        }
        EXPECT_EQ(results[1], results[0]) << (sound ? "sound" : "described");
    }
}
