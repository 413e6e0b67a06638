#include "create_river_surface.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <utility>

#include "dem_units.h"
#include "river_construction.h"
#include "path_tracing.h"

namespace {

// The path position of the wave's summit, or 0 when the summit is not on the path. Samples
// k = 1 .. 2*LO+1 lie on positions summit - LO - 1 + k; those beyond the path are dropped.
int place_wave(const RiverPath& path, const Parameters& p, RunLog& log) {
    for (int k = 1; k <= path.pix_soul; ++k) {
        if (path.i_coord[k] == p.i_AO && path.j_coord[k] == p.j_AO) return k;
    }
    log.warn(strf("\n Caution: the summit of the wave (%d , %d) is not on the river path:"
                  "\n          no wave is applied ",
                  p.i_AO, p.j_AO));
    return 0;
}

// The wave's height at path position k, truncated toward zero, or 0 off the wave.
std::int64_t wave_at(const Wave& wave, int LO, int summit, int k) {
    if (summit == 0) return 0;
    const std::int64_t sample = static_cast<std::int64_t>(k) - summit + LO + 1;
    if (sample < 1 || sample > 2 * static_cast<std::int64_t>(LO) + 1) return 0;
    return static_cast<std::int64_t>(wave.z_gauss[static_cast<std::size_t>(sample)]);
}

// Every path pixel's final altitude: the linear profile, the layer, the wave.
void path_surface(Grids& g, const Parameters& p, const Wave* wave, int summit, RiverPath& path, RunLog& log) {
    log.say("\n\n river surface generation \n");
    for (int k = 1; k <= path.pix_soul; ++k) {
        std::int64_t z = path.k_coord2[k];
        if (p.water_layer == 0) z += path.thick[k];
        if (wave != nullptr) z += wave_at(*wave, p.LO, summit, k);
        path.k_coord2[k] = clamp_dem(z);
        g.itab_out[path.i_coord[k]][path.j_coord[k]] = path.k_coord2[k];
    }
}

// The surface where it has an altitude; the cells outside its spans have none.
void burn_surface(Grids& g) {
    for (int i = 0; i < g.nb_lig; ++i) {
        const Span s = g.itab_out.span(i);
        int* in = g.itab_in[i];
        const int* out = g.itab_out[i];
        for (int j = s.first; j <= s.last; ++j) in[j] = (out[j] != kNoData) ? out[j] : in[j];
    }
}

// The bed under each path position (see SurfaceProfile::bed) as its profile, in place of the line
// between the end altitudes.
void carve_bed(const Grids& g, RiverPath& path) {
    constexpr int kNoGround = std::numeric_limits<int>::max();
    int bed = kNoGround, first = 0;
    for (int k = 1; k <= path.pix_soul; ++k) {
        bed = std::min(bed, g.itab_in[path.i_coord[k]][path.j_coord[k]]);
        path.k_coord[k] = path.k_coord2[k] = bed;
        if (bed != kNoGround && first == 0) first = k;
    }
    for (int k = 1; k < first; ++k) path.k_coord[k] = path.k_coord2[k] = path.k_coord[first];
}

// The surface where it lies above the ground, which is then water; every other cell keeps its
// ground and is dry, the river mask's cells included.
// Outside the surface's spans every cell is dry.
void burn_surface_above_ground(Grids& g) {
    for (int i = 0; i < g.nb_lig; ++i) {
        const Span s = g.itab_out.span(i);
        int* in = g.itab_in[i];
        const int* out = g.itab_out[i];
        unsigned char* water = g.tab_mask[i];
        std::memset(water, 0, static_cast<std::size_t>(g.nb_col));
        for (int j = s.first; j <= s.last; ++j) {
            const bool wet = out[j] != kNoData && out[j] > in[j];
            in[j] = wet ? out[j] : in[j];
            water[j] = wet ? 1 : 0;
        }
    }
}

}  // namespace

RiverPath create_river_surface(Grids& g, const Parameters& p, const Wave* wave, RunLog& log, Measurements& m,
                               bool sound, bool bed) {
    RiverPath path = suiv_cont(g, p, log, m);
    if (bed) carve_bed(g, path);
    const int summit = wave != nullptr ? place_wave(path, p, log) : 0;
    g.tab_soul_prov = std::move(g.tab_respaldo);  // the thinned skeleton, no longer needed as such
    path_surface(g, p, wave, summit, path, log);
    log.say("\n\n river construction \n\n");
    log.stage("river construction");
    river_construction(g, log, kMaxPasses, sound);
    if (sound) {
        burn_surface_above_ground(g);
    } else {
        burn_surface(g);
    }
    return path;
}
