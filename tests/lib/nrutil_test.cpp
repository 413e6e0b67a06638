#include "nrutil.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// Every cell reads zero; writing every cell stays inside the rows (checked by the sanitizers).
template <typename T>
void expect_zero_grid_then_release(T** (*make)(int, int), void (*release)(T**, int)) {
    const int cols = 7, lines = 5;
    T** grid = make(cols, lines);
    ASSERT_NE(grid, nullptr);
    for (int i = 0; i < lines; ++i) {
        for (int j = 0; j < cols; ++j) {
            EXPECT_EQ(grid[i][j], T(0));
            grid[i][j] = T(1);
        }
    }
    release(grid, lines);
}

template <typename T>
void expect_zero_vector_then_release(T* (*make)(int), void (*release)(T*)) {
    const int n = 9;
    T* v = make(n);
    ASSERT_NE(v, nullptr);
    for (int k = 0; k < n; ++k) EXPECT_EQ(v[k], T(0));
    release(v);
}

}  // namespace

TEST(Nrutil, EveryGridTypeStartsAtZeroAndIsReleased) {
    expect_zero_grid_then_release(fmatrice, frfmatrice);
    expect_zero_grid_then_release(ucmatrice, frucmatrice);
    expect_zero_grid_then_release(usmatrice, frusmatrice);
    expect_zero_grid_then_release(smatrice, frsmatrice);
    expect_zero_grid_then_release(imatrice, frimatrice);
    expect_zero_grid_then_release(dmatrice, frdmatrice);
    expect_zero_grid_then_release(ldmatrice, frldmatrice);
}

TEST(Nrutil, EveryVectorTypeStartsAtZeroAndIsReleased) {
    expect_zero_vector_then_release(ucvecteur, frucvecteur);
    expect_zero_vector_then_release(usvecteur, frusvecteur);
    expect_zero_vector_then_release(svecteur, frsvecteur);
    expect_zero_vector_then_release(ivecteur, frivecteur);
    expect_zero_vector_then_release(dvecteur, frdvecteur);
    expect_zero_vector_then_release(fvecteur, frfvecteur);
}

TEST(Nrutil, ColumnsComeFirstAndRowsAreSeparateBlocks) {
    unsigned char** grid = ucmatrice(3, 2);
    ASSERT_NE(grid, nullptr);
    std::memset(grid[0], 0xAB, 3);  // a whole row is exactly 3 bytes
    grid[1][2] = 7;                 // the last cell
    EXPECT_EQ(grid[1][0], 0);
    EXPECT_EQ(grid[1][2], 7);
    EXPECT_EQ(grid[0][2], 0xAB);
    EXPECT_EQ(grid[1], grid[0] + 3);  // rows follow one another in line order
    frucmatrice(grid, 2);
}

TEST(Nrutil, CellCountsBeyondMemoryGiveNullNotACrash) {
    EXPECT_EQ(imatrice(2147483647, 2147483647), nullptr);
    EXPECT_EQ(ldmatrice(2147483647, 2147483647), nullptr);
}

TEST(Nrutil, SizesThatAreNotPositiveGiveNull) {
    EXPECT_EQ(ucmatrice(0, 4), nullptr);
    EXPECT_EQ(imatrice(4, 0), nullptr);
    EXPECT_EQ(dmatrice(-1, 3), nullptr);
    EXPECT_EQ(ivecteur(0), nullptr);
    EXPECT_EQ(dvecteur(-5), nullptr);
    frucmatrice(nullptr, 4);  // releasing nothing is harmless
}
