#include "scoring.h"

#include "gis_io.h"

Benchmark read_benchmark(const FloodGround& g, const std::string& observed, const std::string& domain_polygons) {
    Benchmark b;
    b.observed = cells_on_grid(observed, g.grid, false);
    b.domain = domain_polygons.empty() ? ByteGrid(g.grid.lines, g.grid.cols)
                                       : cells_on_grid(domain_polygons, g.grid, false);
    for (int i = 0; i < g.grid.lines; ++i) {
        for (int j = 0; j < g.grid.cols; ++j) {
            unsigned char& in = b.domain[i][j];
            in = (domain_polygons.empty() || in != 0) && g.has_ground(i, j) ? 1 : 0;
            b.domain_cells += in;
        }
    }
    if (b.domain_cells == 0) {
        fail(domain_polygons.empty() ? "the DEM " + g.dem + " has no data in the flood's window: no cell can be scored"
                                     : domain_polygons + " covers no cell of the flood's window where the DEM has data: "
                                                         "no cell can be scored");
    }
    return b;
}

Scored score(const ByteGrid& water, const Benchmark& b) {
    Scored s;
    s.classes = ByteGrid(water.nb_lig(), water.nb_col());
    for (int i = 0; i < water.nb_lig(); ++i) {
        for (int j = 0; j < water.nb_col(); ++j) {
            const Agreement a = agreement_of(b.domain[i][j] != 0, water[i][j] != 0, b.observed[i][j] != 0);
            s.classes[i][j] = a;
            s.counts.add(a);
        }
    }
    return s;
}
