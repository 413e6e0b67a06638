// What the growth passes of the river surface and of the flooding share: the pass loop with
// its progress counter, and an engine that runs many passes in one sweep down the grid.
//
// A pass reads the set (filled cells, water cells) as it stood at its start and adds cells to
// it; a cell outside the set changes only when a neighbour joined the set in the pass before,
// or when it changed itself in the pass before (a flooded cell that climbs but stays dry). So
// each pass needs only the cells listed by the pass before, and a pass at line r needs the
// previous pass to be done with lines up to r + 1. The engine therefore runs a window of
// passes together, each a block of lines behind the one before it: the lines a front crosses
// are then read and written by every pass of the window while they are still in the cache,
// instead of once per pass from memory. Grids, counts and console output are those of passes
// run one after the other.
#ifndef TARVEX_GRID_PASSES_H
#define TARVEX_GRID_PASSES_H

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <stdexcept>
#include <vector>

#include "buffer.h"
#include "byte_grids.h"
#include "run_log.h"
#include "grid_neighbours.h"

// Runs passes until one changes nothing. Before each pass the count of the previous one is
// shown on one console line (500 before the first); the last count, 0, is not shown. Each
// pass done is reported as progress of `phase`.
template <typename Pass>
void run_passes(RunLog& log, const char* phase, Pass pass) {
    long long modif = 500;
    for (long long number = 1; modif > 0; ++number) {
        log.say("\t    modif = %lld     \r    ", modif);
        modif = pass();
        log.pass_done(phase, number, modif);
    }
}

// The most passes a window runs: one bit of a 64-bit word per pass.
constexpr int kMaxPasses = 64;

struct Cell {
    int i, j;
};

using Cells = Buffer<Cell>;

// What a pass did to a cell it examined.
enum class Change { none, joins, climbs };

// The directions of the neighbours inside the grid that are not in `code` (the weights of
// set neighbours: up 2, right 8, down 32, left 128): those a cell joining the set may make
// worth examining.
inline int open_directions(int code, int i, int j, GridShape g) {
    int open = 0;
    if (i > 0 && (code & 2) == 0) open |= kUp;
    if (j + 1 < g.nb_col && (code & 8) == 0) open |= kRight;
    if (i + 1 < g.nb_lig && (code & 32) == 0) open |= kDown;
    if (j > 0 && (code & 128) == 0) open |= kLeft;
    return open;
}

// The set a growth adds cells to (the water, the filled river) and its provisional copy
// (tab_mask_prov, tab_soul_prov): a cell that joins enters both, once the pass is done with its
// neighbours. The rules of both growths derive from it.
struct GrowingSet {
    unsigned char* const* grown;
    unsigned char* const* prov;
    void commit(int i, int j) const {
        grown[i][j] = 1;
        prov[i][j] = 1;
    }
};

// Runs windows of passes. `Rules` gives, for a cell (i, j):
//   bool wanted(i, j)    whether it is to be examined when a neighbour has joined the set;
//   Change examine(i, j, open)
//                        one pass's rule applied to it (writing its value), setting `open` to
//                        its open_directions when it joins;
//   void commit(i, j)    its entry into the set, once the pass is done with its neighbours.
//
// Pass k of a window goes down the grid a block of kBlock lines at a time, at step b + k for
// block b, so that it is always one block behind pass k - 1 (here kBlock = 4, three passes):
//
//            step 0   step 1   step 2   step 3   step 4
//   lines 0-3  pass 0   pass 1   pass 2
//   lines 4-7           pass 0   pass 1   pass 2
//   lines 8-11                   pass 0   pass 1   pass 2
//
// Visiting line r, a pass examines its cells of line r, then lets the cells that joined in
// line r - 1 into the set (their neighbours in lines r - 2 to r are all examined by now) and
// lists for the next pass the cells of line r - 1 worth examining. So a pass reads lines up to
// r + 1 of the set as the pass before left them, and writes only lines up to r: with blocks of
// two lines or more, the pass before has finished every line the pass reads (it is a block
// ahead), and has gone past every line the pass writes.
template <typename Rules>
class PassWindow {
public:
    // A window runs `passes` passes (1 to kMaxPasses): the more, the longer a line stays in
    // the cache for; 64 keeps the lines of a window within the second-level cache.
    PassWindow(GridShape g, Rules& rules, int passes)
        : g_(g), rules_(rules), lanes_(checked_passes(passes)),
          steps_(static_cast<std::size_t>(g.nb_lig / kBlock) + static_cast<std::size_t>(passes) + 2, 0),
          stamp_(static_cast<std::size_t>(g.nb_col), 0) {}

    // The cells to examine in the first pass: the wanted neighbours of the cells set (== 1)
    // in `set`, in line order, each once.
    Cells first_cells(unsigned char* const* set) {
        Cells first;
        Lane seed;
        for (int r = 0; r <= g_.nb_lig; ++r) {
            if (r < g_.nb_lig) set_in_line(set, r, seed.joined(r));
            emit(seed, r - 1, first);
            seed.done_with(r);
        }
        return first;
    }

    // Runs the next window of passes, the first examining `cells`; appends their counts to
    // `counts` and leaves in `cells` those the pass after them examines.
    void run(Cells& cells, std::vector<long long>& counts) {
        const int passes = static_cast<int>(lanes_.size());
        for (Lane& lane : lanes_) lane.reset();
        lanes_[0].in.swap(cells);
        cells.clear();
        schedule(0, next_row(lanes_[0]));
        // Within a step, passes go in their order: a pass's visit completes the lines the
        // next one reads in the same step.
        for (std::size_t step = 0; step < steps_.size(); ++step) {
            std::uint64_t& due = steps_[step];
            while (due != 0) {
                const int k = lowest_bit(due);
                due &= due - 1;
                visit(k, static_cast<int>(step) - k, k + 1 < passes ? lanes_[k + 1].in : cells);
            }
        }
        for (const Lane& lane : lanes_) counts.push_back(lane.count);
    }

private:
    static constexpr int kNone = -1;
    static constexpr std::size_t kKeptCells = 512;
    // Lines a pass goes down in one visit; see the diagram above for why two at least.
    static constexpr int kBlock = 4;
    static_assert(kBlock >= 2, "a pass must stay a whole block behind the lines the pass before reads");
    static_assert(kMaxPasses <= 64, "the passes due at a step are the bits of one 64-bit word");

    static std::size_t checked_passes(int passes) {
        if (passes < 1 || passes > kMaxPasses) throw std::invalid_argument("a window runs 1 to 64 passes");
        return static_cast<std::size_t>(passes);
    }

    static int lowest_bit(std::uint64_t bits) {
#if defined(__GNUC__) || defined(__clang__)
        return __builtin_ctzll(bits);
#else
        int k = 0;
        while ((bits & 1) == 0) {
            bits >>= 1;
            ++k;
        }
        return k;
#endif
    }

    // A cell raised in a line, with the directions in which it may make neighbours worth
    // examining.
    struct Raised {
        int j;
        int open;
    };
    using Line = Buffer<Raised>;

    // One pass of the window: the cells it examines, how far down it has gone, and the cells
    // it raised in its recent lines, whose neighbours the next pass examines: those that
    // joined the set in the last three lines and those that climbed (raised, but not joined)
    // in the last two, kept in rings indexed by line number.
    struct Lane {
        Cells in;
        std::size_t next = 0;
        int row = -1;     // the last line visited
        int due = kNone;  // the line it is scheduled for
        Line joined_lines[3];
        Line climbed_lines[2];
        long long count = 0;

        Line& joined(int r) { return joined_lines[static_cast<unsigned>(r + 3) % 3]; }
        const Line& joined(int r) const { return joined_lines[static_cast<unsigned>(r + 3) % 3]; }
        Line& climbed(int r) { return climbed_lines[static_cast<unsigned>(r + 2) % 2]; }
        const Line& climbed(int r) const { return climbed_lines[static_cast<unsigned>(r + 2) % 2]; }

        void reset() {
            in.clear();
            next = 0;
            row = -1;
            due = kNone;
            for (Line& l : joined_lines) l.clear();
            for (Line& l : climbed_lines) l.clear();
            count = 0;
        }
        // Whether lines up to `row` still have cells to let in or neighbours to list.
        bool pending() const { return !joined(row - 1).empty() || !joined(row).empty() || !climbed(row).empty(); }
        // Line r - 1 is listed: the joins of line r - 2 and the climbs of line r - 1 are done
        // with, and their slots take lines r + 1.
        void done_with(int r) {
            joined(r - 2).clear();
            climbed(r - 1).clear();
        }
    };

    int next_row(const Lane& lane) const {
        if (lane.pending()) return lane.row + 1;
        return lane.next < lane.in.size() ? lane.in[lane.next].i : kNone;
    }

    // Pass k is due at line r: at the step of r's block plus k.
    void schedule(int k, int r) {
        lanes_[static_cast<std::size_t>(k)].due = r;
        if (r != kNone) steps_[static_cast<std::size_t>(r / kBlock + k)] |= std::uint64_t{1} << k;
    }

    // Pass k in block b: goes down the lines of the block it has work in. A pass is scheduled
    // once at a time, always for a later step than its last, so the step that calls it is
    // the step of the line it is due at.
    void visit(int k, int b, Cells& out) {
        Lane& lane = lanes_[static_cast<std::size_t>(k)];
        assert(lane.due != kNone && lane.due / kBlock == b);
        int r = lane.due;
        while (r != kNone && r < (b + 1) * kBlock) {
            visit_line(k, lane, r, out);
            r = next_row(lane);
        }
        schedule(k, r);
    }

    // Pass k at line r: examines its cells there, then, its neighbours in line r - 1 being
    // final, lets the cells that joined in line r - 1 into the set and lists for the next pass
    // the cells of line r - 1 (line g_.nb_lig is a virtual last line that only completes the
    // one before it).
    void visit_line(int k, Lane& lane, int r, Cells& out) {
        Line& joins = lane.joined(r);
        Line& climbs = lane.climbed(r);
        while (lane.next < lane.in.size() && lane.in[lane.next].i == r) {
            const int j = lane.in[lane.next++].j;
            int open = 0;
            const Change change = rules_.examine(r, j, open);
            if (change == Change::none) continue;
            ++lane.count;
            if (change == Change::joins) {
                joins.push_back(Raised{j, open});
            } else {
                climbs.push_back(Raised{j, 0});
            }
        }
        // The cells examined are done with: dropping them keeps the list short and its memory
        // in the cache, as the pass before keeps appending to it.
        if (lane.next >= kKeptCells) {
            lane.in.drop_front(lane.next);
            lane.next = 0;
        }
        for (const Raised& c : lane.joined(r - 1)) rules_.commit(r - 1, c.j);
        const std::size_t listed = out.size();
        emit(lane, r - 1, out);
        lane.done_with(r);
        lane.row = r;
        if (r >= g_.nb_lig) {  // the lines below the grid have no cells to list
            lane.joined(r - 1).clear();
            lane.joined(r).clear();
        }
        // Lines listed for the next pass: it is idle, or already due at a line above, since
        // this pass lists lines in order and stays a block ahead of it.
        if (out.size() != listed && k + 1 < static_cast<int>(lanes_.size())) {
            const int due = lanes_[static_cast<std::size_t>(k + 1)].due;
            assert(due == kNone || due <= r - 1);
            if (due == kNone) schedule(k + 1, r - 1);
        }
    }

    // Lists into `out` the wanted cells of line r next to the cells raised around it (joined
    // in lines r - 1, r and r + 1, climbed in line r), each once.
    void emit(const Lane& lane, int r, Cells& out) {
        const Line& above = lane.joined(r - 1);
        const Line& same = lane.joined(r);
        const Line& climbed = lane.climbed(r);
        const Line& below = lane.joined(r + 1);
        if (r < 0 || r >= g_.nb_lig || (above.empty() && same.empty() && climbed.empty() && below.empty())) return;
        ++stamp_id_;
        if (stamp_id_ == 0) {  // the stamps wrapped around: forget them all
            std::fill(stamp_.begin(), stamp_.end(), 0);
            stamp_id_ = 1;
        }
        for (const Raised& c : above) {
            if ((c.open & kDown) != 0) offer(r, c.j, out);
        }
        for (const Raised& c : same) {
            if ((c.open & kLeft) != 0) offer(r, c.j - 1, out);
            if ((c.open & kRight) != 0) offer(r, c.j + 1, out);
        }
        for (const Raised& c : climbed) offer(r, c.j, out);
        for (const Raised& c : below) {
            if ((c.open & kUp) != 0) offer(r, c.j, out);
        }
    }

    // Cells offered lie inside the grid.
    void offer(int r, int j, Cells& out) {
        std::uint32_t& seen = stamp_[static_cast<std::size_t>(j)];
        if (seen == stamp_id_) return;
        seen = stamp_id_;
        if (rules_.wanted(r, j)) out.push_back(Cell{r, j});
    }

    void set_in_line(unsigned char* const* set, int r, Line& cells) const {
        const unsigned char* row = set[r];
        const unsigned char* end = row + g_.nb_col;
        for (const unsigned char* p = row; (p = static_cast<const unsigned char*>(
                                                std::memchr(p, 1, static_cast<std::size_t>(end - p)))) != nullptr;
             ++p) {
            const int j = static_cast<int>(p - row);
            cells.push_back(Raised{j, open_directions(0, r, j, g_)});
        }
    }

    GridShape g_;
    Rules& rules_;
    std::vector<Lane> lanes_;
    std::vector<std::uint64_t> steps_;  // per step, the passes due then (bit k: pass k)
    std::vector<std::uint32_t> stamp_;  // per column, the last listing that took it
    std::uint32_t stamp_id_ = 0;
};

// Runs passes with a PassWindow until one changes nothing, printing the counter as
// run_passes does, starting from the wanted neighbours of the cells set in `set`. The lists
// grow with the fronts; when memory runs out for them the run stops as for its grids.
template <typename Rules>
void run_windows(RunLog& log, const char* phase, GridShape g, Rules& rules, unsigned char* const* set, int passes) {
    try {
        PassWindow<Rules> window(g, rules, passes);
        Cells cells = window.first_cells(set);
        std::vector<long long> counts;
        std::size_t shown = 0;
        run_passes(log, phase, [&]() -> long long {
            if (shown == counts.size()) {
                counts.clear();
                shown = 0;
                window.run(cells, counts);
            }
            return counts[shown++];
        });
    } catch (const std::bad_alloc&) {
        log.fatal("\n Not enough memory for the cell lists of the passes \n");
    }
}

#endif
