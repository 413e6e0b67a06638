// A flood map scored against an observed flood on the flood's grid: the observation and the
// domain brought onto the grid, and the class of every cell.
#ifndef TARVEX_GIS_SCORING_H
#define TARVEX_GIS_SCORING_H

#include <string>

#include "agreement.h"
#include "flood_ground.h"

// What a flood is scored against, on its grid: the cells flooded in the observation, and the
// cells scored (the domain).
struct Benchmark {
    ByteGrid observed, domain;
    std::int64_t domain_cells = 0;
};

// The observed flood `observed` (polygons, or the set cells of a raster: neither 0 nor no
// data; in any coordinate system) on the flood's grid, and the domain: the cells where the DEM
// has data, within the polygons `domain_polygons` when given. Fails when the observation sets
// no cell of the flood's window, or the domain holds none.
Benchmark read_benchmark(const FloodGround& g, const std::string& observed, const std::string& domain_polygons);

// Each cell's class (a value of Agreement) and their counts over the domain.
struct Scored {
    ByteGrid classes;
    Contingency counts;
};
Scored score(const ByteGrid& water, const Benchmark& b);

#endif
