// The line of a thinned centreline between two of its cells, and the places where the
// centreline leaves it before its end: what decides whether the engine can follow it.
#ifndef TARVEX_GIS_REACH_H
#define TARVEX_GIS_REACH_H

#include <vector>

#include "centreline.h"

// A shortest 8-connected line of set cells from `from` to `to`, both included; empty when no
// line of set cells joins them. Being shortest, each of its cells touches only the one before
// and the one after: the engine, stepping to a set neighbour not yet visited, follows it.
std::vector<Cell> shortest_line(const ByteGrid& line, Cell from, Cell to);

// Where the centreline between the two ends of `path` is more than `path`: for each branch
// that joins it between its ends, the middle of the path cells it touches; for another way
// between the two ends, the two ends. Empty when `path` is all of the centreline between them.
std::vector<Cell> branches_between(const ByteGrid& line, const std::vector<Cell>& path);

#endif
