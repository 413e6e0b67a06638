// The four orthogonal neighbours of a cell, shared by the growth passes of the river surface
// and of the flooding. Their code weights are up 2, right 8, down 32, left 128; a neighbour
// outside the grid never counts.
#ifndef TARVEX_GRID_NEIGHBOURS_H
#define TARVEX_GRID_NEIGHBOURS_H

#include "neighbours.h"

// Up, right, down, left: their ring weights and offsets.
constexpr int kOrthoWeight[4] = {2, 8, 32, 128};
constexpr int kOrthoDi[4] = {kOrthogonal[0].di, kOrthogonal[1].di, kOrthogonal[2].di, kOrthogonal[3].di};
constexpr int kOrthoDj[4] = {kOrthogonal[0].dj, kOrthogonal[1].dj, kOrthogonal[2].dj, kOrthogonal[3].dj};

inline bool in_grid(int i, int j, int nb_lig, int nb_col) {
    return i >= 0 && i < nb_lig && j >= 0 && j < nb_col;
}

// The sum of the weights of the neighbours set (== 1) in a byte grid.
inline int orthogonal_code(unsigned char* const* set, int nb_lig, int nb_col, int i, int j) {
    if (i > 0 && j > 0 && i + 1 < nb_lig && j + 1 < nb_col) {  // away from the border
        return (set[i - 1][j] == 1 ? 2 : 0) + (set[i][j + 1] == 1 ? 8 : 0) +
               (set[i + 1][j] == 1 ? 32 : 0) + (set[i][j - 1] == 1 ? 128 : 0);
    }
    int code = 0;
    for (int n = 0; n < 4; ++n) {
        const int ni = i + kOrthoDi[n], nj = j + kOrthoDj[n];
        if (in_grid(ni, nj, nb_lig, nb_col) && set[ni][nj] == 1) code += kOrthoWeight[n];
    }
    return code;
}

// Directions of a cell's neighbours as bits: up 1, right 2, down 4, left 8.
constexpr int kUp = 1, kRight = 2, kDown = 4, kLeft = 8;
constexpr int kAllDirections = kUp | kRight | kDown | kLeft;

// The neighbours set (== 1) in a byte grid of a cell away from the border, as bits.
inline int inner_set_bits(unsigned char* const* set, int i, int j) {
    const unsigned char* row = set[i];
    return (set[i - 1][j] == 1 ? kUp : 0) | (row[j + 1] == 1 ? kRight : 0) | (set[i + 1][j] == 1 ? kDown : 0) |
           (row[j - 1] == 1 ? kLeft : 0);
}

// What a pattern of set neighbours (as bits) is to the growth rules: one neighbour, two
// adjacent ones, three, or a pattern no rule applies to (none, an opposite pair, all four).
enum class Pattern : unsigned char { none, one, two_adjacent, three };
constexpr Pattern kPatterns[16] = {
    Pattern::none,         Pattern::one,          Pattern::one,          Pattern::two_adjacent,  // -, u, r, ur
    Pattern::one,          Pattern::none,         Pattern::two_adjacent, Pattern::three,         // d, ud, rd, urd
    Pattern::one,          Pattern::two_adjacent, Pattern::none,         Pattern::three,         // l, ul, rl, url
    Pattern::two_adjacent, Pattern::three,        Pattern::three,        Pattern::none,          // dl, udl, rdl, urdl
};

// The number of bits set in a 4-bit pattern.
constexpr int kBits[16] = {0, 1, 1, 2, 1, 2, 2, 3, 1, 2, 2, 3, 2, 3, 3, 4};

// A neighbour code (weights up 2, right 8, down 32, left 128) as direction bits.
inline int code_bits(int code) {
    return ((code >> 1) & 1) | ((code >> 2) & kRight) | ((code >> 3) & kDown) | ((code >> 4) & kLeft);
}

// The sum of the values whose direction bits are in `bits`, without branching on the bits:
// the comparisons that give them go either way from cell to cell.
inline long long masked_sum(int bits, int up, int right, int down, int left) {
    return static_cast<long long>(up & -(bits & 1)) + (right & -((bits >> 1) & 1)) +
           static_cast<long long>(down & -((bits >> 2) & 1)) + (left & -((bits >> 3) & 1));
}

// The mean of `count` (1 to 4) values of 32-bit range summing to `sum`, truncated toward zero.
inline int mean_of(long long sum, int count) {
    return static_cast<int>(count == 1 ? sum : (count == 2 ? sum / 2 : (count == 3 ? sum / 3 : sum / 4)));
}

// The values in an integer grid of the neighbours whose weights are in `code` (as given by
// orthogonal_code, so they lie inside the grid); the others are left as they are.
inline void coded_values(int* const* grid, int code, int i, int j, int values[4]) {
    for (int n = 0; n < 4; ++n) {
        if ((code & kOrthoWeight[n]) != 0) values[n] = grid[i + kOrthoDi[n]][j + kOrthoDj[n]];
    }
}

#endif
