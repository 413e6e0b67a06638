#include "run_memory.h"

#include "grid_passes.h"
#include "resources.h"

namespace {

constexpr std::uint64_t kBytesPerCell = 5 * sizeof(unsigned char) + 2 * sizeof(int);
constexpr std::uint64_t kLineOverhead = sizeof(void*) + 16;  // the row pointer and the allocation's header
constexpr std::uint64_t kGrids = 7;
constexpr std::uint64_t kListedLines = 5;  // the raised cells of a pass's recent lines

}  // namespace

std::uint64_t run_memory_need(int nb_lig, int nb_col) {
    const std::uint64_t lines = nb_lig > 0 ? static_cast<std::uint64_t>(nb_lig) : 0;
    const std::uint64_t cols = nb_col > 0 ? static_cast<std::uint64_t>(nb_col) : 0;
    const std::uint64_t grids = saturated_product(saturated_product(lines, cols), kBytesPerCell);
    const std::uint64_t rows = saturated_product(lines, kGrids * kLineOverhead);
    const std::uint64_t per_pass = (kListedLines * cols + 2 * (lines + cols)) * sizeof(Cell);
    const std::uint64_t lists = saturated_product(per_pass, kMaxPasses);
    const std::uint64_t total = grids + rows;
    return total < grids || total + lists < total ? UINT64_MAX : total + lists;
}
