// Loading the three input rasters into their grids, and writing the two result rasters.
#include "checked_files.h"
#include "file_formats.h"
#include "nrutil.h"
#include "stages.h"

void lecture(RunState& st, Console& /*con*/) {
    read_byte_grid(st.f1, st.tab_mask, st.nb_lig, st.nb_col);
    read_byte_grid(st.f2, st.tab_soul, st.nb_lig, st.nb_col);
    read_int_grid(st.f3, st.itab_in, st.nb_lig, st.nb_col);
    std::fclose(st.f2);
    st.f2 = nullptr;
    std::fclose(st.f3);
    st.f3 = nullptr;
    // f1 stays open until the flooding treatment.
}

void save(RunState& st, Console& con) {
    write_int_grid(st.f4, st.itab_in, st.nb_lig, st.nb_col);
    close_or_stop(con, st.f4, st.nomim4);
    write_byte_grid(st.f5, st.tab_mask, st.nb_lig, st.nb_col);
    close_or_stop(con, st.f5, st.nomim5);
}

void finish(RunState& st, Console& con) { close_or_stop(con, st.f5d, st.nomdescr5); }

void release_run(RunState& st) {
    for (std::FILE** f : {&st.f1, &st.f2, &st.f3, &st.f1d, &st.f2d, &st.f3d, &st.f4, &st.f4d,
                          &st.f4xls, &st.f5, &st.f5d}) {
        if (*f != nullptr) std::fclose(*f);
        *f = nullptr;
    }
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
