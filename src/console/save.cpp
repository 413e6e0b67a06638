#include "save.h"

#include "file_formats.h"

namespace {

[[noreturn]] void unwritable(Console& con, const std::string& path) {
    con.fatal(strf("\n Unable to write the file %s: %s \n", path.c_str(), errno_text().c_str()));
}

// Writes `text` to a result stream and closes it.
void write_text(RunFiles& f, Console& con, std::FILE*& file, const std::string& path, const std::string& text) {
    if (std::fwrite(text.data(), 1, text.size(), file) != text.size()) unwritable(con, path);
    close_or_stop(con, *f.results, file, path);
}

// The river profile: position, linear altitude, position, final altitude, tab-separated.
std::string profile_table(const Results& r) {
    std::string table;
    for (std::size_t p = 1; p < r.k_coord.size(); ++p) {
        table += strf("%zu\t%d\t%zu\t%d\n", p, r.k_coord[p], p, r.k_coord2[p]);
    }
    return table;
}

}  // namespace

void save(RunFiles& f, const Results& r, Console& con) {
    const int dem_fields[6] = {f.nb_lig, f.nb_col, 4, r.dem_min, r.dem_max, f.taille_pix};
    write_text(f, con, f.f4d, f.nomdescr4, descriptor_text(dem_fields, 6));
    write_text(f, con, f.f4xls, f.nomxls4, profile_table(r));
    if (!write_int_grid(f.f4, r.itab_in.rows(), f.nb_lig, f.nb_col)) unwritable(con, f.nomim4);
    close_or_stop(con, *f.results, f.f4, f.nomim4);
    if (!write_byte_grid(f.f5, r.tab_mask.rows(), f.nb_lig, f.nb_col)) unwritable(con, f.nomim5);
    close_or_stop(con, *f.results, f.f5, f.nomim5);
    const int mask_fields[6] = {f.nb_lig, f.nb_col, 1, 0, 255, f.taille_pix};
    write_text(f, con, f.f5d, f.nomdescr5, descriptor_text(mask_fields, 6) + r.report);
    if (!f.results->commit()) unwritable(con, f.results->failed_path());
}
