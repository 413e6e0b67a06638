#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "stages.h"
#include "test_support.h"

namespace {

using Pixels = std::vector<std::pair<int, int>>;

// A skeleton on an empty grid, traced from `from` to `to` between two altitudes.
struct Trace : StageFixture {
    Trace(int lines, int cols, const Pixels& skeleton, std::pair<int, int> from,
          std::pair<int, int> to, double alti_deb, double alti_fin, int coef)
        : StageFixture(lines, cols) {
        for (const auto& [i, j] : skeleton) st.tab_soul[i][j] = 1;
        st.ideb = from.first;
        st.jdeb = from.second;
        st.ifin = to.first;
        st.jfin = to.second;
        st.alti_deb = alti_deb;
        st.alti_fin = alti_fin;
        st.coef = coef;
        st.water_layer = 1;
    }
    Pixels path() const {
        Pixels p;
        for (int k = 1; k <= st.pix_soul; ++k) p.emplace_back(st.i_coord[k], st.j_coord[k]);
        return p;
    }
    std::vector<int> profile() const { return std::vector<int>(st.k_coord + 1, st.k_coord + st.pix_soul + 1); }
};

Pixels row(int i, int from, int to) {
    Pixels p;
    for (int j = from; j <= to; ++j) p.emplace_back(i, j);
    return p;
}

}  // namespace

TEST(SkeletonTracing, ARightAngleTurnIsThinnedTracedAndMeasured) {
    Trace t(10, 6, {{5, 1}, {5, 2}, {5, 3}, {6, 3}, {7, 3}}, {5, 1}, {7, 3}, 100.0, 97.0, 10);
    t.st.taille_pix = 5;
    suiv_cont(t.st, t.con);
    EXPECT_EQ(t.st.tab_soul[5][3], 255);     // the elbow's corner
    EXPECT_EQ(t.st.tab_respaldo[5][3], 255);
    EXPECT_NE(t.printed().find("\n first pix_soul estimation 4 "), std::string::npos);
    EXPECT_EQ(t.path(), (Pixels{{5, 1}, {5, 2}, {6, 3}, {7, 3}}));
    EXPECT_EQ(t.profile(), (std::vector<int>{1000, 990, 980, 970}));
    EXPECT_EQ(t.st.itab_out[6][3], 980);
    EXPECT_EQ(t.st.itab_out[5][3], kNoData);
    EXPECT_NE(t.printed().find("\n hypo = 2.828427 "), std::string::npos);
    EXPECT_NE(t.printed().find("\n taille_pix 5 length_tot 17.071068 hypo 14.142136 "), std::string::npos);
    EXPECT_EQ(t.con.key_waits(), 7);
    EXPECT_EQ(t.report(),
              "\n Length parameter\n"
              "\n\tRiver segment length (in meters) = 17.071068 "
              "\n\tDistance between the segment extremities (in meters) = 14.142136 "
              "\n\tDegree of meander tortuosity = 1.207107 ");
}

TEST(SkeletonTracing, TheConsoleTraceFollowsEveryStep) {
    Trace t(10, 6, {{5, 1}, {5, 2}, {5, 3}, {6, 3}, {7, 3}}, {5, 1}, {7, 3}, 100.0, 97.0, 10);
    t.st.taille_pix = 5;
    suiv_cont(t.st, t.con);
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
    Trace straight(5, 12, row(2, 0, 10), {2, 0}, {2, 10}, 10.0, 9.0, 100);
    straight.st.water_layer = 0;
    straight.st.dthick_deb = 0.5;
    straight.st.dthick_end = 1.0;
    suiv_cont(straight.st, straight.con);
    EXPECT_EQ(straight.st.pix_soul, 11);
    EXPECT_DOUBLE_EQ(straight.st.length_tot, 10.0);
    EXPECT_NE(straight.report().find("tortuosity = 1.000000 "), std::string::npos);
    EXPECT_EQ(std::vector<int>(straight.st.thick + 1, straight.st.thick + 12),
              (std::vector<int>{50, 55, 60, 65, 70, 75, 80, 85, 90, 95, 100}));

    Pixels diagonal;
    for (int k = 0; k <= 10; ++k) diagonal.emplace_back(k, k);
    Trace diag(12, 12, diagonal, {0, 0}, {10, 10}, 10.0, 9.0, 100);
    suiv_cont(diag.st, diag.con);
    const std::string report = diag.report();
    EXPECT_NE(report.find("length (in meters) = 14.142136 "), std::string::npos);
    EXPECT_NE(report.find("extremities (in meters) = 14.142136 "), std::string::npos);
    EXPECT_NE(report.find("tortuosity = 1.000000 "), std::string::npos);
    EXPECT_EQ(diag.st.thick, nullptr);
}

TEST(SkeletonTracing, TheLastMatchInVisitingOrderWins) {
    // From (2,2) both the right and the down-right neighbours are skeleton pixels.
    Trace t(6, 6, {{2, 2}, {2, 3}, {3, 3}, {1, 4}}, {2, 2}, {3, 3}, 5.0, 4.0, 1);
    suiv_cont(t.st, t.con);
    EXPECT_EQ(t.path(), (Pixels{{2, 2}, {3, 3}}));
    EXPECT_NE(t.printed().find("num_pix = 2 "), std::string::npos);
}

TEST(SkeletonTracing, SideBranchesDoNotLengthenThePath) {
    Pixels skeleton = row(3, 1, 10);
    skeleton.insert(skeleton.end(), {{2, 4}, {1, 4}});
    Trace t(6, 12, skeleton, {3, 1}, {3, 7}, 10.0, 9.0, 100);
    suiv_cont(t.st, t.con);
    EXPECT_EQ(t.st.pix_soul, 7);
    EXPECT_EQ(t.path(), row(3, 1, 7));
    EXPECT_EQ(t.profile(), (std::vector<int>{1000, 983, 966, 950, 933, 916, 900}));
    EXPECT_EQ(t.st.tab_soul[3][8], 1);  // beyond the lower point, untouched
    EXPECT_EQ(t.st.itab_out[3][8], kNoData);
}

TEST(SkeletonTracing, ATurnOnTheBorderIsNotThinnedAndCountsItsPositions) {
    Trace t(5, 5, {{0, 1}, {0, 2}, {0, 3}, {1, 3}, {2, 3}}, {0, 1}, {2, 3}, 4.0, 1.0, 1);
    suiv_cont(t.st, t.con);
    EXPECT_NE(t.printed().find("\n first pix_soul estimation 5 "), std::string::npos);
    EXPECT_EQ(t.st.pix_soul, 4);
    EXPECT_EQ(t.path(), (Pixels{{0, 1}, {0, 2}, {1, 3}, {2, 3}}));
    EXPECT_EQ(t.profile(), (std::vector<int>{4, 3, 2, 1}));
}

TEST(SkeletonTracing, AltitudesBecomeDemUnitsByExactTruncation) {
    Trace equal(3, 6, row(1, 0, 4), {1, 0}, {1, 4}, 100.3, 100.3, 10);
    suiv_cont(equal.st, equal.con);
    EXPECT_EQ(equal.profile(), (std::vector<int>{1002, 1002, 1002, 1002, 1002}));
    EXPECT_EQ(equal.st.k_coord2[1], 1002);
    EXPECT_EQ(equal.st.itab_out[1][0], 1002);
    EXPECT_DOUBLE_EQ(equal.st.z_coord[1], 1003.0);

    Trace truncated(3, 6, row(1, 0, 1), {1, 0}, {1, 1}, 124.9, 123.9, 1);
    suiv_cont(truncated.st, truncated.con);
    EXPECT_EQ(truncated.st.k_coord[2], 123);
    EXPECT_NEAR(truncated.st.z_coord[2], 123.9, 1e-9);
}

TEST(SkeletonTracing, ASkeletonEndingBeforeTheLowerPointWarnsAndKeepsThePathFound) {
    Trace t(5, 8, row(2, 1, 4), {2, 1}, {2, 6}, 3.0, 0.0, 1);
    suiv_cont(t.st, t.con);
    EXPECT_EQ(t.st.pix_soul, 4);
    EXPECT_EQ(t.path(), row(2, 1, 4));
    EXPECT_EQ(t.profile(), (std::vector<int>{3, 2, 1, 0}));
    EXPECT_NE(t.printed().find("Caution: the skeleton ends before the lower point (2 , 6)"),
              std::string::npos);
    EXPECT_EQ(t.st.tab_soul[0][0], 0);  // never marked or burnt
    EXPECT_EQ(t.st.itab_out[0][0], kNoData);
}

TEST(SkeletonTracing, PathsThatCannotBeTracedAreFatalStops) {
    Trace lonely(5, 5, {{2, 2}}, {2, 2}, {3, 3}, 2.0, 1.0, 1);
    EXPECT_THROW(suiv_cont(lonely.st, lonely.con), Stop);
    Trace apart(5, 8, {{0, 0}, {0, 1}, {4, 6}}, {4, 6}, {0, 0}, 2.0, 1.0, 1);
    EXPECT_THROW(suiv_cont(apart.st, apart.con), Stop);
}
