// Skeleton tracing: thin the skeleton's right-angle elbows, follow it from the upper to the
// lower point, give the path a linear water profile, measure the river (length, straight
// distance, tortuosity) and interpolate the water layer thickness along the path.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "dem_units.h"
#include "nrutil.h"
#include "byte_grids.h"
#include "stages.h"

namespace {

struct Neighbour {
    int di, dj, weight;
};

// The eight neighbours in the order the passes visit them, with their thinning weights.
constexpr Neighbour kNeighbours[8] = {{-1, -1, 1}, {-1, 0, 2}, {-1, 1, 4},  {0, 1, 8},
                                      {1, 1, 16},  {1, 0, 32}, {1, -1, 64}, {0, -1, 128}};

bool is_set(const RunState& st, int i, int j) {
    return i >= 0 && i < st.nb_lig && j >= 0 && j < st.nb_col && st.tab_soul[i][j] == 1;
}

// A pixel whose only skeleton neighbours are two orthogonal ones at right angles is the corner
// of an elbow; removing it leaves the line eight-connected. Border pixels are never thinned.
void thin_elbows(RunState& st) {
    unsigned char* const* soul = st.tab_soul;
    for (int i = 1; i < st.nb_lig - 1; ++i) {
        unsigned char* row = soul[i];
        const unsigned char* end = row + st.nb_col - 1;
        // Only skeleton pixels can be elbows: jump from one to the next.
        for (unsigned char* p = row + 1; p < end; ++p) {
            p = static_cast<unsigned char*>(std::memchr(p, 1, static_cast<std::size_t>(end - p)));
            if (p == nullptr) break;
            const int j = static_cast<int>(p - row);
            int ico = 0;
            for (const Neighbour& n : kNeighbours) {
                if (soul[i + n.di][j + n.dj] == 1) ico += n.weight;
            }
            if (ico == 10 || ico == 40 || ico == 160 || ico == 130) *p = 255;
        }
    }
}

// The number of skeleton pixels, 0 when it would not fit an int (no path can be that long).
int count_skeleton(const RunState& st) {
    std::int64_t n = 0;
    const int cols = st.nb_col;
    for (int i = 0; i < st.nb_lig; ++i) {
        const unsigned char* row = st.tab_soul[i];
        int in_row = 0;
        for (int j = 0; j < cols; ++j) in_row += row[j] == 1 ? 1 : 0;
        n += in_row;
    }
    return n > INT32_MAX - 1 ? INT32_MAX - 1 : static_cast<int>(n);
}

// The next path pixel from (i, j): of the skeleton neighbours, the last in visiting order.
bool next_pixel(const RunState& st, int& i, int& j) {
    for (int k = 7; k >= 0; --k) {
        const int ni = i + kNeighbours[k].di, nj = j + kNeighbours[k].dj;
        if (is_set(st, ni, nj)) {
            i = ni;
            j = nj;
            return true;
        }
    }
    return false;
}

int* path_vector(Console& con, int entries) {
    int* v = ivecteur(entries);
    if (v == nullptr) con.fatal(strf("\n Not enough memory for a river path of %d pixels \n", entries - 1));
    return v;
}

void start_path(RunState& st, Console& con) {
    st.i_coord[1] = st.ideb;
    st.j_coord[1] = st.jdeb;
    st.tab_soul[st.ideb][st.jdeb] = 255;
    st.itab_out[st.ideb][st.jdeb] = to_dem_units(st.alti_deb, st.coef);
    con.say("\n\n primer punto i[1] = %d j[1] = %d alti = %lf ", st.i_coord[1], st.j_coord[1],
            st.alti_deb);
    con.wait_key();
}

// Follows the skeleton from the upper point; returns the number of path positions up to the
// lower point, or up to the last pixel found when the skeleton ends before it.
int counting_pass(RunState& st, Console& con) {
    st.i_coord = path_vector(con, st.pix_soul + 1);
    st.j_coord = path_vector(con, st.pix_soul + 1);
    start_path(st, con);
    int lco = 1;
    int i2 = st.ideb, j2 = st.jdeb;
    for (int k = 2; k <= st.pix_soul && next_pixel(st, i2, j2); ++k) {
        lco = k;
        st.i_coord[k] = i2;
        st.j_coord[k] = j2;
        st.tab_soul[i2][j2] = 255;
        if (i2 == st.ifin && j2 == st.jfin) {
            con.say("\n i_coord[%d] = %d j_coord[%d] = %d num_pix = %d ", k, i2, k, j2, lco);
            con.wait_key();
            return lco;
        }
    }
    if (lco == 1) {
        con.fatal(strf("\n The upper point (%d , %d) has no skeleton neighbour: no river path can "
                       "be traced \n",
                       st.ideb, st.jdeb));
    }
    con.warn(strf("\n Caution: the skeleton ends before the lower point (%d , %d);"
                  "\n          the river path stops at (%d , %d), position %d ",
                  st.ifin, st.jfin, i2, j2, lco));
    return lco;
}

void profile_pass(RunState& st, Console& con) {
    const int n = st.pix_soul + 1;
    st.i_coord = path_vector(con, n);
    st.j_coord = path_vector(con, n);
    st.k_coord = path_vector(con, n);
    st.k_coord2 = path_vector(con, n);
    st.z_coord = dvecteur(n);
    if (st.z_coord == nullptr) con.fatal(strf("\n Not enough memory for a river path of %d pixels \n", n - 1));
    st.z_coord[1] = st.coef * st.alti_deb;
    st.k_coord[1] = st.k_coord2[1] = to_dem_units(st.alti_deb, st.coef);
    start_path(st, con);
    double alti_alma = st.alti_deb;
    int i2 = st.ideb, j2 = st.jdeb;
    for (int k = 2; k <= st.pix_soul; ++k) {
        next_pixel(st, i2, j2);  // the counting pass found this pixel on the same skeleton
        st.i_coord[k] = i2;
        st.j_coord[k] = j2;
        alti_alma = alti_alma - st.step;
        st.z_coord[k] = st.coef * alti_alma;
        con.say("\n i[%d] = %d j[%d] = %d alti %lf ", k, i2, k, j2, st.z_coord[k]);
        st.tab_soul[i2][j2] = 255;
        st.itab_out[i2][j2] = st.k_coord[k] = st.k_coord2[k] = to_dem_units(alti_alma, st.coef);
    }
}

void river_length(RunState& st, Console& con) {
    con.say("\n length pix_soul = %d ", st.pix_soul);
    st.length = 0.0;
    for (int k = 1; k <= st.pix_soul - 1; ++k) {
        st.idif = std::abs(st.i_coord[k] - st.i_coord[k + 1]);
        st.jdif = std::abs(st.j_coord[k] - st.j_coord[k + 1]);
        con.say("\n i_coord[%d] = %d i_coord[%d] = %d ", k, st.i_coord[k], k + 1, st.i_coord[k + 1]);
        con.say("\n j_coord[%d] = %d j_coord[%d] = %d ", k, st.j_coord[k], k + 1, st.j_coord[k + 1]);
        con.say("\n idif = %d jdif = %d ", st.idif, st.jdif);
        if (st.idif == 1 || st.jdif == 1) st.length = 1.0;
        if (st.idif == 1 && st.jdif == 1) st.length = std::sqrt(2.0);
        st.length_tot = st.length_tot + st.length;
        con.say("\n length %lf length_tot %lf ", st.length, st.length_tot);
    }
}

void straight_distance(RunState& st, Console& con) {
    st.idif = std::abs(st.ideb - st.ifin);
    st.jdif = std::abs(st.jdeb - st.jfin);
    con.say("\n ideb = %d ifin = %d idif = %d ", st.ideb, st.ifin, st.idif);
    con.say("\n jdeb = %d jfin = %d jdif = %d ", st.jdeb, st.jfin, st.jdif);
    const std::int64_t ii = static_cast<std::int64_t>(st.idif) * st.idif;
    const std::int64_t jj = static_cast<std::int64_t>(st.jdif) * st.jdif;
    st.hypo = std::sqrt(static_cast<double>(ii) + static_cast<double>(jj));
    con.say("\n hypo = %lf ", st.hypo);
    con.wait_key();
    st.length_tot = st.taille_pix * st.length_tot;
    st.hypo = st.taille_pix * st.hypo;
    con.say("\n taille_pix %d length_tot %lf hypo %lf ", st.taille_pix, st.length_tot, st.hypo);
    con.wait_key();
    st.ratio = st.hypo > 0.0 ? st.length_tot / st.hypo : 0.0;
    std::fprintf(st.f5d, "\n Length parameter\n");
    std::fprintf(st.f5d, "\n\tRiver segment length (in meters) = %lf ", st.length_tot);
    std::fprintf(st.f5d, "\n\tDistance between the segment extremities (in meters) = %lf ", st.hypo);
    std::fprintf(st.f5d, "\n\tDegree of meander tortuosity = %lf ", st.ratio);
}

void thickness_profile(RunState& st, Console& con) {
    const double dif_alt = std::fabs(st.dthick_deb - st.dthick_end);
    st.step = dif_alt / (st.pix_soul - 1);
    st.thick = path_vector(con, st.pix_soul + 1);
    st.thick[1] = to_dem_units(st.dthick_deb, st.coef);
    double thick_dval = st.dthick_deb;
    for (int k = 2; k <= st.pix_soul; ++k) {
        thick_dval = (st.dthick_deb < st.dthick_end) ? thick_dval + st.step : thick_dval - st.step;
        st.thick[k] = to_dem_units(thick_dval, st.coef);
    }
}

}  // namespace

void suiv_cont(RunState& st, Console& con) {
    con.say("\n river skeleton calculation \n");
    st.pix_soul = 0;
    const double dif_alt = st.alti_deb - st.alti_fin;

    thin_elbows(st);
    st.pix_soul = count_skeleton(st);
    con.say("\n first pix_soul estimation %d ", st.pix_soul);
    con.wait_key();
    if (st.pix_soul < 2) {
        con.fatal(strf("\n The river skeleton has %d pixel(s) after thinning: no river path can be "
                       "traced \n",
                       st.pix_soul));
    }

    copy_grid(st.tab_respaldo, st.tab_soul, GridShape{st.nb_lig, st.nb_col});
    for (int i = 0; i < st.nb_lig; ++i) std::fill_n(st.itab_out[i], st.nb_col, kNoData);
    st.step = dif_alt / (st.pix_soul - 1);
    con.say("\n dif_alt = %lf = %lf-%lf pix_soul = %d step = %lf", dif_alt, st.alti_deb,
            st.alti_fin, st.pix_soul, st.step);
    con.wait_key();

    const int lco = counting_pass(st, con);
    copy_grid(st.tab_soul, st.tab_respaldo, GridShape{st.nb_lig, st.nb_col});
    st.pix_soul = lco;
    st.step = dif_alt / (st.pix_soul - 1);
    frivecteur(st.i_coord);
    frivecteur(st.j_coord);
    st.i_coord = st.j_coord = nullptr;

    profile_pass(st, con);
    river_length(st, con);
    straight_distance(st, con);
    if (st.water_layer == 0) thickness_profile(st, con);
}
