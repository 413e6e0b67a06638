#include "dem_units.h"

#include <gtest/gtest.h>

#include <cstdint>

TEST(DemUnits, TheExactProductIsTruncatedTowardZero) {
    EXPECT_EQ(to_dem_units(100.3, 10), 1002);  // 100.3 is stored just below 100.3
    EXPECT_EQ(to_dem_units(0.3, 1000), 299);
    EXPECT_EQ(to_dem_units(123.9, 1), 123);
    EXPECT_EQ(to_dem_units(-0.5, 1), 0);
    EXPECT_EQ(to_dem_units(-100.3, 10), -1002);
    EXPECT_EQ(to_dem_units(97.0, 10), 970);
    EXPECT_EQ(to_dem_units(0.5, 100), 50);
    EXPECT_EQ(to_dem_units(2.0, 1000), 2000);
}

TEST(DemUnits, ValuesBeyond32BitsAreDetectedAndSaturated) {
    EXPECT_TRUE(dem_units_fit(2147483.646, 1000));
    EXPECT_FALSE(dem_units_fit(2147483.649, 1000));
    EXPECT_FALSE(dem_units_fit(-1e300, 10));
    EXPECT_EQ(to_dem_units(1e300, 1000), INT32_MAX);
    EXPECT_EQ(to_dem_units(-1e300, 1000), INT32_MIN);
    EXPECT_EQ(clamp_dem(static_cast<std::int64_t>(INT32_MAX) + 5), INT32_MAX);
    EXPECT_EQ(clamp_dem(-7), -7);
}
