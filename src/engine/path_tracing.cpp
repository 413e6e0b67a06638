#include "path_tracing.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#include "dem_units.h"
#include "neighbours.h"

namespace {


// What the tracing found, in the order its trace tells it.
struct Tracing {
    int estimate = 0;     // skeleton pixels after the thinning
    double dif_alt = 0.0;
    double first_step = 0.0;
    int counted = 0;      // positions found by the counting pass
    bool reached = false; // it reached the lower point
    int stop_i = 0, stop_j = 0;  // the last pixel it found
};

bool is_set(const ByteGrid& soul, int i, int j) {
    return i >= 0 && i < soul.nb_lig() && j >= 0 && j < soul.nb_col() && soul[i][j] == 1;
}

// The number of skeleton pixels, at most INT32_MAX - 1 (no path can be that long).
int count_skeleton(const ByteGrid& soul) {
    std::int64_t n = 0;
    const int cols = soul.nb_col();
    for (int i = 0; i < soul.nb_lig(); ++i) {
        const unsigned char* row = soul[i];
        int in_row = 0;
        for (int j = 0; j < cols; ++j) in_row += row[j] == 1 ? 1 : 0;
        n += in_row;
    }
    return n > INT32_MAX - 1 ? INT32_MAX - 1 : static_cast<int>(n);
}

// The next path pixel from (i, j): of the skeleton neighbours, the last in visiting order.
bool next_pixel(const ByteGrid& soul, int& i, int& j) {
    for (int k = 7; k >= 0; --k) {
        const int ni = i + kRing[k].di, nj = j + kRing[k].dj;
        if (is_set(soul, ni, nj)) {
            i = ni;
            j = nj;
            return true;
        }
    }
    return false;
}

// Follows the skeleton from the upper point, marking what it visits, for at most `longest`
// positions: up to the lower point, or to the last pixel found when the skeleton ends first.
void counting_pass(Grids& g, const Parameters& p, Tracing& t) {
    g.tab_soul[p.ideb][p.jdeb] = 255;
    t.counted = 1;
    int i = p.ideb, j = p.jdeb;
    for (int k = 2; k <= t.estimate && next_pixel(g.tab_soul, i, j); ++k) {
        t.counted = k;
        g.tab_soul[i][j] = 255;
        if (i == p.ifin && j == p.jfin) {
            t.reached = true;
            break;
        }
    }
    t.stop_i = i;
    t.stop_j = j;
}

// Follows the skeleton again for the positions counted, recording the path and its profile.
// The path has two positions at least, so the upper point touches the skeleton, and the
// surface holds it.
void profile_pass(Grids& g, const Parameters& p, RiverPath& path) {
    const std::size_t n = static_cast<std::size_t>(path.pix_soul) + 1;
    for (std::vector<int>* v : {&path.i_coord, &path.j_coord, &path.k_coord, &path.k_coord2}) v->assign(n, 0);
    path.z_coord.assign(n, 0.0);
    const int coef = p.coef();
    path.i_coord[1] = p.ideb;
    path.j_coord[1] = p.jdeb;
    path.z_coord[1] = coef * p.alti_deb;
    path.k_coord[1] = path.k_coord2[1] = to_dem_units(p.alti_deb, coef);
    g.tab_soul[p.ideb][p.jdeb] = 255;
    g.itab_out[p.ideb][p.jdeb] = path.k_coord[1];
    double alti_alma = p.alti_deb;
    int i = p.ideb, j = p.jdeb;
    for (std::size_t k = 2; k < n; ++k) {
        next_pixel(g.tab_soul, i, j);  // the counting pass found this pixel on the same skeleton
        path.i_coord[k] = i;
        path.j_coord[k] = j;
        alti_alma = alti_alma - path.step;
        path.z_coord[k] = coef * alti_alma;
        g.tab_soul[i][j] = 255;
        g.itab_out[i][j] = path.k_coord[k] = path.k_coord2[k] = to_dem_units(alti_alma, coef);
    }
}

// The length of a path step given the steps before (a step neither straight nor diagonal,
// which a traced path never has, keeps the length of the one before).
double step_length(int idif, int jdif, double length) {
    if (idif == 1 || jdif == 1) length = 1.0;
    if (idif == 1 && jdif == 1) length = step_pixels(idif, jdif);
    return length;
}

// The straight distance between the two end points, in pixels.
double straight_pixels(const Parameters& p) {
    const std::int64_t ii = std::int64_t{p.ideb - p.ifin} * (p.ideb - p.ifin);
    const std::int64_t jj = std::int64_t{p.jdeb - p.jfin} * (p.jdeb - p.jfin);
    return std::sqrt(static_cast<double>(ii) + static_cast<double>(jj));
}

void measure(const RiverPath& path, const Parameters& p, Measurements& m) {
    double length = 0.0, length_tot = 0.0;
    for (int k = 1; k <= path.pix_soul - 1; ++k) {
        length = step_length(std::abs(path.i_coord[k] - path.i_coord[k + 1]),
                             std::abs(path.j_coord[k] - path.j_coord[k + 1]), length);
        length_tot = length_tot + length;
    }
    m.pix_soul = path.pix_soul;
    m.length_tot = p.taille_pix * length_tot;
    m.hypo = p.taille_pix * straight_pixels(p);
    m.ratio = m.hypo > 0.0 ? m.length_tot / m.hypo : 0.0;
}

// The layer's thickness at each position, from the upper point's to the lower point's in
// equal steps.
void thickness_profile(const Parameters& p, RiverPath& path) {
    const double thick_step = std::fabs(p.dthick_deb - p.dthick_end) / (path.pix_soul - 1);
    path.thick.assign(static_cast<std::size_t>(path.pix_soul) + 1, 0);
    path.thick[1] = to_dem_units(p.dthick_deb, p.coef());
    double thick_dval = p.dthick_deb;
    for (int k = 2; k <= path.pix_soul; ++k) {
        thick_dval = (p.dthick_deb < p.dthick_end) ? thick_dval + thick_step : thick_dval - thick_step;
        path.thick[static_cast<std::size_t>(k)] = to_dem_units(thick_dval, p.coef());
    }
}

// The tracing as far as the counting pass: the thinned skeleton, its count, the path found.
// Stops short when the skeleton or the upper point leave nothing to follow.
void count_path(Grids& g, const Parameters& p, Tracing& t) {
    t.dif_alt = p.alti_deb - p.alti_fin;
    thin_elbows(g.tab_soul);
    t.estimate = count_skeleton(g.tab_soul);
    if (t.estimate < 2) return;
    copy_grid(g.tab_respaldo.rows(), g.tab_soul.rows(), g.shape());
    g.itab_out.fill(kNoData);
    t.first_step = t.dif_alt / (t.estimate - 1);
    counting_pass(g, p, t);
    copy_grid(g.tab_soul.rows(), g.tab_respaldo.rows(), g.shape());
}

// The console trace of the tracing, told from what it found, with its pauses, its warning and
// its fatal stops where they fall.
void tell_counting(RunLog& log, const Parameters& p, const Tracing& t) {
    log.say("\n river skeleton calculation \n");
    log.say("\n first pix_soul estimation %d ", t.estimate);
    log.wait_key();
    if (t.estimate < 2) {
        log.fatal(strf("\n The river skeleton has %d pixel(s) after thinning: no river path can be traced \n",
                       t.estimate));
    }
    log.say("\n dif_alt = %lf = %lf-%lf pix_soul = %d step = %lf", t.dif_alt, p.alti_deb, p.alti_fin, t.estimate,
            t.first_step);
    log.wait_key();
    log.say("\n\n primer punto i[1] = %d j[1] = %d alti = %lf ", p.ideb, p.jdeb, p.alti_deb);
    log.wait_key();
    if (t.reached) {
        log.say("\n i_coord[%d] = %d j_coord[%d] = %d num_pix = %d ", t.counted, t.stop_i, t.counted, t.stop_j,
                t.counted);
        log.wait_key();
    } else if (t.counted == 1) {
        log.fatal(strf("\n The upper point (%d , %d) has no skeleton neighbour: no river path can be traced \n",
                       p.ideb, p.jdeb));
    } else {
        log.warn(strf("\n Caution: the skeleton ends before the lower point (%d , %d);"
                      "\n          the river path stops at (%d , %d), position %d ",
                      p.ifin, p.jfin, t.stop_i, t.stop_j, t.counted));
    }
}

// The pixel size as the trace shows it: a whole number of metres, as the dialog takes it, as an
// integer; any other size with its decimals.
std::string pixel_text(double metres) {
    if (metres == std::floor(metres) && std::fabs(metres) < 1e15) return strf("%.0f", metres);
    return strf("%g", metres);
}

void tell_path(RunLog& log, const Parameters& p, const RiverPath& path, const Measurements& m) {
    log.say("\n\n primer punto i[1] = %d j[1] = %d alti = %lf ", p.ideb, p.jdeb, p.alti_deb);
    log.wait_key();
    for (int k = 2; k <= path.pix_soul; ++k) {
        log.say("\n i[%d] = %d j[%d] = %d alti %lf ", k, path.i_coord[k], k, path.j_coord[k], path.z_coord[k]);
    }
    log.say("\n length pix_soul = %d ", path.pix_soul);
    double length = 0.0, length_tot = 0.0;
    for (int k = 1; k <= path.pix_soul - 1; ++k) {
        const int idif = std::abs(path.i_coord[k] - path.i_coord[k + 1]);
        const int jdif = std::abs(path.j_coord[k] - path.j_coord[k + 1]);
        log.say("\n i_coord[%d] = %d i_coord[%d] = %d ", k, path.i_coord[k], k + 1, path.i_coord[k + 1]);
        log.say("\n j_coord[%d] = %d j_coord[%d] = %d ", k, path.j_coord[k], k + 1, path.j_coord[k + 1]);
        log.say("\n idif = %d jdif = %d ", idif, jdif);
        length = step_length(idif, jdif, length);
        length_tot = length_tot + length;
        log.say("\n length %lf length_tot %lf ", length, length_tot);
    }
    const int idif = std::abs(p.ideb - p.ifin), jdif = std::abs(p.jdeb - p.jfin);
    log.say("\n ideb = %d ifin = %d idif = %d ", p.ideb, p.ifin, idif);
    log.say("\n jdeb = %d jfin = %d jdif = %d ", p.jdeb, p.jfin, jdif);
    log.say("\n hypo = %lf ", straight_pixels(p));
    log.wait_key();
    log.say("\n taille_pix %s length_tot %lf hypo %lf ", pixel_text(p.taille_pix).c_str(), m.length_tot, m.hypo);
    log.wait_key();
}

}  // namespace

// A pixel whose only skeleton neighbours are two orthogonal ones at right angles is the corner
// of an elbow; removing it leaves the line eight-connected. Border pixels are never thinned.
void thin_elbows(ByteGrid& soul) {
    for (int i = 1; i < soul.nb_lig() - 1; ++i) {
        unsigned char* row = soul[i];
        const unsigned char* end = row + soul.nb_col() - 1;
        // Only skeleton pixels can be elbows: jump from one to the next.
        for (unsigned char* p = row + 1; p < end; ++p) {
            p = static_cast<unsigned char*>(std::memchr(p, 1, static_cast<std::size_t>(end - p)));
            if (p == nullptr) break;
            const int j = static_cast<int>(p - row);
            int ico = 0;
            for (int k = 0; k < 8; ++k) {
                if (soul[i + kRing[k].di][j + kRing[k].dj] == 1) ico += 1 << k;
            }
            for (const int elbow : kElbowCodes) *p = ico == elbow ? 255 : *p;
        }
    }
}

RiverPath suiv_cont(Grids& g, const Parameters& p, RunLog& log, Measurements& m) {
    Tracing t;
    count_path(g, p, t);
    tell_counting(log, p, t);
    RiverPath path;
    path.pix_soul = t.counted;
    path.step = t.dif_alt / (path.pix_soul - 1);
    try {
        profile_pass(g, p, path);
        if (p.water_layer == 0) thickness_profile(p, path);
    } catch (const std::bad_alloc&) {
        log.fatal(strf("\n Not enough memory for a river path of %d pixels \n", path.pix_soul));
    }
    measure(path, p, m);
    tell_path(log, p, path, m);
    return path;
}
