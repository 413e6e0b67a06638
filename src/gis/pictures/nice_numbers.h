// Round numbers for the ticks of an axis, a legend or a scale bar, and how they are written.
#ifndef TARVEX_GIS_NICE_NUMBERS_H
#define TARVEX_GIS_NICE_NUMBERS_H

#include <string>
#include <vector>

// The round step (1, 2, 2.5 or 5 times a power of ten) that cuts `span` into about `parts`
// parts; 1 for a span that is not positive.
double nice_step(double span, int parts);

// The largest of 1, 2 or 5 times a power of ten that is at most `limit` (> 0): a scale bar's
// length.
double nice_floor(double limit);

// The multiples of `step` from the one at or below `lo` to the one at or above `hi`.
std::vector<double> ticks_around(double lo, double hi, double step);

// `value` with the decimals that multiples of `step` need ("2.5", "10", "0.25"), never "-0".
std::string tick_text(double value, double step);

// A length for people: "250 m", "1.5 km".
std::string length_text(double metres);

#endif
