// A program of its own: its operator new can be told to fail once, at the n-th allocation, so
// that the lists of the passes run out of memory on demand.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "flooding.h"
#include "river_construction.h"
#include "test_support.h"

namespace {

std::atomic<long> allocations_before_failure{-1};  // -1: no allocation fails

}  // namespace

void* operator new(std::size_t size) {
    const long left = allocations_before_failure.load();
    if (left >= 0) {
        allocations_before_failure.store(left - 1);
        if (left == 0) throw std::bad_alloc();
    }
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
// The replaced operator new takes its memory from malloc, so the replaced deletes give it back
// with free (GCC cannot see that they are a pair).
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

namespace {

// A river cell in the middle of a lower plain, also a filled skeleton pixel inside a mask, so
// that both pass loops have cells to list.
struct Plain : StageFixture {
    Plain() : StageFixture(7, 7) {
        std::vector<int> centre(49, 0), everywhere(49, 1), levels(49, 10), surface(49, kNoData);
        centre[24] = 1;
        levels[24] = 50;
        surface[24] = 50;
        fill(g.tab_mask, centre);
        fill(g.tab_mask_prov, centre);
        fill(g.itab_in, levels);
        fill(g.tab_soul, centre);
        fill(g.tab_soul_prov, centre);
        fill(g.itab_out, surface);
    }
};

// Runs `passes` with the n-th allocation failing; returns the stop status, or -1 when the
// passes ran to their end.
template <typename Passes>
int status_when_allocation_fails(Plain& p, long n, Passes passes) {
    allocations_before_failure.store(n);
    int status = -1;
    try {
        passes(p.g, p.log);
    } catch (const Stop&) {
        status = 1;
    }
    allocations_before_failure.store(-1);
    return status;
}

}  // namespace

// The first allocations of the passes are those of their lists: when one fails, the run stops
// with status 1 and says why, for either loop, instead of ending on an uncaught exception.
TEST(PassLists, MemoryRunningOutForThemIsAFatalStop) {
    for (long n = 0; n < 4; ++n) {
        Plain flood, surface;
        EXPECT_EQ(status_when_allocation_fails(flood, n, [](Grids& g, RunLog& log) { flooding(g, log); }), 1)
            << "allocation " << n;
        EXPECT_NE(flood.printed().find("Not enough memory for the cell lists of the passes"), std::string::npos);
        EXPECT_EQ(status_when_allocation_fails(surface, n,
                                               [](Grids& g, RunLog& log) { river_construction(g, log); }),
                  1)
            << "allocation " << n;
    }
    Plain unhindered;
    EXPECT_EQ(status_when_allocation_fails(unhindered, 1000000, [](Grids& g, RunLog& log) { flooding(g, log); }), -1);
    EXPECT_EQ(unhindered.g.tab_mask[0][0], 1);  // the plain flooded to its corners
}
