// Whole-grid operations on byte grids (masks and sets).
#ifndef TARVEX_BYTE_GRIDS_H
#define TARVEX_BYTE_GRIDS_H

#include <cstddef>
#include <cstring>

struct GridShape {
    int nb_lig, nb_col;
};

// Copies `from` into `to`, row by row.
inline void copy_grid(unsigned char* const* to, const unsigned char* const* from, GridShape g) {
    for (int i = 0; i < g.nb_lig; ++i) std::memcpy(to[i], from[i], static_cast<std::size_t>(g.nb_col));
}

// Sets every cell of `set` that is set (== 1) in `additions`.
inline void merge_set(unsigned char* const* set, const unsigned char* const* additions, GridShape g) {
    for (int i = 0; i < g.nb_lig; ++i) {
        unsigned char* to = set[i];
        const unsigned char* from = additions[i];
        for (int j = 0; j < g.nb_col; ++j) to[j] = (from[j] == 1) ? 1 : to[j];
    }
}

#endif
