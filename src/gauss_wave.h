// The Gaussian wave: a symmetric bell of 2*LO+1 samples whose summit is AO_Max metres high.
// Its width follows from a shape factor A, searched from 0.5 until exactly the outermost
// sample on each side falls below one DEM unit.
#ifndef TARVEX_GAUSS_WAVE_H
#define TARVEX_GAUSS_WAVE_H

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

#endif
