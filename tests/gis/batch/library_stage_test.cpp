// The stage of a flood library: each cell keeps the smallest thickness at which any level had
// it as water, whatever order the levels come in, for libraries of a few levels and of more
// levels than a byte can number: 255 levels are the most a byte numbers (0 is never water),
// 256 the fewest that need two.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "library_stage.h"

namespace {

TEST(LibraryStage, EachCellKeepsTheLowestLevelThatFloodsItInAnyOrder) {
    for (const std::size_t count : {3u, 255u, 256u, 300u}) {
        SCOPED_TRACE(count);
        std::vector<float> layers;
        for (std::size_t k = 0; k < count; ++k) layers.push_back(0.25f * static_cast<float>(k));
        const std::size_t top = count - 1, middle = count / 2;
        // Cell 0 water at every level; 1 from the middle up; 2 only at the top; 3 never (a 2 in
        // an extent is not water); 4 never at all.
        Stage stage(5, layers);
        const unsigned char at_top[] = {1, 1, 1, 2, 0}, at_middle[] = {1, 1, 0, 2, 0}, at_bottom[] = {1, 0, 0, 2, 0};
        stage.add(at_top, 0, 5, top);
        stage.add(at_bottom, 0, 2, 0);  // in two pieces
        stage.add(at_bottom + 2, 2, 3, 0);
        stage.add(at_middle, 0, 5, middle);
        EXPECT_EQ(stage.at(0), layers[0]);
        EXPECT_EQ(stage.at(1), layers[middle]);
        EXPECT_EQ(stage.at(2), layers[top]);
        EXPECT_TRUE(std::isnan(stage.at(3)));
        EXPECT_TRUE(std::isnan(stage.at(4)));
    }
}

}  // namespace
