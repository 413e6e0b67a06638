#include "reach_ends.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <deque>

#include "neighbours.h"

namespace {

// How many positions inside an end the path's direction there is taken from: one step gives
// only eight directions, a few follow the river's course.
constexpr int kDirectionSpan = 5;

Nearest part_of_path(int k, int positions) { return k == 0 ? kFirst : k == positions - 1 ? kLast : kInner; }

}  // namespace

std::vector<unsigned char> nearest_parts(const Reach& r, int positions) {
    const int lines = r.grid.lines, cols = r.grid.cols;
    std::vector<unsigned char> nearest(static_cast<std::size_t>(lines) * static_cast<std::size_t>(cols), kUnreached);
    std::deque<std::size_t> front;
    for (int k = 0; k < positions; ++k) {
        const Cell c = r.path[static_cast<std::size_t>(k)];
        const std::size_t at = static_cast<std::size_t>(c.i) * cols + c.j;
        if (nearest[at] != kUnreached) continue;
        nearest[at] = part_of_path(k, positions);
        front.push_back(at);
    }
    while (!front.empty()) {
        const std::size_t at = front.front();
        front.pop_front();
        const int i = static_cast<int>(at / cols), j = static_cast<int>(at % cols);
                for (int n = 0; n < 4; ++n) {
            const int ni = i + kOrthogonal[n].di, nj = j + kOrthogonal[n].dj;
            if (ni < 0 || nj < 0 || ni >= lines || nj >= cols) continue;
            const std::size_t next = static_cast<std::size_t>(ni) * cols + nj;
            if (nearest[next] != kUnreached) continue;
            nearest[next] = nearest[at];
            front.push_back(next);
        }
    }
    return nearest;
}

bool past_end(const Reach& r, int positions, unsigned char part, int i, int j, double& distance_cells) {
    if (positions < 2 || (part != kFirst && part != kLast)) return false;
    const int span = std::min(kDirectionSpan, positions - 1);
    const int k = part == kFirst ? 0 : positions - 1;
    const Cell end = r.path[static_cast<std::size_t>(k)];
    const Cell inner = r.path[static_cast<std::size_t>(k == 0 ? span : positions - 1 - span)];
    const double oi = end.i - inner.i, oj = end.j - inner.j, ci = i - end.i, cj = j - end.j;
    distance_cells = std::hypot(ci, cj);
    return oi * ci + oj * cj > 0;
}

void cut_beyond_ends(Reach& r) {
    const int positions = static_cast<int>(r.path.size());
    const std::vector<unsigned char> nearest = nearest_parts(r, positions);
    for (int i = 0; i < r.grid.lines; ++i) {
        for (int j = 0; j < r.grid.cols; ++j) {
            double distance = 0;
            if (past_end(r, positions, nearest[static_cast<std::size_t>(i) * r.grid.cols + j], i, j, distance)) {
                r.mask[i][j] = Reach::kBeyondCut;
            }
        }
    }
}

std::vector<Cell> cut_line(const Reach& r) {
    std::vector<Cell> line;
        for (int i = 0; i < r.grid.lines; ++i) {
        for (int j = 0; j < r.grid.cols; ++j) {
            if (!r.beyond_cut(Cell{i, j})) continue;
            for (int n = 0; n < 4; ++n) {
                const int ni = i + kOrthogonal[n].di, nj = j + kOrthogonal[n].dj;
                if (ni < 0 || nj < 0 || ni >= r.grid.lines || nj >= r.grid.cols || r.beyond_cut(Cell{ni, nj})) continue;
                line.push_back(Cell{i, j});
                break;
            }
        }
    }
    return line;
}
