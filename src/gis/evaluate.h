// tarvex-gis evaluate: a flood map, or every level of a flood library, scored against an
// observed flood with the usual contingency scores.
#ifndef TARVEX_GIS_EVALUATE_H
#define TARVEX_GIS_EVALUATE_H

#include "options.h"

// Scores the flood folder --flood (a flood of tarvex-gis flood, or a library, level by level)
// against --benchmark over the domain (--domain), into the folder --out, written whole or not
// at all; prints the scores. Returns 0.
int evaluate_command(const OptionValues& options);

#endif
