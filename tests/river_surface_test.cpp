#include <gtest/gtest.h>

#include <vector>

#include "nrutil.h"
#include "river_construction.h"
#include "stages.h"
#include "test_support.h"

namespace {

constexpr int N = kNoData;

int rule(int jco, std::vector<int> v) {
    int out = 12345;
    return surface_rule(jco, v.data(), out) ? out : 12345;
}

// Seeds (skeleton pixels with their surface value) inside a river mask, grown by the sweep.
struct Growth : StageFixture {
    Growth(int lines, int cols, const std::vector<int>& mask, const std::vector<int>& surface)
        : StageFixture(lines, cols) {
        fill(st.tab_mask, mask);
        fill(st.itab_out, surface);
        for (int i = 0; i < lines; ++i) {
            for (int j = 0; j < cols; ++j) st.tab_soul_prov[i][j] = st.itab_out[i][j] != N ? 1 : 0;
        }
    }
    std::vector<int> surface() const {
        std::vector<int> v;
        for (int i = 0; i < st.nb_lig; ++i) v.insert(v.end(), st.itab_out[i], st.itab_out[i] + st.nb_col);
        return v;
    }
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
    EXPECT_EQ(rule(10, {100, N, 0, 0}), 100);
    EXPECT_EQ(rule(168, {0, N, 90, 80}), 85);
    EXPECT_EQ(rule(130, {N, 0, 0, N}), N);
}

TEST(SurfaceRules, OppositeOrFourOrNoNeighboursHaveNoRule) {
    for (int jco : {34, 136, 170, 0}) EXPECT_EQ(rule(jco, {1, 2, 3, 4}), 12345) << jco;
}

TEST(RiverConstruction, AThreeByThreeMaskGrowsFromItsCentreInTwoPasses) {
    Growth g(3, 3, std::vector<int>(9, 1), {N, N, N, N, 100, N, N, N, N});
    river_construction(g.st, g.con);
    EXPECT_EQ(g.surface(), std::vector<int>(9, 100));
    EXPECT_EQ(g.printed(), "\t    modif = 500     \r    \t    modif = 4     \r    \t    modif = 4     \r    ");
}

TEST(RiverConstruction, CellsBetweenOppositeNeighboursWaitForAThird) {
    // (0,1) lies between two seeds: code 136, never filled while nothing else is filled.
    Growth opposite(1, 3, {0, 1, 0}, {50, N, 60});
    river_construction(opposite.st, opposite.con);
    EXPECT_EQ(opposite.surface(), (std::vector<int>{50, N, 60}));
    EXPECT_EQ(opposite.printed(), "\t    modif = 500     \r    ");

    // (1,1) has seeds up and down (code 34); once (1,2) is filled its code is 42.
    Growth third(3, 3, {0, 0, 0, 0, 1, 1, 0, 0, 0}, {N, 10, 20, N, N, N, N, 30, N});
    river_construction(third.st, third.con);
    EXPECT_EQ(third.surface(), (std::vector<int>{N, 10, 20, N, 20, 20, N, 30, N}));
}

TEST(RiverConstruction, CellsOutsideTheMaskAreNeverFilled) {
    Growth g(2, 3, {1, 1, 0, 1, 0, 0}, {5, N, N, N, N, N});
    river_construction(g.st, g.con);
    EXPECT_EQ(g.surface(), (std::vector<int>{5, 5, N, 5, N, N}));
}

namespace {

// A straight river along line 1 of a 3 x 11 grid, 11 positions falling from 20.0 to 10.0 m
// (coef 10), its mask the three lines, with a wave of LO = 2 whose samples are 3.5, 7.25,
// summit, 7.25, 3.5 units.
struct Surface : StageFixture {
    explicit Surface(int summit_col) : StageFixture(3, 11) {
        fill(st.tab_mask, std::vector<int>(33, 1));
        for (int j = 0; j < 11; ++j) st.tab_soul[1][j] = 1;
        st.ideb = 1, st.jdeb = 0, st.ifin = 1, st.jfin = 10;
        st.alti_deb = 20.0, st.alti_fin = 10.0, st.coef = 10, st.water_layer = 1;
        st.gauss_treat = 0, st.LO = 2, st.ref_gauss = 3, st.AO_Max = 1.2;
        st.i_AO = 1, st.j_AO = summit_col;
        st.gauss_curve = ivecteur(6), st.i_gauss = ivecteur(6), st.j_gauss = ivecteur(6);
        st.z_gauss = dvecteur(6);
        const double z[6] = {0, 3.5, 7.25, 0, 7.25, 3.5};
        for (int k = 1; k <= 5; ++k) st.z_gauss[k] = z[k];
    }
    std::vector<int> final_profile() const { return std::vector<int>(st.k_coord2 + 1, st.k_coord2 + 12); }
};

}  // namespace

TEST(RiverSurface, TheWaveIsLaidAroundItsSummitAndTheTableRecordsEveryPosition) {
    Surface s(5);  // summit at path position 6
    create_river_surface(s.st, s.con);
    EXPECT_EQ(s.final_profile(),
              (std::vector<int>{200, 190, 180, 170 + 3, 160 + 7, 150 + 12, 140 + 7, 130 + 3, 120, 110, 100}));
    EXPECT_DOUBLE_EQ(s.st.z_gauss[3], 12.0);
    EXPECT_EQ(s.st.i_gauss[1], 1);
    EXPECT_EQ(s.st.j_gauss[1], 3);
    EXPECT_EQ(s.st.j_gauss[5], 7);
    const std::string table = s.table();
    EXPECT_EQ(table.substr(0, 36), "1\t200\t1\t200\n2\t190\t2\t190\n3\t180\t3\t180\n");
    EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 11);
    EXPECT_NE(table.find("\n6\t150\t6\t162\n"), std::string::npos);
    // The surface spreads up and down from the path and is burnt into the DEM.
    EXPECT_EQ(s.st.itab_in[0][5], 162);
    EXPECT_EQ(s.st.itab_in[2][10], 100);
    EXPECT_NE(s.printed().find("\n\n river surface generation \n\n\n river construction \n\n"
                               "\t    modif = 500     \r    \t    modif = 22     \r    "),
              std::string::npos);
}

TEST(RiverSurface, AWaveRunningPastAnEndOfThePathIsClipped) {
    Surface s(1);  // summit at path position 2: sample 1 would lie on position 0
    create_river_surface(s.st, s.con);
    EXPECT_EQ(s.final_profile(),
              (std::vector<int>{200 + 7, 190 + 12, 180 + 7, 170 + 3, 160, 150, 140, 130, 120, 110, 100}));
    EXPECT_EQ(s.st.i_gauss[1], 0);  // dropped
    EXPECT_EQ(s.st.itab_in[0][0], 207);
}

TEST(RiverSurface, ASummitOffThePathWarnsAndAppliesNoWave) {
    Surface s(4);
    s.st.i_AO = 0;  // (0,4) is in the mask but not on the path
    create_river_surface(s.st, s.con);
    EXPECT_NE(s.printed().find("Caution: the summit of the wave (0 , 4) is not on the river path"),
              std::string::npos);
    for (int p = 1; p <= 11; ++p) EXPECT_EQ(s.st.k_coord2[p], s.st.k_coord[p]) << p;
}
