// Rasters are read and written in pieces, so that no command needs a whole raster in memory:
// a piece is a run of whole lines, or a part of one line when a line alone is too long, and
// the pieces follow each other in the order of the cells in a raw file.
#ifndef TARVEX_GIS_PIECES_H
#define TARVEX_GIS_PIECES_H

#include <algorithm>
#include <cstddef>

// The most cells in one piece: 1 Mi, a few MiB of buffers whatever the raster's size.
inline constexpr std::size_t kPieceCells = std::size_t(1) << 20;

struct Piece {
    int line = 0, col = 0;    // its first cell
    int lines = 0, cols = 0;  // its size
    std::size_t cells() const { return static_cast<std::size_t>(lines) * static_cast<std::size_t>(cols); }
};

// Calls fn(piece) for the pieces of a grid of `lines` x `cols` cells, in order.
template <typename Fn>
void for_each_piece(int lines, int cols, Fn fn) {
    if (lines <= 0 || cols <= 0) return;
    const auto width = static_cast<std::size_t>(cols);
    if (width <= kPieceCells) {
        const int step = static_cast<int>(std::min<std::size_t>(kPieceCells / width, static_cast<std::size_t>(lines)));
        for (int line = 0; line < lines; line += step) fn(Piece{line, 0, std::min(step, lines - line), cols});
        return;
    }
    const int step = static_cast<int>(kPieceCells);
    for (int line = 0; line < lines; ++line) {
        for (int col = 0; col < cols; col += std::min(step, cols - col)) {
            fn(Piece{line, col, 1, std::min(step, cols - col)});
        }
    }
}

#endif
