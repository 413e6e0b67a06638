// The cuts at a reach's ends, on small grids whose nearest path positions are counted by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "reach_ends.h"

namespace {

// A river mask over the whole grid, with the path given.
Reach reach(int lines, int cols, const std::vector<Cell>& path) {
    Reach r;
    r.grid = DemGrid::whole(lines, cols, Georef{});
    r.mask = ByteGrid(lines, cols);
    std::fill(r.mask.data(), r.mask.data() + r.mask.cells(), 1);
    r.path = path;
    return r;
}

std::vector<std::vector<int>> marks(const Reach& r) {
    std::vector<std::vector<int>> m(static_cast<std::size_t>(r.grid.lines), std::vector<int>(r.grid.cols, 0));
    for (int i = 0; i < r.grid.lines; ++i) {
        for (int j = 0; j < r.grid.cols; ++j) m[i][j] = r.beyond_cut(Cell{i, j}) ? 1 : 0;
    }
    return m;
}

}  // namespace

TEST(ReachCuts, AStraightReachIsCutAcrossBothEndsOverTheWholeGrid) {
    // Along line 2 from column 2 to column 6 of a 5 x 9 grid: past the ends, columns 0 and 1
    // and columns 7 and 8, whichever line.
    Reach r = reach(5, 9, {{2, 2}, {2, 3}, {2, 4}, {2, 5}, {2, 6}});
    cut_beyond_ends(r);
    const std::vector<int> line = {1, 1, 0, 0, 0, 0, 0, 1, 1};
    EXPECT_EQ(marks(r), std::vector<std::vector<int>>(5, line));
    // The lines drawn: the cut cells next to cells short of the cuts.
    std::vector<Cell> drawn = cut_line(r);
    ASSERT_EQ(drawn.size(), 10u);
    for (const Cell c : drawn) EXPECT_TRUE(c.j == 1 || c.j == 7) << c.i << " " << c.j;
}

TEST(ReachCuts, AnEndTurningBackIsCutOnlyWhereItIsTheNearestPosition) {
    // Along line 1 from column 4 east to column 7, down to line 5 and back west to column 1 (the
    // lower end). West of the upper end, line 1 to 2 is nearest the upper end and cut; line 4,
    // nearer the lower arm, is not, though it lies west of the upper end too.
    Reach r = reach(7, 9, {{1, 4}, {1, 5}, {1, 6}, {1, 7}, {2, 7}, {3, 7}, {4, 7}, {5, 7}, {5, 6}, {5, 5}, {5, 4},
                           {5, 3}, {5, 2}, {5, 1}});
    cut_beyond_ends(r);
    const auto m = marks(r);
    EXPECT_EQ(m[1][2], 1);
    EXPECT_EQ(m[0][0], 1);
    EXPECT_EQ(m[4][3], 0);
    EXPECT_EQ(m[5][0], 1);  // west of the lower end
    EXPECT_EQ(m[5][2], 0);  // the path
}
