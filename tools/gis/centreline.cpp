#include "centreline.h"

#include "gis_io.h"

void map_point(const DemGrid& dem, Cell c, double& x, double& y) {
    const double* t = dem.georef.transform;
    x = t[0] + (c.j + 0.5) * t[1] + (c.i + 0.5) * t[2];
    y = t[3] + (c.j + 0.5) * t[4] + (c.i + 0.5) * t[5];
}

ByteGrid cells_on_grid(const std::string&, const DemGrid&, bool) { fail("cells_on_grid is not built yet"); }
void thin_centreline(ByteGrid&) { fail("thin_centreline is not built yet"); }
CentrelinePoints centreline_points(const ByteGrid&) { fail("centreline_points is not built yet"); }
Cell snap_to_centreline(const ByteGrid&, const DemGrid&, double, double, double, double&) {
    fail("snap_to_centreline is not built yet");
}
std::vector<Cell> reach_between(const ByteGrid&, const DemGrid&, Cell, Cell) { fail("reach_between is not built yet"); }
ByteGrid cells_within(const std::vector<Cell>&, int, int, double) { fail("cells_within is not built yet"); }
