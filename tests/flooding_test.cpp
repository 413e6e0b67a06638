#include "flooding.h"

#include <gtest/gtest.h>

#include <vector>

#include "treatment.h"
#include "test_support.h"

namespace {

FloodChange flood(int jco, int level, std::vector<int> values) { return flood_rule(jco, level, values.data()); }

// Levels and a water set on a small grid, flooded by the passes.
struct Flood : StageFixture {
    Flood(int lines, int cols, const std::vector<int>& water, const std::vector<int>& levels)
        : StageFixture(lines, cols) {
        fill(g.tab_mask, water);
        fill(g.tab_mask_prov, water);
        fill(g.itab_in, levels);
    }
    std::vector<int> levels() const { return cells(g.itab_in); }
    std::vector<int> water() const { return cells(g.tab_mask); }
    void flood() { flooding(g, log); }
};

std::string progress(const std::vector<int>& counts) {
    std::string text;
    for (int n : counts) text += "\t    modif = " + std::to_string(n) + "     \r    ";
    return text;
}

}  // namespace

TEST(FloodRules, OnlyAStrictlyHigherNeighbourRaisesACell) {
    // A neighbour at the cell's level, on each side in turn, alone or beside others.
    for (int jco : {2, 8, 32, 128, 10, 40, 160, 130, 42, 168, 162, 138}) {
        EXPECT_FALSE(flood(jco, 100, {100, 100, 100, 100}).raised) << jco;
    }
    EXPECT_EQ(flood(10, 100, {100, 101, 0, 0}).level, 101);
    EXPECT_EQ(flood(40, 100, {0, 101, 100, 0}).level, 101);
    EXPECT_EQ(flood(160, 100, {0, 0, 100, 101}).level, 101);
    EXPECT_EQ(flood(130, 100, {100, 0, 0, 101}).level, 101);
    FloodChange up = flood(2, 99, {100, 0, 0, 0});
    EXPECT_TRUE(up.raised && up.joins);
    EXPECT_EQ(up.level, 100);
}

TEST(FloodRules, TwoAdjacentNeighboursGiveTheirMeanOrTheHigherOne) {
    FloodChange both = flood(10, 90, {120, 100, 0, 0});
    EXPECT_TRUE(both.joins);
    EXPECT_EQ(both.level, 110);
    FloodChange one = flood(10, 105, {120, 100, 0, 0});
    EXPECT_TRUE(one.joins);
    EXPECT_EQ(one.level, 120);
    EXPECT_EQ(flood(160, -10, {0, 0, -3, -4}).level, -3);  // (-7) / 2 truncates toward zero
}

TEST(FloodRules, ThreeNeighboursRaiseACellThatStaysDry) {
    FloodChange three = flood(42, 90, {100, 103, 80, 0});
    EXPECT_TRUE(three.raised);
    EXPECT_FALSE(three.joins);
    EXPECT_EQ(three.level, 101);
    EXPECT_EQ(flood(42, 101, {100, 103, 80, 0}).level, 103);
    EXPECT_FALSE(flood(42, 103, {100, 103, 80, 0}).raised);
    EXPECT_EQ(flood(138, 0, {2147483647, 2147483646, 0, 2147483647}).level, 2147483646);
}

TEST(FloodRules, OppositeFourOrNoNeighboursNeverRaise) {
    for (int jco : {34, 136, 170, 0}) EXPECT_FALSE(flood(jco, -50, {100, 100, 100, 100}).raised) << jco;
}

TEST(FloodingPasses, AThreeNeighbourCellClimbsPassAfterPassAndStaysDry) {
    // The centre has water up (100), right (103) and down (80); the left cell is high ground.
    Flood f(3, 3, {0, 1, 0, 0, 0, 1, 0, 1, 0}, {500, 100, 500, 500, 90, 103, 500, 80, 500});
    f.flood();
    EXPECT_EQ(f.levels(), (std::vector<int>{500, 100, 500, 500, 103, 103, 500, 80, 500}));
    EXPECT_EQ(f.water(), (std::vector<int>{0, 1, 0, 0, 0, 1, 0, 1, 0}));
    EXPECT_EQ(f.printed(), progress({500, 1, 1}));
}

TEST(FloodingPasses, WaterSpreadsUntilAPassRaisesNothing) {
    Flood f(1, 5, {1, 0, 0, 0, 0}, {10, 5, 7, 9, 12});
    f.flood();
    EXPECT_EQ(f.levels(), (std::vector<int>{10, 10, 10, 10, 12}));
    EXPECT_EQ(f.water(), (std::vector<int>{1, 1, 1, 1, 0}));
    EXPECT_EQ(f.printed(), progress({500, 1, 1, 1}));
}

TEST(FloodingPasses, NoDryCellBelowTheWaterEndsAfterOnePass) {
    Flood f(2, 2, {1, 0, 0, 0}, {10, 10, 11, 3});
    f.flood();
    EXPECT_EQ(f.levels(), (std::vector<int>{10, 10, 11, 3}));
    EXPECT_EQ(f.water(), (std::vector<int>{1, 0, 0, 0}));
    EXPECT_EQ(f.printed(), progress({500}));
}

TEST(FloodingTreatment, KeepsOtherMaskValuesUntilTheirCellsJoinTheWater) {
    Flood f(1, 3, {1, 7, 0}, {10, 5, 20});
    treatment(f.g, f.log);
    EXPECT_EQ(f.water(), (std::vector<int>{1, 1, 0}));  // the 7 joined the water
    EXPECT_EQ(f.printed(), "\n\n Last Treatment \n\n" + progress({500, 1}));
}
