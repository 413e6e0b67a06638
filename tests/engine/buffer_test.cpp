#include "buffer.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

// The items of a buffer, in order.
std::vector<int> items(const Buffer<int>& b) { return std::vector<int>(b.begin(), b.end()); }

std::vector<int> range(int from, int to) {
    std::vector<int> v;
    for (int k = from; k < to; ++k) v.push_back(k);
    return v;
}

}  // namespace

// A pass list grows past its first allocations, drops the cells it has examined from its front
// while more are appended, and is emptied and swapped between passes: its items must keep
// their order through all of it.
TEST(Buffer, KeepsItsItemsInOrderThroughGrowthDropsAndSwaps) {
    Buffer<int> b;
    EXPECT_TRUE(b.empty());
    for (int k = 0; k < 1000; ++k) b.push_back(k);
    EXPECT_EQ(items(b), range(0, 1000));

    b.drop_front(600);
    EXPECT_EQ(items(b), range(600, 1000));
    for (int k = 1000; k < 1300; ++k) b.push_back(k);
    EXPECT_EQ(items(b), range(600, 1300));
    b.drop_front(700);
    EXPECT_TRUE(b.empty());

    Buffer<int> other;
    other.push_back(7);
    b.push_back(5);
    b.swap(other);
    EXPECT_EQ(items(b), std::vector<int>{7});
    EXPECT_EQ(items(other), std::vector<int>{5});

    Buffer<int> moved(std::move(other));
    EXPECT_EQ(items(moved), std::vector<int>{5});
    moved.clear();
    EXPECT_TRUE(moved.empty());
    moved.push_back(9);
    EXPECT_EQ(moved[0], 9);
}
