// The path tracing of a run on a skeleton alone: the grids it needs around the skeleton, the
// end points as a run takes them, and the path it finds in the typed form of river_path.h.
#include "river_path.h"

#include <utility>

#include "parameter_rules.h"
#include "path_tracing.h"

SkeletonPath trace_skeleton_path(ByteGrid skeleton, GridPoint upper, GridPoint lower, double pixel_m) {
    RunSettings s;
    s.upper.cell = upper;
    s.lower.cell = lower;
    s.pixel_m = pixel_m;
    const Parameters p = parameters_of(s);
    Grids g;
    g.nb_lig = skeleton.nb_lig();
    g.nb_col = skeleton.nb_col();
    const std::string caution = end_point_caution(p, g.shape());
    if (!caution.empty()) throw Stop(caution);
    g.tab_soul = std::move(skeleton);
    g.tab_respaldo = ByteGrid(g.nb_lig, g.nb_col);
    g.itab_out = SurfaceGrid::around({&g.tab_soul});
    SilentTrace trace;
    RunLog log(trace, ProgressFn());
    Measurements m;
    const RiverPath traced = suiv_cont(g, p, log, m);
    SkeletonPath path;
    for (int k = 1; k <= traced.pix_soul; ++k) path.cells.push_back(GridPoint{traced.i_coord[k], traced.j_coord[k]});
    path.length_m = m.length_tot;
    return path;
}

void remove_elbows(ByteGrid& skeleton) {
    thin_elbows(skeleton);
    for (int i = 0; i < skeleton.nb_lig(); ++i) {
        for (int j = 0; j < skeleton.nb_col(); ++j) skeleton[i][j] = skeleton[i][j] == 255 ? 0 : skeleton[i][j];
    }
}
