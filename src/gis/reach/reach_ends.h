// The ends of a reach: which part of the path each cell lies nearest to, which cells lie past
// an end, and the cut that keeps a flood within the reach.
#ifndef TARVEX_GIS_REACH_ENDS_H
#define TARVEX_GIS_REACH_ENDS_H

#include <vector>

#include "flood_setup.h"

// What part of the path each cell lies nearest to: its first position, its last, or another.
enum Nearest : unsigned char { kUnreached, kFirst, kLast, kInner };

// For every cell, the part of the first `positions` of the path holding the position nearest to
// it through the grid (4-neighbour steps, ties to the position that reaches it first): a byte a
// cell, where the position itself would take four, since every level of a library has one at once.
std::vector<unsigned char> nearest_parts(const Reach& r, int positions);

// Whether the cell (i, j), nearest the part `part` of the path, lies past an end: on the far
// side of the line across the path's direction at that end (the direction from a few positions
// inside to the end); `distance_cells` is its distance from the end.
bool past_end(const Reach& r, int positions, unsigned char part, int i, int j, double& distance_cells);

// Cuts the valley at the two ends: every cell past an end becomes Reach::kBeyondCut in the mask,
// which the run keeps dry. A cell lies past an end only when that end is its nearest position,
// so a meander is never cut by the other end's line.
void cut_beyond_ends(Reach& r);

// The cells past a cut that touch a cell short of it: the lines of the cuts, for a map.
std::vector<Cell> cut_line(const Reach& r);

#endif
