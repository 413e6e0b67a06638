// The Gaussian wave: a symmetric bell of 2*LO+1 samples whose summit is AO_Max metres high.
// Its width follows from a shape factor A, searched from 0.5 until exactly the outermost
// sample on each side falls below one DEM unit.
#ifndef TARVEX_GAUSSIAN_WAVE_H
#define TARVEX_GAUSSIAN_WAVE_H

#include <vector>

#include "run_state.h"
#include "run_log.h"

// The bell for one shape factor A: the height in metres of the sample d pixels from the summit.
class WaveShape {
public:
    WaveShape(int LO, double AO_Max, double A);
    double metres(int d) const;

private:
    double AO_Max_;
    double sig2_;  // the square of the bell's standard deviation, in pixels
};

// The number of the 2*LO+1 samples of the bell that truncate to 0 DEM units. The bell falls
// away from its summit, so those are the outermost samples of each flank: a binary search finds
// where they start, in log LO steps rather than LO.
int wave_zero_count(const WaveShape& bell, int LO, double AO_Max, int coef);

// The search for A: from 0.5, each pass counts the samples that truncate to 0; with more than
// two A goes up by 0.01 (1.0, where the bell is undefined, becomes 1.01), with none down by
// 0.005 (from 1.01, from 1.0); with one or two the search ends. It gives up after 10,000
// passes, or when A falls to 0.
struct WaveSearch {
    bool settled = false;
    double A = 0.5;
    std::vector<int> zero_counts;  // num_zero of each pass
};
WaveSearch search_wave(int LO, double AO_Max, int coef);

// The wave of the parameters: the search, then its samples at the A found. A wave that cannot
// be fitted, or whose samples do not fit in memory, is a fatal stop.
Wave gauss(const Parameters& p, RunLog& log);

#endif
