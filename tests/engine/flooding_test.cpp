#include "flooding.h"

#include <gtest/gtest.h>

#include <vector>

#include "flood_beside_river.h"
#include "test_support.h"

namespace {

FloodChange flood(int jco, int level, std::vector<int> values, bool sound = false) {
    return flood_rule(jco, level, values.data(), sound);
}

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
    void flood(bool sound = false) { flooding(g, log, kMaxPasses, sound); }
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

TEST(FloodRules, UnderTheSoundRulesAnyHigherWaterNeighbourWetsTheCellAtTheMeanOfTheHigherOnes) {
    const struct {
        int jco, level;
        std::vector<int> values;
        int expected;  // 0: not raised
    } cases[] = {
        {34, 90, {100, 0, 103, 0}, 101},       // up and down
        {136, 90, {0, 100, 0, 104}, 102},      // right and left
        {170, 90, {100, 101, 102, 103}, 101},  // all four
        {170, 100, {100, 101, 99, 103}, 102},  // all four, two of them higher
        {42, 90, {100, 103, 80, 0}, 101},      // three: wet at once, never climbing
        {2, 99, {100, 0, 0, 0}, 100},
        {10, 105, {120, 100, 0, 0}, 120},
        {136, -10, {0, -3, 0, -4}, -3},        // (-7) / 2 truncates toward zero
        {34, 100, {100, 0, 100, 0}, 0},        // none strictly higher
        {0, -50, {100, 100, 100, 100}, 0},     // no water neighbour
    };
    for (const auto& c : cases) {
        const FloodChange change = flood(c.jco, c.level, c.values, true);
        EXPECT_EQ(change.raised, c.expected != 0) << c.jco << " at " << c.level;
        EXPECT_EQ(change.joins, change.raised) << c.jco << ": a raised cell always joins the water";
        if (change.raised) {
            EXPECT_EQ(change.level, c.expected) << c.jco << " at " << c.level;
        }
    }
}

TEST(FloodingPasses, UnderTheSoundRulesALakeHasNoDryStripeWhereTheDescribedRulesLeaveOne) {
    // Water at 100 on lines 0 and 2; line 1 lies below it, each cell with water on opposite sides.
    const std::vector<int> water = {1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1};
    const std::vector<int> levels = {100, 100, 100, 100, 100, 60, 99, 43, 98, 57, 100, 100, 100, 100, 100};
    Flood described(3, 5, water, levels), sound(3, 5, water, levels);
    described.flood();
    sound.flood(true);
    EXPECT_EQ(described.water(), water);
    EXPECT_EQ(described.levels(), levels);
    EXPECT_EQ(sound.water(), std::vector<int>(15, 1));
    EXPECT_EQ(sound.levels(), std::vector<int>(15, 100));
}

TEST(FloodingPasses, UnderTheSoundRulesAFlatLevelFillsExactlyTheBasinsBelowItThatHoldWater) {
    // Bumpy ground around a river down column 3 at level 50: the water must be the cells below
    // 50 joined to the river by four-neighbour steps through cells below 50, as a level fill
    // finds them, and nothing else.
    const int lines = 24, cols = 30, level = 50;
    std::vector<int> ground(lines * cols), water(lines * cols, 0);
    unsigned seed = 12345;
    for (int& z : ground) {
        seed = seed * 1103515245u + 12345u;
        z = static_cast<int>((seed >> 16) % 100);
    }
    std::vector<int> start = ground;
    for (int i = 0; i < lines; ++i) water[i * cols + 3] = 1, start[i * cols + 3] = level;
    Flood f(lines, cols, water, start);
    f.flood(true);
    // The level fill: a queue from the river cells.
    std::vector<int> filled = water, queue;
    for (int k = 0; k < lines * cols; ++k) {
        if (water[k] == 1) queue.push_back(k);
    }
    for (std::size_t head = 0; head < queue.size(); ++head) {
        const int i = queue[head] / cols, j = queue[head] % cols;
        const int di[4] = {-1, 0, 1, 0}, dj[4] = {0, 1, 0, -1};
        for (int n = 0; n < 4; ++n) {
            const int ni = i + di[n], nj = j + dj[n];
            if (ni < 0 || nj < 0 || ni >= lines || nj >= cols) continue;
            const int k = ni * cols + nj;
            if (filled[k] == 1 || ground[k] >= level) continue;
            filled[k] = 1;
            queue.push_back(k);
        }
    }
    std::vector<int> levels = start;
    int wet = 0;
    for (int k = 0; k < lines * cols; ++k) {
        if (filled[k] == 1) levels[k] = level, ++wet;
    }
    EXPECT_GT(wet, 3 * lines);  // the fill reaches well beyond the river
    EXPECT_EQ(f.water(), filled);
    EXPECT_EQ(f.levels(), levels);
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
