// The parameter dialog: the DEM range and unit, the two end points of the river, the Gaussian
// wave and the water layer options, and the pixel size. It completes the DEM descriptors and
// writes the parameter records of the run report.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "checked_files.h"
#include "dem_units.h"
#include "file_formats.h"
#include "stages.h"

namespace {

struct Range {
    int min, max;
};

// The true smallest and largest values of the DEM grid.
Range dem_range(const RunState& st) {
    Range r{st.itab_in[0][0], st.itab_in[0][0]};
    for (int i = 0; i < st.nb_lig; ++i) {
        const int* row = st.itab_in[i];
        for (int j = 0; j < st.nb_col; ++j) {
            r.min = std::min(r.min, row[j]);
            r.max = std::max(r.max, row[j]);
        }
    }
    return r;
}

// A real answer in metres whose value in DEM units must fit a 32-bit integer.
Console::Rule<double> fits_dem(int coef) {
    return {[coef](double metres) { return dem_units_fit(metres, coef); },
            "\n This value is too large for the unit of the DEM: please answer again \n"};
}

bool inside(const RunState& st, int i, int j) {
    return i >= 0 && i < st.nb_lig && j >= 0 && j < st.nb_col;
}

// True when |metres| x coef is at most one DEM unit, the product taken exactly.
bool at_most_one_unit(double metres, int coef) {
    const double m = std::fabs(metres);
    const double product = m * coef;
    return product < 1.0 || (product == 1.0 && std::fma(m, coef, -product) <= 0.0);
}

// The result DEM descriptor gets its last three values, and a missing DEM descriptor is
// created whole, now that all six of its values are known.
void complete_dem_descriptors(RunState& st, Console& con, Range r) {
    const int tail[3] = {r.min, r.max, st.taille_pix};
    if (st.flag_f3d == 1) {
        const int fields[6] = {st.nb_lig3, st.nb_col3, 4, r.min, r.max, st.taille_pix};
        write_new_or_stop(con, st.nomdescr3, descriptor_text(fields, 6), st.temporaries);
        st.flag_f3d = 0;
    }
    write_descriptor_lines(st.f4d, tail, 3);
    close_or_stop(con, *st.results, st.f4d, st.nomdescr4);
}

// The caution for a pair of end points, or an empty text when they can be used.
std::string end_point_caution(const RunState& st) {
    if (st.alti_fin > st.alti_deb) {
        return "\n Caution: the altitude of the lower point is greater"
               "\n          than the altitude of the upper point";
    }
    if (!inside(st, st.ideb, st.jdeb) || !inside(st, st.ifin, st.jfin)) {
        return strf("\n Caution: both points must lie inside the grid"
                    "\n          (lines 0 to %d, columns 0 to %d)",
                    st.nb_lig - 1, st.nb_col - 1);
    }
    if (st.ideb == st.ifin && st.jdeb == st.jfin) {
        return "\n Caution: the upper and the lower point must be different pixels";
    }
    return std::string();
}

void ask_end_points(RunState& st, Console& con) {
    for (;;) {
        con.say("\n\n Starting point of the river skeleton (upper point) :");
        st.ideb = con.ask_int("\n\n\ti = ");
        st.jdeb = con.ask_int("\n\tj = ");
        st.alti_deb = con.ask_real("\n\tDEM altitude (meters with decimal value) = ", fits_dem(st.coef));
        con.say("\n\n End point of the river skeleton (lower point) :");
        st.ifin = con.ask_int("\n\n\ti = ");
        st.jfin = con.ask_int("\n\tj = ");
        st.alti_fin = con.ask_real("\n\tDEM altitude (meters with decimal value) = ", fits_dem(st.coef));
        const std::string caution = end_point_caution(st);
        if (caution.empty()) return;
        con.warn(caution);
    }
}

// The number of skeleton pixels (set to 1).
std::int64_t skeleton_pixels(const RunState& st) {
    std::int64_t n = 0;
    for (int i = 0; i < st.nb_lig; ++i) n += std::count(st.tab_soul[i], st.tab_soul[i] + st.nb_col, 1);
    return n;
}

// The longest half wave length: the 2 x LO + 1 samples of a wave lie on as many path pixels,
// and the path can never be longer than the skeleton.
int longest_half_wave(const RunState& st) {
    return static_cast<int>(std::min<std::int64_t>((skeleton_pixels(st) - 1) / 2, (std::numeric_limits<int>::max() - 2) / 2));
}

// Why a wave cannot be used, or an empty text.
std::string wave_refusal(const RunState& st, int longest) {
    if (st.LO < 1 || st.LO > longest) {
        return strf("\n The half wave length must lie between 1 and %d pixels \n", longest);
    }
    if (!inside(st, st.i_AO, st.j_AO)) {
        return strf("\n The greater altitude must lie inside the grid (lines 0 to %d, columns 0 to %d) \n",
                    st.nb_lig - 1, st.nb_col - 1);
    }
    if (dem_units_wide(st.AO_Max, st.coef) == 0) {
        return "\n The greater altitude of the wave is less than one unit of the DEM \n";
    }
    if (st.LO >= 2 && at_most_one_unit(st.AO_Max, st.coef)) {
        return "\n A wave of one unit of the DEM cannot be shaped over more than 1 pixel \n";
    }
    return std::string();
}

void ask_wave(RunState& st, Console& con) {
    const int longest = longest_half_wave(st);
    if (longest < 1) {
        con.warn("\n\n Caution: the river skeleton is too short for a wave of 3 pixels or more:"
                 "\n          no wave is applied ");
        st.gauss_treat = 1;
        return;
    }
    con.say("\n\n Gaussian Treatment : \n");
    con.say("\n\tNOTE : the value of the factor value A is calculated by the algorithm \n ");
    for (;;) {
        st.LO = con.ask_int("\n\tHalf wave length (in pixels) ? ");
        st.AO_Max = con.ask_real("\n\tGreater altitude of the wave (in meter with decimal value) ? ",
                                 fits_dem(st.coef));
        con.say("\n\tCoordinates of the greater altitude : \n");
        st.i_AO = con.ask_int("\n\t\ti = ? ");
        st.j_AO = con.ask_int("\n\t\tj = ? ");
        const std::string refusal = wave_refusal(st, longest);
        if (!refusal.empty()) {
            con.say_text(refusal);
        } else if (gauss(st, con)) {
            return;
        }
    }
}

void ask_thicknesses(RunState& st, Console& con) {
    con.say("\n water layer thickness (meters with decimal value)");
    st.dthick_deb = con.ask_real(strf("\n above the point (%d , %d) ? ", st.ideb, st.jdeb), fits_dem(st.coef));
    con.say("\n\n water layer thickness (meters with decimal value)");
    st.dthick_end = con.ask_real(strf("\n above the point (%d , %d) ? ", st.ifin, st.jfin), fits_dem(st.coef));
    std::fprintf(st.f5d, "\n\n Water layer above the river surface : ");
    std::fprintf(st.f5d, "\n\n\tThickness above the starting point = %lf ", st.dthick_deb);
    std::fprintf(st.f5d, "\n\tThickness above the end point = %lf ", st.dthick_end);
}

const char* const kYesNo = "\n\t0 ====> yes\n\t1 ====> no\n\t";

}  // namespace

void parameters(RunState& st, Console& con) {
    const Range range = dem_range(st);
    con.say("\n\n\n Hypsometric scale of the input DEM :");
    con.say("\n\tMin = %d ", range.min);
    con.say("\n\tMax = %d \n\n", range.max);
    st.hypso_scale = con.ask_menu(
        "\n Characteristic of this Hypsometric Scale\n\t0 ====> meters\n\t1 ====> decimeters"
        "\n\t2 ====> centimeters\n\t3 ====> millimeters\n\t",
        3);
    complete_dem_descriptors(st, con, range);
    const int factors[4] = {1, 10, 100, 1000};
    st.coef = factors[st.hypso_scale];

    con.say("\n\n NOTE : All parametric values will be reported in the descriptive");
    con.say("\n        file of the image %s ", st.nomim5.c_str());
    ask_end_points(st, con);
    std::fprintf(st.f5d, "\n\n Parameters values : ");
    std::fprintf(st.f5d, "\n\n\tStarting point : i = %d \tj = %d \t    DEM altitude = %lf ",
                 st.ideb, st.jdeb, st.alti_deb);
    std::fprintf(st.f5d, "\n\tEnd point :       i = %d \tj = %d \t    DEM altitude = %lf ",
                 st.ifin, st.jfin, st.alti_fin);

    st.gauss_treat = con.ask_menu(
        std::string("\n\n Local river surface calculated by using a gaussian curve : ") + kYesNo, 1);
    if (st.gauss_treat == 0) ask_wave(st, con);

    st.water_layer =
        con.ask_menu(std::string("\n\n Water layer above the river surface :") + kYesNo, 1);
    if (st.gauss_treat == 1 && st.water_layer == 1) {
        con.fatal("\n\n Unable to start Flooding Treatment ");
    }
    con.say("\n");
    if (st.water_layer == 0) ask_thicknesses(st, con);

    st.taille_pix = con.ask_int("\n\n Pixel size ? ",
                                {[](int v) { return v > 0; }, "\n Please answer a number greater than 0 \n"});
}
