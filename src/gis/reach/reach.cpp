#include "reach.h"

#include <algorithm>

#include "thinning.h"

namespace {

constexpr unsigned char kStart = 9;  // in the grid of the steps taken, after the 8 directions
constexpr unsigned char kOnPath = 1, kEnd = 2, kReached = 3;

// Calls fn(cell) for each set neighbour of c.
template <typename Fn>
void for_each_neighbour(const ByteGrid& line, Cell c, Fn fn) {
    for (const Offset& o : kRing) {
        if (is_set(line, c.i + o.di, c.j + o.dj)) fn(Cell{c.i + o.di, c.j + o.dj});
    }
}

// The path's cells marked on a grid of the centreline's size: its ends kEnd, the others kOnPath.
ByteGrid mark_path(const ByteGrid& line, const std::vector<Cell>& path) {
    ByteGrid marks(line.nb_lig(), line.nb_col());
    for (const Cell c : path) marks[c.i][c.j] = kOnPath;
    marks[path.front().i][path.front().j] = marks[path.back().i][path.back().j] = kEnd;
    return marks;
}

// The middle cell of each run of consecutive interior path cells that touch a centreline cell
// off the path: one place for each branch, however many path cells it touches.
std::vector<Cell> junctions(const ByteGrid& line, const ByteGrid& marks, const std::vector<Cell>& path) {
    std::vector<Cell> found;
    std::size_t run = 0;
    for (std::size_t k = 1; k < path.size(); ++k) {
        bool touches = false;
        if (k + 1 < path.size()) {
            for_each_neighbour(line, path[k], [&](Cell n) { touches = touches || marks[n.i][n.j] == 0; });
        }
        if (touches) ++run;
        if (!touches && run > 0) {
            found.push_back(path[k - 1 - run / 2]);
            run = 0;
        }
    }
    return found;
}

// Whether centreline cells off the path join its two ends: another way between them.
bool other_way(const ByteGrid& line, ByteGrid& marks, Cell from, Cell to) {
    std::vector<Cell> queue;
    for_each_neighbour(line, from, [&](Cell n) {
        if (marks[n.i][n.j] != 0) return;
        marks[n.i][n.j] = kReached;
        queue.push_back(n);
    });
    for (std::size_t head = 0; head < queue.size(); ++head) {
        bool at_end = false;
        for_each_neighbour(line, queue[head], [&](Cell n) {
            at_end = at_end || n == to;
            if (marks[n.i][n.j] != 0) return;
            marks[n.i][n.j] = kReached;
            queue.push_back(n);
        });
        if (at_end) return true;
    }
    return false;
}

}  // namespace

std::vector<Cell> shortest_line(const ByteGrid& line, Cell from, Cell to) {
    // A breadth-first search from `from`, each cell holding the direction it was reached in.
    ByteGrid came(line.nb_lig(), line.nb_col());
    came[from.i][from.j] = kStart;
    std::vector<Cell> queue{from};
    for (std::size_t head = 0; head < queue.size() && came[to.i][to.j] == 0; ++head) {
        const Cell c = queue[head];
        for (int k = 0; k < 8; ++k) {
            const Cell n{c.i + kRing[k].di, c.j + kRing[k].dj};
            if (!is_set(line, n.i, n.j) || came[n.i][n.j] != 0) continue;
            came[n.i][n.j] = static_cast<unsigned char>(k + 1);
            queue.push_back(n);
        }
    }
    if (came[to.i][to.j] == 0) return {};
    std::vector<Cell> path{to};
    for (Cell c = to; c != from;) {
        const Offset step = kRing[came[c.i][c.j] - 1];
        c = Cell{c.i - step.di, c.j - step.dj};
        path.push_back(c);
    }
    std::reverse(path.begin(), path.end());
    return path;
}

std::vector<Cell> branches_between(const ByteGrid& line, const std::vector<Cell>& path) {
    ByteGrid marks = mark_path(line, path);
    std::vector<Cell> found = junctions(line, marks, path);
    if (found.empty() && other_way(line, marks, path.front(), path.back())) found = {path.front(), path.back()};
    return found;
}
