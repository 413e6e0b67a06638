// Loading the three input rasters into their grids, writing the two result rasters, and
// committing the results of a completed run.
#include "checked_files.h"
#include "file_formats.h"
#include "nrutil.h"
#include "stages.h"

namespace {

// A raster read to its end or to the end of its grid; a read that fails is a fatal stop.
void check_read(Console& con, std::FILE*& file, const std::string& path) {
    const bool failed = std::ferror(file) != 0;
    const std::string cause = errno_text();
    if (!failed) return;
    std::fclose(file);
    file = nullptr;
    unreadable(con, path, cause);
}

void close_input(std::FILE*& file) {
    std::fclose(file);
    file = nullptr;
}

}  // namespace

void lecture(RunState& st, Console& con) {
    read_byte_grid(st.f1, st.tab_mask, st.nb_lig, st.nb_col);
    check_read(con, st.f1, st.nomim1);
    read_byte_grid(st.f2, st.tab_soul, st.nb_lig, st.nb_col);
    check_read(con, st.f2, st.nomim2);
    read_int_grid(st.f3, st.itab_in, st.nb_lig, st.nb_col);
    check_read(con, st.f3, st.nomim3);
    close_input(st.f2);
    close_input(st.f3);
    // f1 stays open until the flooding treatment.
}

void save(RunState& st, Console& con) {
    OutputSet& out = *st.results;
    if (!write_int_grid(st.f4, st.itab_in, st.nb_lig, st.nb_col)) {
        con.fatal(strf("\n Unable to write the file %s: %s \n", st.nomim4.c_str(), errno_text().c_str()));
    }
    close_or_stop(con, out, st.f4, st.nomim4);
    if (!write_byte_grid(st.f5, st.tab_mask, st.nb_lig, st.nb_col)) {
        con.fatal(strf("\n Unable to write the file %s: %s \n", st.nomim5.c_str(), errno_text().c_str()));
    }
    close_or_stop(con, out, st.f5, st.nomim5);
}

void finish(RunState& st, Console& con) {
    OutputSet& out = *st.results;
    close_or_stop(con, out, st.f5d, st.nomdescr5);
    if (!out.commit()) {
        con.fatal(strf("\n Unable to write the file %s: %s \n", out.failed_path().c_str(), errno_text().c_str()));
    }
}

void release_run(RunState& st) {
    for (std::FILE** f : {&st.f1, &st.f2, &st.f3}) {
        if (*f != nullptr) std::fclose(*f);
        *f = nullptr;
    }
    // The result streams belong to the output set, which removes what it did not commit.
    st.f4 = st.f4d = st.f4xls = st.f5 = st.f5d = nullptr;
    st.results.reset();
    for (unsigned char*** grid : {&st.tab_mask, &st.tab_mask_prov, &st.tab_soul, &st.tab_soul_prov,
                                  &st.tab_respaldo}) {
        frucmatrice(*grid, st.nb_lig);
        *grid = nullptr;
    }
    for (int*** grid : {&st.itab_in, &st.itab_out}) {
        frimatrice(*grid, st.nb_lig);
        *grid = nullptr;
    }
    for (int** v : {&st.gauss_curve, &st.i_gauss, &st.j_gauss, &st.i_coord, &st.j_coord,
                    &st.k_coord, &st.k_coord2, &st.thick}) {
        frivecteur(*v);
        *v = nullptr;
    }
    for (double** v : {&st.z_gauss, &st.z_coord}) {
        frdvecteur(*v);
        *v = nullptr;
    }
}
