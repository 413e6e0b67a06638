#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "path_tracing.h"
#include "test_support.h"

namespace {

using Pixels = std::vector<std::pair<int, int>>;

int scale_of(int coef) { return coef == 1 ? 0 : (coef == 10 ? 1 : (coef == 100 ? 2 : 3)); }

// A skeleton on an empty grid, traced from `from` to `to` between two altitudes.
struct Traced : StageFixture {
    Traced(int lines, int cols, const Pixels& skeleton, std::pair<int, int> from, std::pair<int, int> to,
           double alti_deb, double alti_fin, int coef)
        : StageFixture(lines, cols) {
        for (const auto& [i, j] : skeleton) g.tab_soul[i][j] = 1;
        p.ideb = from.first;
        p.jdeb = from.second;
        p.ifin = to.first;
        p.jfin = to.second;
        p.alti_deb = alti_deb;
        p.alti_fin = alti_fin;
        p.hypso_scale = scale_of(coef);
        p.water_layer = 1;
    }
    void run() { path = suiv_cont(g, p, log, m); }
    Pixels pixels() const {
        Pixels v;
        for (int k = 1; k <= path.pix_soul; ++k) v.emplace_back(path.i_coord[k], path.j_coord[k]);
        return v;
    }
    std::vector<int> profile() const { return std::vector<int>(path.k_coord.begin() + 1, path.k_coord.end()); }
    // The measurements as the run report prints them.
    std::string measured() const { return strf("%lf %lf %lf", m.length_tot, m.hypo, m.ratio); }

    RiverPath path;
    Measurements m;
};

Pixels row(int i, int from, int to) {
    Pixels p;
    for (int j = from; j <= to; ++j) p.emplace_back(i, j);
    return p;
}

}  // namespace

TEST(SkeletonTracing, ARightAngleTurnIsThinnedTracedAndMeasured) {
    Traced t(10, 6, {{5, 1}, {5, 2}, {5, 3}, {6, 3}, {7, 3}}, {5, 1}, {7, 3}, 100.0, 97.0, 10);
    t.p.taille_pix = 5;
    t.run();
    EXPECT_EQ(t.g.tab_soul[5][3], 255);     // the elbow's corner
    EXPECT_EQ(t.g.tab_respaldo[5][3], 255);
    EXPECT_NE(t.printed().find("\n first pix_soul estimation 4 "), std::string::npos);
    EXPECT_EQ(t.pixels(), (Pixels{{5, 1}, {5, 2}, {6, 3}, {7, 3}}));
    EXPECT_EQ(t.profile(), (std::vector<int>{1000, 990, 980, 970}));
    EXPECT_EQ(t.g.itab_out[6][3], 980);
    EXPECT_EQ(t.g.itab_out[5][3], kNoData);
    EXPECT_NE(t.printed().find("\n hypo = 2.828427 "), std::string::npos);
    EXPECT_NE(t.printed().find("\n taille_pix 5 length_tot 17.071068 hypo 14.142136 "), std::string::npos);
    EXPECT_EQ(t.key_waits(), 7);
    EXPECT_EQ(t.measured(), "17.071068 14.142136 1.207107");
}

TEST(SkeletonTracing, TheConsoleTraceFollowsEveryStep) {
    Traced t(10, 6, {{5, 1}, {5, 2}, {5, 3}, {6, 3}, {7, 3}}, {5, 1}, {7, 3}, 100.0, 97.0, 10);
    t.p.taille_pix = 5;
    t.run();
    const std::string primer = "\n\n primer punto i[1] = 5 j[1] = 1 alti = 100.000000 ";
    EXPECT_EQ(t.printed(),
              "\n river skeleton calculation \n\n first pix_soul estimation 4 "
              "\n dif_alt = 3.000000 = 100.000000-97.000000 pix_soul = 4 step = 1.000000" + primer +
              "\n i_coord[4] = 7 j_coord[4] = 3 num_pix = 4 " + primer +
              "\n i[2] = 5 j[2] = 2 alti 990.000000 \n i[3] = 6 j[3] = 3 alti 980.000000 "
              "\n i[4] = 7 j[4] = 3 alti 970.000000 "
              "\n length pix_soul = 4 "
              "\n i_coord[1] = 5 i_coord[2] = 5 \n j_coord[1] = 1 j_coord[2] = 2 \n idif = 0 jdif = 1 "
              "\n length 1.000000 length_tot 1.000000 "
              "\n i_coord[2] = 5 i_coord[3] = 6 \n j_coord[2] = 2 j_coord[3] = 3 \n idif = 1 jdif = 1 "
              "\n length 1.414214 length_tot 2.414214 "
              "\n i_coord[3] = 6 i_coord[4] = 7 \n j_coord[3] = 3 j_coord[4] = 3 \n idif = 1 jdif = 0 "
              "\n length 1.000000 length_tot 3.414214 "
              "\n ideb = 5 ifin = 7 idif = 2 \n jdeb = 1 jfin = 3 jdif = 2 \n hypo = 2.828427 "
              "\n taille_pix 5 length_tot 17.071068 hypo 14.142136 ");
}

TEST(SkeletonTracing, StraightAndDiagonalRiversHaveNoTortuosity) {
    Traced straight(5, 12, row(2, 0, 10), {2, 0}, {2, 10}, 10.0, 9.0, 100);
    straight.p.water_layer = 0;
    straight.p.dthick_deb = 0.5;
    straight.p.dthick_end = 1.0;
    straight.run();
    EXPECT_EQ(straight.path.pix_soul, 11);
    EXPECT_DOUBLE_EQ(straight.m.length_tot, 10.0);
    EXPECT_EQ(straight.measured(), "10.000000 10.000000 1.000000");
    EXPECT_EQ(std::vector<int>(straight.path.thick.begin() + 1, straight.path.thick.end()),
              (std::vector<int>{50, 55, 60, 65, 70, 75, 80, 85, 90, 95, 100}));

    Pixels diagonal;
    for (int k = 0; k <= 10; ++k) diagonal.emplace_back(k, k);
    Traced diag(12, 12, diagonal, {0, 0}, {10, 10}, 10.0, 9.0, 100);
    diag.run();
    EXPECT_EQ(diag.measured(), "14.142136 14.142136 1.000000");
    EXPECT_TRUE(diag.path.thick.empty());
}

TEST(SkeletonTracing, TheLastMatchInVisitingOrderWins) {
    // From (2,2) both the right and the down-right neighbours are skeleton pixels.
    Traced t(6, 6, {{2, 2}, {2, 3}, {3, 3}, {1, 4}}, {2, 2}, {3, 3}, 5.0, 4.0, 1);
    t.run();
    EXPECT_EQ(t.pixels(), (Pixels{{2, 2}, {3, 3}}));
    EXPECT_NE(t.printed().find("num_pix = 2 "), std::string::npos);
}

TEST(SkeletonTracing, SideBranchesDoNotLengthenThePath) {
    Pixels skeleton = row(3, 1, 10);
    skeleton.insert(skeleton.end(), {{2, 4}, {1, 4}});
    Traced t(6, 12, skeleton, {3, 1}, {3, 7}, 10.0, 9.0, 100);
    t.run();
    EXPECT_EQ(t.path.pix_soul, 7);
    EXPECT_EQ(t.pixels(), row(3, 1, 7));
    EXPECT_EQ(t.profile(), (std::vector<int>{1000, 983, 966, 950, 933, 916, 900}));
    EXPECT_EQ(t.g.tab_soul[3][8], 1);  // beyond the lower point, untouched
    EXPECT_EQ(t.g.itab_out[3][8], kNoData);
}

TEST(SkeletonTracing, ATurnOnTheBorderIsNotThinnedAndCountsItsPositions) {
    Traced t(5, 5, {{0, 1}, {0, 2}, {0, 3}, {1, 3}, {2, 3}}, {0, 1}, {2, 3}, 4.0, 1.0, 1);
    t.run();
    EXPECT_NE(t.printed().find("\n first pix_soul estimation 5 "), std::string::npos);
    EXPECT_EQ(t.path.pix_soul, 4);
    EXPECT_EQ(t.pixels(), (Pixels{{0, 1}, {0, 2}, {1, 3}, {2, 3}}));
    EXPECT_EQ(t.profile(), (std::vector<int>{4, 3, 2, 1}));
}

// Each of the four elbows (a corner whose only skeleton neighbours are two orthogonal ones:
// up and right, right and down, down and left, left and up) is thinned inside the grid and
// kept on any of its borders.
TEST(SkeletonTracing, EveryElbowIsThinnedExceptOnTheBorder) {
    using Pixel = std::pair<int, int>;
    const struct {
        Pixel corner, arm1, arm2;
        bool thinned;
    } elbows[] = {
        {{2, 2}, {1, 2}, {2, 3}, true},   // code 10
        {{2, 2}, {2, 3}, {3, 2}, true},   // code 40
        {{2, 2}, {3, 2}, {2, 1}, true},   // code 160
        {{2, 2}, {2, 1}, {1, 2}, true},   // code 130
        {{0, 2}, {0, 1}, {1, 2}, false},  // on the top border
        {{2, 0}, {1, 0}, {2, 1}, false},  // on the left border
        {{2, 4}, {2, 3}, {1, 4}, false},  // on the right border
        {{4, 2}, {3, 2}, {4, 3}, false},  // on the bottom border
    };
    for (const auto& e : elbows) {
        Traced t(5, 5, {e.corner, e.arm1, e.arm2}, e.arm1, e.arm2, 2.0, 1.0, 1);
        t.run();
        const int kept = t.g.tab_respaldo[e.corner.first][e.corner.second];
        EXPECT_EQ(kept, e.thinned ? 255 : 1) << e.corner.first << "," << e.corner.second;
        const std::string estimate = e.thinned ? "estimation 2 " : "estimation 3 ";
        EXPECT_NE(t.printed().find(estimate), std::string::npos) << e.corner.first << "," << e.corner.second;
    }
}

TEST(SkeletonTracing, AltitudesBecomeDemUnitsByExactTruncation) {
    Traced equal(3, 6, row(1, 0, 4), {1, 0}, {1, 4}, 100.3, 100.3, 10);
    equal.run();
    EXPECT_EQ(equal.profile(), (std::vector<int>{1002, 1002, 1002, 1002, 1002}));
    EXPECT_EQ(equal.path.k_coord2[1], 1002);
    EXPECT_EQ(equal.g.itab_out[1][0], 1002);
    EXPECT_DOUBLE_EQ(equal.path.z_coord[1], 1003.0);

    Traced truncated(3, 6, row(1, 0, 1), {1, 0}, {1, 1}, 124.9, 123.9, 1);
    truncated.run();
    EXPECT_EQ(truncated.path.k_coord[2], 123);
    EXPECT_NEAR(truncated.path.z_coord[2], 123.9, 1e-9);
}

TEST(SkeletonTracing, ASkeletonEndingBeforeTheLowerPointWarnsAndKeepsThePathFound) {
    Traced t(5, 8, row(2, 1, 4), {2, 1}, {2, 6}, 3.0, 0.0, 1);
    t.run();
    EXPECT_EQ(t.path.pix_soul, 4);
    EXPECT_EQ(t.pixels(), row(2, 1, 4));
    EXPECT_EQ(t.profile(), (std::vector<int>{3, 2, 1, 0}));
    EXPECT_NE(t.printed().find("Caution: the skeleton ends before the lower point (2 , 6)"),
              std::string::npos);
    EXPECT_EQ(t.g.tab_soul[0][0], 0);  // never marked or burnt
    EXPECT_EQ(t.g.itab_out[0][0], kNoData);
}

TEST(SkeletonTracing, PathsThatCannotBeTracedAreFatalStops) {
    Traced lonely(5, 5, {{2, 2}}, {2, 2}, {3, 3}, 2.0, 1.0, 1);
    EXPECT_THROW(lonely.run(), Stop);
    Traced apart(5, 8, {{0, 0}, {0, 1}, {4, 6}}, {4, 6}, {0, 0}, 2.0, 1.0, 1);
    EXPECT_THROW(apart.run(), Stop);
}
