// Loading the three input rasters into their grids, and writing the two result rasters.
#include "checked_files.h"
#include "file_formats.h"
#include "stages.h"

void lecture(RunState& st, Console& /*con*/) {
    for (int i = 0; i < st.nb_lig; ++i) read_byte_row(st.f1, st.tab_mask[i], st.nb_col);
    for (int i = 0; i < st.nb_lig; ++i) read_byte_row(st.f2, st.tab_soul[i], st.nb_col);
    for (int i = 0; i < st.nb_lig; ++i) read_int_row(st.f3, st.itab_in[i], st.nb_col);
    std::fclose(st.f2);
    st.f2 = nullptr;
    std::fclose(st.f3);
    st.f3 = nullptr;
    // f1 stays open until the flooding treatment.
}

void save(RunState& st, Console& con) {
    for (int i = 0; i < st.nb_lig; ++i) write_int_row(st.f4, st.itab_in[i], st.nb_col);
    close_or_stop(con, st.f4, st.nomim4);
    for (int i = 0; i < st.nb_lig; ++i) write_byte_row(st.f5, st.tab_mask[i], st.nb_col);
    close_or_stop(con, st.f5, st.nomim5);
}

void finish(RunState& st, Console& con) { close_or_stop(con, st.f5d, st.nomdescr5); }
