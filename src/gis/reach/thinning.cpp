#include "thinning.h"

#include <array>
#include <vector>

namespace {

// What a ring code says of its cell: how many neighbours, and whether the cell is simple
// (8-connectivity): removing it leaves its neighbours one connected piece and opens no hole.
// Simplicity is Yokoi's connectivity number being 1: over the four orthogonal neighbours k
// (up, right, down, left), the sum of (not x_k) - (not x_k)(not x_k+1)(not x_k+2), positions
// taken round the ring.
struct RingFacts {
    std::array<unsigned char, 256> count{}, simple{};
    RingFacts() {
        for (int code = 0; code < 256; ++code) {
            const auto off = [code](int k) { return ((code >> (k % 8)) & 1) == 0 ? 1 : 0; };
            int yokoi = 0, n = 0;
            for (int k = 1; k < 8; k += 2) yokoi += off(k) - off(k) * off(k + 1) * off(k + 2);
            for (int k = 0; k < 8; ++k) n += 1 - off(k);
            count[code] = static_cast<unsigned char>(n);
            simple[code] = yokoi == 1 ? 1 : 0;
        }
    }
};

const RingFacts& facts() {
    static const RingFacts table;
    return table;
}

// The directions of the peeling passes, as the ring position of the neighbour that must be
// clear for a cell to be on that side's border: up, down, right, left.
constexpr int kSides[4] = {1, 5, 3, 7};

// Calls fn(i, j) for each set cell, line after line.
template <typename Fn>
void for_each_set(const ByteGrid& g, Fn fn) {
    for (int i = 0; i < g.nb_lig(); ++i) {
        const unsigned char* row = g[i];
        for (int j = 0; j < g.nb_col(); ++j) {
            if (row[j] != 0) fn(i, j);
        }
    }
}

// A cell that may go: an end of no line (two neighbours or more), and simple.
bool removable(const ByteGrid& g, int i, int j) {
    const int code = ring_code(g, i, j);
    return facts().count[code] >= 2 && facts().simple[code] == 1;
}

// One pass: the border cells of one side that may go are listed first, then removed one after
// the other, each checked again as the removals before it left the grid.
bool peel(ByteGrid& g, int side) {
    std::vector<std::pair<int, int>> candidates;
    const Offset out = kRing[side];
    for_each_set(g, [&](int i, int j) {
        if (!is_set(g, i + out.di, j + out.dj) && removable(g, i, j)) candidates.emplace_back(i, j);
    });
    bool removed = false;
    for (const auto& [i, j] : candidates) {
        if (!removable(g, i, j)) continue;
        g[i][j] = 0;
        removed = true;
    }
    return removed;
}

}  // namespace

int ring_code(const ByteGrid& g, int i, int j) {
    int code = 0;
    for (int k = 0; k < 8; ++k) code |= is_set(g, i + kRing[k].di, j + kRing[k].dj) ? 1 << k : 0;
    return code;
}

int ring_count(int code) { return facts().count[code & 255]; }

void thin_lines(ByteGrid& g) {
    for_each_set(g, [&](int i, int j) { g[i][j] = 1; });
    bool removed = true;
    while (removed) {
        removed = false;
        for (const int side : kSides) removed = peel(g, side) || removed;
    }
}

