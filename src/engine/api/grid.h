// An owning grid: nb_lig lines of nb_col cells, zero when made, reached as g[i][j] (i the
// line, 0 at the top; j the column). Its cells are one block under an array of row pointers
// (NRUTIL's layout), so rows() can be handed to code that takes T**. Copying copies the cells.
// Public: the grids of a scenario and of its results (engine.h).
#ifndef TARVEX_GRID_H
#define TARVEX_GRID_H

#include <cstring>
#include <new>
#include <utility>

#include "nrutil.h"

namespace grid_detail {
inline unsigned char** allocate(unsigned char*, int cols, int lines) { return ucmatrice(cols, lines); }
inline int** allocate(int*, int cols, int lines) { return imatrice(cols, lines); }
inline void release(unsigned char** rows, int lines) { frucmatrice(rows, lines); }
inline void release(int** rows, int lines) { frimatrice(rows, lines); }
}  // namespace grid_detail

template <typename T>
class Grid {
public:
    Grid() = default;
    // Throws std::bad_alloc when the memory cannot be had (or a side is not positive).
    Grid(int nb_lig, int nb_col) : nb_lig_(nb_lig), nb_col_(nb_col) {
        rows_ = grid_detail::allocate(static_cast<T*>(nullptr), nb_col, nb_lig);
        if (rows_ == nullptr) throw std::bad_alloc();
    }
    Grid(const Grid& other) : Grid(other.nb_lig_, other.nb_col_) {
        std::memcpy(rows_[0], other.rows_[0], cells() * sizeof(T));
    }
    Grid(Grid&& other) noexcept { swap(other); }
    Grid& operator=(Grid other) noexcept {
        swap(other);
        return *this;
    }
    ~Grid() {
        if (rows_ != nullptr) grid_detail::release(rows_, nb_lig_);
    }
    void swap(Grid& other) noexcept {
        std::swap(nb_lig_, other.nb_lig_);
        std::swap(nb_col_, other.nb_col_);
        std::swap(rows_, other.rows_);
    }

    int nb_lig() const { return nb_lig_; }
    int nb_col() const { return nb_col_; }
    bool empty() const { return rows_ == nullptr; }
    std::size_t cells() const { return static_cast<std::size_t>(nb_lig_) * static_cast<std::size_t>(nb_col_); }
    T* operator[](int i) { return rows_[i]; }
    const T* operator[](int i) const { return rows_[i]; }
    T* const* rows() { return rows_; }
    const T* const* rows() const { return rows_; }
    T* data() { return rows_ == nullptr ? nullptr : rows_[0]; }
    const T* data() const { return rows_ == nullptr ? nullptr : rows_[0]; }

private:
    int nb_lig_ = 0, nb_col_ = 0;
    T** rows_ = nullptr;
};

using ByteGrid = Grid<unsigned char>;
using IntGrid = Grid<int>;

// The smallest and largest value of a grid of at least one cell.
template <typename T>
std::pair<T, T> value_range(const Grid<T>& g) {
    std::pair<T, T> r{g[0][0], g[0][0]};
    const int cols = g.nb_col();
    for (int i = 0; i < g.nb_lig(); ++i) {
        const T* row = g[i];
        for (int j = 0; j < cols; ++j) {
            r.first = row[j] < r.first ? row[j] : r.first;
            r.second = row[j] > r.second ? row[j] : r.second;
        }
    }
    return r;
}

#endif
