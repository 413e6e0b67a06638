#include "parameter_rules.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "dem_units.h"
#include "text.h"

namespace {

bool inside(GridShape g, int i, int j) { return i >= 0 && i < g.nb_lig && j >= 0 && j < g.nb_col; }

}  // namespace

std::string end_point_caution(const Parameters& p, GridShape g) {
    if (p.alti_fin > p.alti_deb) {
        return "\n Caution: the altitude of the lower point is greater"
               "\n          than the altitude of the upper point";
    }
    if (!inside(g, p.ideb, p.jdeb) || !inside(g, p.ifin, p.jfin)) {
        return strf("\n Caution: both points must lie inside the grid"
                    "\n          (lines 0 to %d, columns 0 to %d)",
                    g.nb_lig - 1, g.nb_col - 1);
    }
    if (p.ideb == p.ifin && p.jdeb == p.jfin) {
        return "\n Caution: the upper and the lower point must be different pixels";
    }
    return std::string();
}

std::int64_t skeleton_pixels(const ByteGrid& tab_soul) {
    std::int64_t n = 0;
    for (int i = 0; i < tab_soul.nb_lig(); ++i) n += std::count(tab_soul[i], tab_soul[i] + tab_soul.nb_col(), 1);
    return n;
}

// The 2 x LO + 1 samples of a wave lie on as many path pixels, and the path can never be longer
// than the skeleton.
int longest_half_wave(std::int64_t pixels) {
    return static_cast<int>(std::min<std::int64_t>((pixels - 1) / 2, (std::numeric_limits<int>::max() - 2) / 2));
}

bool at_most_one_unit(double metres, int coef) {
    const double m = std::fabs(metres);
    const double product = m * coef;
    return product < 1.0 || (product == 1.0 && std::fma(m, coef, -product) <= 0.0);
}

std::string wave_refusal(const Parameters& p, GridShape g, int longest) {
    if (p.LO < 1 || p.LO > longest) {
        return strf("\n The half wave length must lie between 1 and %d pixels \n", longest);
    }
    if (!inside(g, p.i_AO, p.j_AO)) {
        return strf("\n The greater altitude must lie inside the grid (lines 0 to %d, columns 0 to %d) \n",
                    g.nb_lig - 1, g.nb_col - 1);
    }
    if (dem_units_wide(p.AO_Max, p.coef()) == 0) {
        return "\n The greater altitude of the wave is less than one unit of the DEM \n";
    }
    if (p.LO >= 2 && at_most_one_unit(p.AO_Max, p.coef())) {
        return "\n A wave of one unit of the DEM cannot be shaped over more than 1 pixel \n";
    }
    return std::string();
}
