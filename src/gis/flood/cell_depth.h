// The depth of the water on a cell: the one rule that a flood's depth raster, its map, its
// figures and the export of a run's depth all follow.
#ifndef TARVEX_GIS_CELL_DEPTH_H
#define TARVEX_GIS_CELL_DEPTH_H

#include <cmath>
#include <cstdint>
#include <limits>

// What a cell without data holds in a DEM brought to DEM units: the highest altitude, high
// ground that water never enters.
inline constexpr std::int32_t kNoGround = std::numeric_limits<std::int32_t>::max();

// The depth in metres of the water at `level` over `ground` (DEM units, `units_per_metre` a
// metre) on a cell the flood's extent marks `wet`. A cell is dry (NaN) unless it is wet, its
// ground is known and the water stands above it: a cell the river surface only raised (the
// console program's rules raise some without wetting them) or lowered has no depth.
inline double cell_depth(std::int32_t ground, std::int32_t level, bool wet, int units_per_metre) {
    if (!wet || ground == kNoGround || level <= ground) return std::nan("");
    return (static_cast<double>(level) - ground) / units_per_metre;
}

#endif
