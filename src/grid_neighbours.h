// The four orthogonal neighbours of a cell, shared by the growth passes of the river surface
// and of the flooding. Their code weights are up 2, right 8, down 32, left 128; a neighbour
// outside the grid never counts.
#ifndef TARVEX_GRID_NEIGHBOURS_H
#define TARVEX_GRID_NEIGHBOURS_H

// Up, right, down, left.
constexpr int kOrthoWeight[4] = {2, 8, 32, 128};
constexpr int kOrthoDi[4] = {-1, 0, 1, 0};
constexpr int kOrthoDj[4] = {0, 1, 0, -1};

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

// The values in an integer grid of the neighbours whose weights are in `code` (as given by
// orthogonal_code, so they lie inside the grid); the others are left as they are.
inline void coded_values(int* const* grid, int code, int i, int j, int values[4]) {
    for (int n = 0; n < 4; ++n) {
        if ((code & kOrthoWeight[n]) != 0) values[n] = grid[i + kOrthoDi[n]][j + kOrthoDj[n]];
    }
}

#endif
