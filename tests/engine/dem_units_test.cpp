#include "dem_units.h"

#include <gtest/gtest.h>

#include <cmath>

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

TEST(DemUnits, ASinglePrecisionValueIsTheDecimalItStandsFor) {
    EXPECT_EQ(decimal_of(9.6f), 9.6);  // 9.6f is 9.6000003815..., but stands for 9.6
    EXPECT_EQ(decimal_of(0.1f), 0.1);
    EXPECT_EQ(decimal_of(-123.45f), -123.45);
    EXPECT_EQ(decimal_of(16777216.0f), 16777216.0);
    EXPECT_EQ(decimal_of(1e-40f), 1e-40);  // a subnormal
    EXPECT_TRUE(std::isnan(decimal_of(std::nanf(""))));
    EXPECT_EQ(to_dem_units(decimal_of(9.6f), 10), 95);  // as 9.6 typed in the dialog
}
