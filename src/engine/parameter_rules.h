// The rules a run's parameters must meet. The dialog asks again when an answer breaks one;
// the engine stops on a scenario that breaks one.
#ifndef TARVEX_PARAMETER_RULES_H
#define TARVEX_PARAMETER_RULES_H

#include <cstdint>
#include <string>

#include "byte_grids.h"
#include "run_state.h"

// Why the two end points cannot be used, or an empty text: the lower point higher than the
// upper one, a point outside the grid, one pixel for both.
std::string end_point_caution(const Parameters& p, GridShape g);

// The number of skeleton pixels (set to 1).
std::int64_t skeleton_pixels(const ByteGrid& tab_soul);

// Why a wave cannot be used, or an empty text: a half length outside 1 .. longest, a summit
// outside the grid, a summit below one DEM unit, or one unit spread over more than a pixel.
std::string wave_refusal(const Parameters& p, GridShape g, int longest);

// True when |metres| x coef is at most one DEM unit, the product taken exactly.
bool at_most_one_unit(double metres, int coef);

#endif
