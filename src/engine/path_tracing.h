// The skeleton tracing: the skeleton's right-angle elbows thinned, the skeleton followed from
// the upper to the lower point into a river path with a linear water profile, the river
// measured (length, straight distance, tortuosity) and the water layer's thickness spread
// along the path. The tracing is computed first; its console trace is then told from what it
// found.
#ifndef TARVEX_PATH_TRACING_H
#define TARVEX_PATH_TRACING_H

#include "run_state.h"
#include "run_log.h"

// Traces the path on the grids: tab_soul is thinned and its path pixels marked 255,
// tab_respaldo holds the thinned skeleton, itab_out the path's linear profile (kNoData
// elsewhere). A skeleton of fewer than 2 pixels, or an upper point without a skeleton
// neighbour, is a fatal stop; a skeleton that ends before the lower point gives a warning and
// the path found.
// Marks 255 each skeleton pixel (1) at the corner of a right-angle elbow, whose only skeleton
// neighbours are two orthogonal ones at right angles, in one sweep line by line: removing it
// leaves the line eight-connected. Border pixels are never thinned.
void thin_elbows(ByteGrid& soul);

RiverPath suiv_cont(Grids& g, const Parameters& p, RunLog& log, Measurements& m);

#endif
