// The results of a tarvex run, found from their base name: the flooded DEM, the flood extent,
// and the run report, which names the run's input rasters.
#ifndef TARVEX_GIS_RESULTS_H
#define TARVEX_GIS_RESULTS_H

#include <cstdint>
#include <string>
#include <vector>

struct RunResults {
    int lines = 0, cols = 0, pixel = 0;
    std::vector<std::int32_t> dem;     // BASE_tarvex_m4.raw
    std::vector<std::uint8_t> extent;  // BASE_tarvex.raw
    std::string report;                // BASE_tarvex.txt

    std::size_t cells() const { return dem.size(); }
    // The path the report gives for an input ("River mask", "River skeleton", ...).
    std::string input(const std::string& label) const;
};

RunResults load_results(const std::string& base);

#endif
