// The river surface grid. The surface is given on the river path and spread over the river
// mask, each cell it fills reading its four neighbours, so it is needed only along the river:
// each line holds only a span of columns, the one that covers the mask and skeleton cells of
// that line and of the lines beside it, widened by one column. Every cell the surface is
// written to or read from then lies inside a span; the cells outside have no surface altitude
// (kNoData) and are not stored.
//
// The spans lie one after the other in one block, each line reached through a row pointer
// placed so that row[j] is the line's cell j, so g[i][j] costs what it costs on a whole grid
// and the growth passes run on it as they are. A row pointer never points before the block:
// a span starts at or after the previous one's end, and the block begins with unused cells
// when the first spans start further right than the cells laid out before them (fewer than
// a line's worth in all).
#ifndef TARVEX_SURFACE_GRID_H
#define TARVEX_SURFACE_GRID_H

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <new>
#include <string.h>  // memrchr
#include <utility>
#include <vector>

#include "grid.h"

// The surface grid's mark for a cell without a surface altitude.
constexpr int kNoData = -99999;

// The columns first .. last of a line (none when first > last).
struct Span {
    int first = 0, last = -1;
    bool empty() const { return first > last; }
};

class SurfaceGrid {
public:
    SurfaceGrid() = default;

    // The spans around the cells set (== 1) in any of `sets`, byte grids of one shape; every
    // cell held is kNoData. Throws std::bad_alloc when the memory cannot be had.
    static SurfaceGrid around(std::initializer_list<const ByteGrid*> sets) {
        const ByteGrid& first = **sets.begin();
        std::vector<Span> set_in_line(static_cast<std::size_t>(first.nb_lig()));
        for (const ByteGrid* set : sets) add_set_cells(*set, set_in_line);
        return SurfaceGrid(first.nb_lig(), first.nb_col(), spans_beside(set_in_line, first.nb_col()));
    }

    // Every line whole, every cell kNoData: for a stage run on grids of its own.
    static SurfaceGrid whole(int nb_lig, int nb_col) {
        return SurfaceGrid(nb_lig, nb_col, std::vector<Span>(static_cast<std::size_t>(nb_lig), Span{0, nb_col - 1}));
    }

    int nb_lig() const { return nb_lig_; }
    int nb_col() const { return nb_col_; }
    bool empty() const { return rows_.empty(); }
    Span span(int i) const { return spans_[static_cast<std::size_t>(i)]; }
    // The cells of the block, the unused ones at its start included.
    std::size_t held() const { return held_; }

    // Line i, for its span's columns only.
    int* operator[](int i) { return rows_[static_cast<std::size_t>(i)]; }
    const int* operator[](int i) const { return rows_[static_cast<std::size_t>(i)]; }
    int* const* rows() { return rows_.data(); }

    // Any cell of the grid: kNoData outside the spans.
    int at(int i, int j) const {
        const Span s = span(i);
        return j >= s.first && j <= s.last ? (*this)[i][j] : kNoData;
    }

    // Every cell of the spans set to `value`.
    void fill(int value) {
        for (int i = 0; i < nb_lig_; ++i) {
            const Span s = span(i);
            int* row = (*this)[i];
            if (!s.empty()) std::fill(row + s.first, row + s.last + 1, value);
        }
    }

private:
    SurfaceGrid(int nb_lig, int nb_col, std::vector<Span> spans)
        : nb_lig_(nb_lig), nb_col_(nb_col), spans_(std::move(spans)), rows_(spans_.size()) {
        std::vector<std::size_t> offsets(spans_.size(), 0);
        for (std::size_t i = 0; i < spans_.size(); ++i) {
            const Span s = spans_[i];
            if (s.empty()) continue;
            const std::size_t first = static_cast<std::size_t>(s.first);
            offsets[i] = held_ > first ? held_ - first : 0;
            held_ = offsets[i] + static_cast<std::size_t>(s.last) + 1;
        }
        cells_.reset(new (std::nothrow) int[held_ > 0 ? held_ : 1]);
        if (!cells_) throw std::bad_alloc();
        for (std::size_t i = 0; i < spans_.size(); ++i) rows_[i] = cells_.get() + offsets[i];
        fill(kNoData);
    }

    // Widens each line's span to take in the cells set (== 1) in the line of `set`.
    static void add_set_cells(const ByteGrid& set, std::vector<Span>& lines) {
        const std::size_t cols = static_cast<std::size_t>(set.nb_col());
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const unsigned char* row = set[static_cast<int>(i)];
            const void* first = std::memchr(row, 1, cols);
            if (first == nullptr) continue;
            const void* last = memrchr(row, 1, cols);
            lines[i] = join(lines[i], Span{static_cast<int>(static_cast<const unsigned char*>(first) - row),
                                           static_cast<int>(static_cast<const unsigned char*>(last) - row)});
        }
    }

    // Each line's span: the set cells of the line and of the lines beside it, widened by one
    // column within the grid.
    static std::vector<Span> spans_beside(const std::vector<Span>& set_in_line, int nb_col) {
        std::vector<Span> spans(set_in_line.size());
        for (std::size_t i = 0; i < spans.size(); ++i) {
            Span s = set_in_line[i];
            if (i > 0) s = join(s, set_in_line[i - 1]);
            if (i + 1 < spans.size()) s = join(s, set_in_line[i + 1]);
            if (!s.empty()) spans[i] = Span{std::max(s.first - 1, 0), std::min(s.last + 1, nb_col - 1)};
        }
        return spans;
    }

    static Span join(Span a, Span b) {
        if (a.empty()) return b;
        if (b.empty()) return a;
        return Span{std::min(a.first, b.first), std::max(a.last, b.last)};
    }

    int nb_lig_ = 0, nb_col_ = 0;
    std::vector<Span> spans_;
    std::vector<int*> rows_;
    std::unique_ptr<int[]> cells_;
    std::size_t held_ = 0;
};

#endif
