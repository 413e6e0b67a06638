#include "save.h"

#include "result_files.h"

void save(RunFiles& f, const Results& r, Console& con) {
    try {
        write_results(f.result_files, *f.results, r, f.taille_pix);
    } catch (const Stop& stop) {
        con.fatal(stop.what());
    }
}
