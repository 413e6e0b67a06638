#include "altitudes.h"

#include <limits>
#include <new>
#include <vector>

#include "dem_units.h"
#include "gis_io.h"
#include "pieces.h"

std::int32_t to_dem_value(double metres, bool single, int factor, const std::string& src) {
    const std::int64_t v = dem_units_wide(single ? decimal_of(static_cast<float>(metres)) : metres, factor);
    if (v <= std::numeric_limits<std::int32_t>::min() || v >= std::numeric_limits<std::int32_t>::max()) {
        fail("the altitude " + std::to_string(metres) + " of " + src + " does not fit 32 bits in this unit");
    }
    return static_cast<std::int32_t>(v);
}


IntGrid load_dem(const GdalRaster& r, int factor, std::int32_t nodata_out) {
    IntGrid dem;
    try {
        dem = IntGrid(r.lines(), r.cols());
    } catch (const std::bad_alloc&) {
        fail("not enough memory for the " + std::to_string(r.lines()) + " x " + std::to_string(r.cols()) +
             " cells of " + r.path());
    }
    std::vector<double> metres(std::min(kPieceCells, r.cells()));
    std::uint64_t valid = 0;
    for_each_piece(r.lines(), r.cols(), [&](const Piece& p) {
        r.read(p, metres.data());
        int* cells = dem[p.line] + p.col;  // a piece's cells follow one another in the grid
        for (std::size_t k = 0; k < p.cells(); ++k) {
            const bool none = r.is_nodata(metres[k]);
            cells[k] = none ? nodata_out : to_dem_value(metres[k], r.single_precision_band(), factor, r.path());
            valid += none ? 0 : 1;
        }
    });
    if (valid == 0) fail(r.path() + " holds no valid altitude: every cell is no data");
    return dem;
}
