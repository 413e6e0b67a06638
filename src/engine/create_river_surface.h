// The river surface: the path traced from the skeleton, the wave laid on it, the final
// altitude of every path pixel, the surface spread over the river mask and burnt into the DEM.
#ifndef TARVEX_CREATE_RIVER_SURFACE_H
#define TARVEX_CREATE_RIVER_SURFACE_H

#include "run_state.h"
#include "run_log.h"

// Traces the path (suiv_cont), raises its profile by the layer and `wave` (null: no wave) into
// k_coord2, grows the surface over the river mask (itab_out) and burns it into itab_in.
// Returns the path; the measurements go to `m`. With `sound` (see SpreadRules) the surface
// grows from any arrangement of neighbours, and the burn keeps the higher of ground and
// surface, the water set becoming the cells whose surface lies above their ground.
// With `bed` the profile under the layer and the wave is the carved bed (see SurfaceProfile), not the
// straight line between the end altitudes.
RiverPath create_river_surface(Grids& g, const Parameters& p, const Wave* wave, RunLog& log, Measurements& m,
                               bool sound = false, bool bed = false);

#endif
