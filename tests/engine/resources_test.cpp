// What the machine has for a run, and what a run needs.
#include "resources.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "run_memory.h"

namespace {

constexpr std::uint64_t kKiB = 1024, kGiB = 1024 * 1024 * 1024;

}  // namespace

TEST(AvailableMemory, IsTheKernelsAvailableMemoryWithinTheControlGroupsLimit) {
    const std::string meminfo = "MemTotal:       24683784 kB\nMemFree:         1000 kB\nMemAvailable:   20000000 kB\n";
    const struct {
        std::string meminfo, limit, usage;
        std::uint64_t available;
    } cases[] = {
        {meminfo, "", "", 20000000 * kKiB},
        {meminfo, "max\n", "12345\n", 20000000 * kKiB},                     // a group without a limit
        {meminfo, "4294967296\n", "1073741824\n", 3 * kGiB},                 // 4 GiB, 1 GiB used
        {meminfo, "1073741824\n", "2147483648\n", 0},                        // over its limit already
        {meminfo, "9223372036854771712\n", "48115712\n", 20000000 * kKiB},  // version 1 without a limit
        {"MemTotal: 8 kB\nMemFree:  1000 kB\n", "", "", 1000 * kKiB},        // an old kernel
        {"", "", "", 0},
    };
    for (const auto& k : cases) {
        EXPECT_EQ(available_memory_from(k.meminfo, k.limit, k.usage), k.available) << k.limit << " / " << k.usage;
    }
    EXPECT_GT(available_memory(), 0u);
}

TEST(RunMemory, ElevenBytesACellWithTheLinesAndThePassLists) {
    // 1000 x 2000: 22,000,000 bytes of cells (three byte grids, the DEM, the surface counted
    // whole), 1000 lines of 4 x 24 bytes for the grids and 40 for the surface, and 64 passes
    // of (5 x 2000 + 2 x 3000) cells of 8 bytes.
    EXPECT_EQ(run_memory_need(1000, 2000), 22000000u + 136000u + 8192000u);
    EXPECT_EQ(run_memory_need(0, 5), 64u * 8u * 35u);
    // No product wraps around, however large the descriptor's sizes.
    EXPECT_GT(run_memory_need(2147483647, 2147483647), 13u * 4611686014132420609u / 2u);
}

TEST(SizeText, ShowsBytesInTheLargestUnitBelowThem) {
    EXPECT_EQ(size_text(512), "512 bytes");
    EXPECT_EQ(size_text(1536), "1.5 KiB");
    EXPECT_EQ(size_text(3 * kGiB + kGiB / 2), "3.5 GiB");
    EXPECT_EQ(size_text(UINT64_MAX), "16.0 EiB");
    EXPECT_EQ(saturated_product(UINT64_MAX / 2, 3), UINT64_MAX);
}
