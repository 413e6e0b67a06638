// The neighbours of a grid cell: one table for the engine's passes and tracing and for its
// callers. Public: the GIS thins, follows and measures lines in the engine's own neighbour
// order and step lengths, so that what it shows is what a run follows.
#ifndef TARVEX_NEIGHBOURS_H
#define TARVEX_NEIGHBOURS_H

struct Offset {
    int di, dj;
};

// The eight neighbours in the order a run visits them: up-left, up, up-right, right,
// down-right, down, down-left, left. Neighbour k weighs 1 << k in a ring code.
inline constexpr Offset kRing[8] = {{-1, -1}, {-1, 0}, {-1, 1}, {0, 1}, {1, 1}, {1, 0}, {1, -1}, {0, -1}};

// The four orthogonal ones, up, right, down, left (ring places 1, 3, 5 and 7).
inline constexpr Offset kOrthogonal[4] = {kRing[1], kRing[3], kRing[5], kRing[7]};

// The ring codes of a pixel at the corner of a right-angle elbow, whose only set neighbours are
// two orthogonal ones at right angles: up + right, right + down, down + left, left + up.
inline constexpr int kElbowCodes[4] = {2 + 8, 8 + 32, 32 + 128, 128 + 2};

// The length in pixels of a diagonal step, √2 as the nearest double.
inline constexpr double kDiagonalStep = 1.4142135623730951;

// The length in pixels of a step between two neighbouring cells: 1 along a side, √2 across a
// corner.
inline double step_pixels(int di, int dj) { return di != 0 && dj != 0 ? kDiagonalStep : 1.0; }

#endif
