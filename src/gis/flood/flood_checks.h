// The figures of a flood and the warnings that go with them: what a hydrologist checks before
// trusting a result, never left silent.
#ifndef TARVEX_GIS_FLOOD_CHECKS_H
#define TARVEX_GIS_FLOOD_CHECKS_H

#include <string>
#include <vector>

#include "engine.h"
#include "flood_setup.h"
#include "rating.h"

// A flood made for a discharge: the one asked, how its layer was found, and its hydraulics.
struct DischargeFigures {
    double asked_m3s = 0;
    double manning_n = kDefaultManning;
    std::string how;  // "bisection" or "rating curve"
    int runs = 0;     // the floods run to find the layer
    RatingPoint reached;
};

// Depths beyond this are not plausible for a river's flood.
inline constexpr double kPlausibleDepthM = 20.0;

// A cut of the carved bed into the ground deeper than this is named in a warning: a bridge, a
// dam or an artefact of the DEM more likely than a river bed.
inline constexpr double kDeepCarveM = 5.0;

struct FloodFigures {
    long long flooded_cells = 0;  // cells that joined the water beside the river mask
    double flooded_area_m2 = 0, volume_m3 = 0, max_depth_m = 0, mean_depth_m = 0;
    int path_cells = 0;               // path positions the engine followed
    int path_cells_below_ground = 0;  // where the water surface lies below the ground
    double deepest_below_ground_m = 0;
    long long flooded_cells_beyond_ends = 0;  // flooded past the upper or lower end
    double farthest_beyond_m = 0;
    long long too_deep_cells = 0;  // deeper than kPlausibleDepthM
    // Every wet cell, the river's included: the extent as depth.tif and extent.tif show it.
    long long wet_cells = 0;
    double wet_area_m2 = 0, wet_volume_m3 = 0, wet_max_depth_m = 0, wet_mean_depth_m = 0;
    double wet_bed_area_m2 = 0;  // their plan areas, each times its ground's slope factor
    // The water surface at the two ends, and the profile under it (the bed, or the straight line).
    double water_from_m = 0, water_to_m = 0, profile_from_m = 0, profile_to_m = 0;
    double layer_from_m = 0, layer_to_m = 0;  // the layer's thickness at the two ends (0 without)
    // Under the bed surface: path cells whose ground the carved bed cuts more than kDeepCarveM
    // into, and the deepest cut.
    // Wet cells on the DEM's edge (north, east, south, west), beside cells without data, and on
    // the edge at or below 0 m (the sea, most likely).
    long long edge_cells[4] = {0, 0, 0, 0};
    long long beside_no_data = 0, low_edge_cells = 0;
    int deep_carves = 0;
    double deepest_carve_m = 0;
    Cell deepest_carve{0, 0};
    double river_length_m = 0, straight_m = 0, tortuosity = 0;  // from the real pixel size
    std::vector<std::string> warnings;
    bool for_discharge = false;  // made for a discharge: `discharge` says which, and how
    DischargeFigures discharge;

    // What the rating curve takes from the flood: the wet cells, the path and the profile under
    // the water (the carved bed, or the straight line).
    ChannelMeasures channel() const {
        return ChannelMeasures{wet_volume_m3, wet_bed_area_m2, river_length_m, profile_from_m - profile_to_m};
    }
    // The flood's point of the rating curve with Manning's `n`: its layer, its water levels at
    // the ends and its hydraulics.
    RatingPoint rating(double n) const;
};

// The figures of the run of the reach `r` with the parameters `p`.
FloodFigures measure_flood(const Reach& r, const RunSettings& p, const Results& results);

// Adds a warning when the flood made for a discharge carries one further from it than the
// search's tolerance.
void warn_of_discharge(FloodFigures& f);

std::string stats_json(const Reach& r, const FloodFigures& f);

// The short summary: where the ends landed, the river, the flood, the warnings and the files.
std::string summary_text(const Reach& r, const FloodFigures& f, const std::vector<std::string>& files);

#endif
