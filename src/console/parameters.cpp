#include "parameters.h"

#include "dem_units.h"
#include "file_formats.h"
#include "gaussian_wave.h"
#include "parameter_rules.h"

namespace {

// A real answer in metres whose value in DEM units must fit a 32-bit integer.
Console::Rule<double> fits_dem(int coef) {
    return {[coef](double metres) { return dem_units_fit(metres, coef); },
            "\n This value is too large for the unit of the DEM: please answer again \n"};
}

// A missing DEM descriptor is created whole, now that all six of its values are known.
void create_dem_descriptor(RunFiles& f, Console& con, std::pair<int, int> range) {
    if (f.flag_f3d != 1) return;
    const int fields[6] = {f.nb_lig3, f.nb_col3, 4, range.first, range.second, f.taille_pix};
    write_new_or_stop(con, f.nomdescr3, descriptor_text(fields, 6), f.temporaries);
    f.flag_f3d = 0;
}

void ask_end_points(Parameters& p, Console& con, GridShape g) {
    for (;;) {
        con.say("\n\n Starting point of the river skeleton (upper point) :");
        p.ideb = con.ask_int("\n\n\ti = ");
        p.jdeb = con.ask_int("\n\tj = ");
        p.alti_deb = con.ask_real("\n\tDEM altitude (meters with decimal value) = ", fits_dem(p.coef()));
        con.say("\n\n End point of the river skeleton (lower point) :");
        p.ifin = con.ask_int("\n\n\ti = ");
        p.jfin = con.ask_int("\n\tj = ");
        p.alti_fin = con.ask_real("\n\tDEM altitude (meters with decimal value) = ", fits_dem(p.coef()));
        const std::string caution = end_point_caution(p, g);
        if (caution.empty()) return;
        con.warn(caution);
    }
}

// The shape search of the wave shown pass by pass, as it went; true when it settled.
bool show_wave_search(const Parameters& p, Console& con) {
    const WaveSearch search = search_wave(p.LO, p.AO_Max, p.coef());
    con.say("\n\n Gaussian Curve Calculation \n");
    for (int num_zero : search.zero_counts) {
        con.say("\n num_zero = %d ", num_zero);
        con.wait_key();
    }
    if (search.settled) {
        con.say("\n Calculated factor A = %lf \n", search.A);
    } else {
        con.say("\n The wave cannot be fitted: please give other values for the wave \n");
    }
    return search.settled;
}

void ask_wave(Parameters& p, Console& con, const Inputs& in, GridShape g) {
    const int longest = longest_half_wave(skeleton_pixels(in.skeleton));
    if (longest < 1) {
        con.warn("\n\n Caution: the river skeleton is too short for a wave of 3 pixels or more:"
                 "\n          no wave is applied ");
        p.gauss_treat = 1;
        return;
    }
    con.say("\n\n Gaussian Treatment : \n");
    con.say("\n\tNOTE : the value of the factor value A is calculated by the algorithm \n ");
    for (;;) {
        p.LO = con.ask_int("\n\tHalf wave length (in pixels) ? ");
        p.AO_Max = con.ask_real("\n\tGreater altitude of the wave (in meter with decimal value) ? ", fits_dem(p.coef()));
        con.say("\n\tCoordinates of the greater altitude : \n");
        p.i_AO = con.ask_int("\n\t\ti = ? ");
        p.j_AO = con.ask_int("\n\t\tj = ? ");
        const std::string refusal = wave_refusal(p, g, longest);
        if (!refusal.empty()) {
            con.say_text(refusal);
        } else if (show_wave_search(p, con)) {
            return;
        }
    }
}

void ask_thicknesses(Parameters& p, Console& con) {
    con.say("\n water layer thickness (meters with decimal value)");
    p.dthick_deb = con.ask_real(strf("\n above the point (%d , %d) ? ", p.ideb, p.jdeb), fits_dem(p.coef()));
    con.say("\n\n water layer thickness (meters with decimal value)");
    p.dthick_end = con.ask_real(strf("\n above the point (%d , %d) ? ", p.ifin, p.jfin), fits_dem(p.coef()));
}

const char* const kYesNo = "\n\t0 ====> yes\n\t1 ====> no\n\t";

}  // namespace

Parameters parameters(RunFiles& f, const Inputs& in, Console& con) {
    Parameters p;
    const GridShape g{in.dem.nb_lig(), in.dem.nb_col()};
    const std::pair<int, int> range = value_range(in.dem);
    con.say("\n\n\n Hypsometric scale of the input DEM :");
    con.say("\n\tMin = %d ", range.first);
    con.say("\n\tMax = %d \n\n", range.second);
    p.hypso_scale = con.ask_menu(
        "\n Characteristic of this Hypsometric Scale\n\t0 ====> meters\n\t1 ====> decimeters"
        "\n\t2 ====> centimeters\n\t3 ====> millimeters\n\t",
        3);
    create_dem_descriptor(f, con, range);

    con.say("\n\n NOTE : All parametric values will be reported in the descriptive");
    con.say("\n        file of the image %s ", f.result_files.extent.path.c_str());
    ask_end_points(p, con, g);

    p.gauss_treat = con.ask_menu(std::string("\n\n Local river surface calculated by using a gaussian curve : ") + kYesNo, 1);
    if (p.gauss_treat == 0) ask_wave(p, con, in, g);

    p.water_layer = con.ask_menu(std::string("\n\n Water layer above the river surface :") + kYesNo, 1);
    if (p.gauss_treat == 1 && p.water_layer == 1) con.fatal("\n\n Unable to start Flooding Treatment ");
    con.say("\n");
    if (p.water_layer == 0) ask_thicknesses(p, con);

    p.taille_pix = con.ask_int("\n\n Pixel size ? ",
                               {[](int v) { return v > 0; }, "\n Please answer a number greater than 0 \n"});
    return p;
}
