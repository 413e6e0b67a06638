// Metres to DEM units: the exact product metres x coef, truncated toward zero.
//
// A double times a factor of at most 1000 is formed exactly (the rounded product plus its
// error term from a fused multiply-add), so 100.3 m at coef 10 gives 1002: the double nearest
// to 100.3 lies just below it, although the product rounded to a double is 1003.0.
// Public: the GIS converts a DEM's metres and a user's levels to DEM units as a run does.
#ifndef TARVEX_DEM_UNITS_H
#define TARVEX_DEM_UNITS_H

#include <cstdint>

// The exact truncated product; values beyond the 64-bit range saturate.
std::int64_t dem_units_wide(double metres, int coef);

// True when the truncated product fits a 32-bit signed integer.
bool dem_units_fit(double metres, int coef);

// The truncated product as a 32-bit DEM value, saturated at the 32-bit limits.
int to_dem_units(double metres, int coef);

// A wide sum or mean of DEM values brought back to 32 bits, saturated at the limits.
int clamp_dem(std::int64_t value);

// A single-precision value as the decimal number it stands for, the shortest that reads back
// as it (9.9f, stored as 9.8999996185..., is 9.9), as a double: converted to DEM units, it
// gives what the dialog gives for that number typed.
double decimal_of(float value);

#endif
