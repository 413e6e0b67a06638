#include "run_memory.h"

#include "grid_passes.h"
#include "resources.h"
#include "surface_grid.h"

namespace {

// A run holds at once at most three byte grids (the mask, the skeleton, and the thinned
// skeleton or a provisional set in the memory of one of them), the DEM and the surface. The
// surface holds only spans of lines, but they can reach across every line: it is counted whole.
constexpr std::uint64_t kBytesPerCell = 3 * sizeof(unsigned char) + sizeof(int) + sizeof(int);
constexpr std::uint64_t kLineOverhead = sizeof(void*) + 16;  // the row pointer and the allocation's header
constexpr std::uint64_t kWholeGrids = 4;                     // the byte grids and the DEM
// The surface's row pointer and span, and the figures of a line made while it is laid out.
constexpr std::uint64_t kSurfaceLine = sizeof(int*) + 3 * sizeof(Span) + sizeof(std::size_t);
constexpr std::uint64_t kListedLines = 5;  // the raised cells of a pass's recent lines

}  // namespace

std::uint64_t run_memory_need(int nb_lig, int nb_col) {
    const std::uint64_t lines = nb_lig > 0 ? static_cast<std::uint64_t>(nb_lig) : 0;
    const std::uint64_t cols = nb_col > 0 ? static_cast<std::uint64_t>(nb_col) : 0;
    const std::uint64_t grids = saturated_product(saturated_product(lines, cols), kBytesPerCell);
    const std::uint64_t rows = saturated_product(lines, kWholeGrids * kLineOverhead + kSurfaceLine);
    const std::uint64_t per_pass = (kListedLines * cols + 2 * (lines + cols)) * sizeof(Cell);
    const std::uint64_t lists = saturated_product(per_pass, kMaxPasses);
    const std::uint64_t total = grids + rows;
    return total < grids || total + lists < total ? UINT64_MAX : total + lists;
}
