// The figures of a flood and the warnings that go with them: what a hydrologist checks before
// trusting a result, never left silent.
#ifndef TARVEX_GIS_FLOOD_CHECKS_H
#define TARVEX_GIS_FLOOD_CHECKS_H

#include <string>
#include <vector>

#include "engine.h"
#include "flood_setup.h"

// Depths beyond this are not plausible for a river's flood.
inline constexpr double kPlausibleDepthM = 20.0;

struct FloodFigures {
    long long flooded_cells = 0;  // cells that joined the water beside the river mask
    double flooded_area_m2 = 0, volume_m3 = 0, max_depth_m = 0, mean_depth_m = 0;
    int path_cells = 0;               // path positions the engine followed
    int path_cells_below_ground = 0;  // where the water surface lies below the ground
    double deepest_below_ground_m = 0;
    long long flooded_cells_beyond_ends = 0;  // flooded past the upper or lower end
    double farthest_beyond_m = 0;
    long long too_deep_cells = 0;  // deeper than kPlausibleDepthM
    double river_length_m = 0, straight_m = 0, tortuosity = 0;  // from the real pixel size
    std::vector<std::string> warnings;
};

FloodFigures measure_flood(const Reach& r, const Results& results);

std::string stats_json(const Reach& r, const FloodFigures& f);

// A text as a JSON string: quotes, backslashes and control characters (a line break in a reason) escaped.
std::string json_text(const std::string& s);

// The short summary: where the ends landed, the river, the flood, the warnings and the files.
std::string summary_text(const Reach& r, const FloodFigures& f, const std::vector<std::string>& files);

#endif
