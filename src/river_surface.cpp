// River surface construction: the path from the skeleton tracing, the wave laid on it, the
// final altitude of every path pixel (written to the profile table), the surface spread over
// the river mask, and the surface burnt into the DEM.
#include <cstdint>

#include "checked_files.h"
#include "dem_units.h"
#include "river_construction.h"
#include "byte_grids.h"
#include "stages.h"

namespace {

// The path position of the wave's summit, or 0 when the summit is not on the path. Samples
// k = 1 .. 2*LO+1 lie on positions summit - LO - 1 + k; those beyond the path are dropped.
int place_wave(RunState& st, Console& con) {
    st.i_gauss[st.ref_gauss] = st.i_AO;
    st.j_gauss[st.ref_gauss] = st.j_AO;
    int summit = 0;
    for (int p = 1; p <= st.pix_soul && summit == 0; ++p) {
        if (st.i_coord[p] == st.i_AO && st.j_coord[p] == st.j_AO) summit = p;
    }
    if (summit == 0) {
        con.warn(strf("\n Caution: the summit of the wave (%d , %d) is not on the river path:"
                      "\n          no wave is applied ",
                      st.i_AO, st.j_AO));
        return 0;
    }
    for (int k = 1; k <= 2 * st.LO + 1; ++k) {
        const std::int64_t p = static_cast<std::int64_t>(summit) - st.LO - 1 + k;
        if (p < 1 || p > st.pix_soul) continue;
        st.i_gauss[k] = st.i_coord[p];
        st.j_gauss[k] = st.j_coord[p];
    }
    st.z_gauss[st.LO + 1] = st.coef * st.AO_Max;
    return summit;
}

// The wave's height at path position p, truncated toward zero, or 0 off the wave.
std::int64_t wave_at(const RunState& st, int summit, int p) {
    if (summit == 0) return 0;
    const std::int64_t k = static_cast<std::int64_t>(p) - summit + st.LO + 1;
    if (k < 1 || k > 2 * st.LO + 1) return 0;
    return static_cast<std::int64_t>(st.z_gauss[k]);
}

void path_surface(RunState& st, Console& con, int summit) {
    con.say("\n\n river surface generation \n");
    for (int p = 1; p <= st.pix_soul; ++p) {
        std::int64_t z = st.k_coord2[p];
        if (st.water_layer == 0) z += st.thick[p];
        if (st.gauss_treat == 0) z += wave_at(st, summit, p);
        st.k_coord2[p] = clamp_dem(z);
        std::fprintf(st.f4xls, "%d\t%d\t%d\t%d\n", p, st.k_coord[p], p, st.k_coord2[p]);
        st.itab_out[st.i_coord[p]][st.j_coord[p]] = st.k_coord2[p];
    }
    close_or_stop(con, *st.results, st.f4xls, st.nomxls4);
}

void burn_surface(RunState& st) {
    const int cols = st.nb_col;  // a local bound: stores into a row cannot change it
    for (int i = 0; i < st.nb_lig; ++i) {
        int* in = st.itab_in[i];
        const int* out = st.itab_out[i];
        for (int j = 0; j < cols; ++j) in[j] = (out[j] != kNoData) ? out[j] : in[j];
    }
}

}  // namespace

void create_river_surface(RunState& st, Console& con) {
    suiv_cont(st, con);
    const int summit = (st.gauss_treat == 0) ? place_wave(st, con) : 0;
    copy_grid(st.tab_soul_prov, st.tab_respaldo, GridShape{st.nb_lig, st.nb_col});
    path_surface(st, con, summit);
    con.say("\n\n river construction \n\n");
    river_construction(st, con);
    burn_surface(st);
}
