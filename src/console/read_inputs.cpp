#include "read_inputs.h"

#include <new>

#include "file_formats.h"

namespace {

// A raster read to its end or to the end of its grid; a read that fails is a fatal stop.
void check_read(Console& con, InputFile& file, const std::string& path) {
    const bool failed = std::ferror(file.get()) != 0;
    const std::string cause = errno_text();
    file.reset();
    if (failed) unreadable(con, path, cause);
}

}  // namespace

Inputs lecture(RunFiles& f, Console& con) {
    Inputs in;
    try {
        in.mask = ByteGrid(f.nb_lig, f.nb_col);
        in.skeleton = ByteGrid(f.nb_lig, f.nb_col);
        in.dem = IntGrid(f.nb_lig, f.nb_col);
    } catch (const std::bad_alloc&) {
        con.fatal(strf("\n Not enough memory for the grids of %d lines and %d columns \n", f.nb_lig, f.nb_col));
    }
    read_byte_grid(f.f1.get(), in.mask.rows(), f.nb_lig, f.nb_col);
    check_read(con, f.f1, f.nomim1);
    read_byte_grid(f.f2.get(), in.skeleton.rows(), f.nb_lig, f.nb_col);
    check_read(con, f.f2, f.nomim2);
    read_int_grid(f.f3.get(), in.dem.rows(), f.nb_lig, f.nb_col);
    check_read(con, f.f3, f.nomim3);
    return in;
}
