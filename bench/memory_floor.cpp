// The memory floor of a run: what any run pays for the grids it holds before it computes
// anything. Loads the three input rasters into grids allocated as the program allocates them,
// fills the others as the program does (the thinned skeleton's copy, the surface at no data
// along the river, the flooding's copy of the mask in the skeleton's memory), writes the two
// result rasters, and gives everything back.
// Usage: memory_floor FOLDER BASE_MASK BASE_SKELETON BASE_DEM LINES COLUMNS OUT_FOLDER
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

#include "byte_grids.h"
#include "file_formats.h"
#include "run_state.h"

namespace {

std::FILE* open_or_exit(const std::string& path, const char* mode) {
    std::FILE* f = std::fopen(path.c_str(), mode);
    if (f == nullptr) {
        std::fprintf(stderr, "memory_floor: cannot open %s\n", path.c_str());
        std::exit(1);
    }
    return f;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 8) {
        std::fprintf(stderr, "usage: memory_floor FOLDER MASK SKELETON DEM LINES COLUMNS OUT_FOLDER\n");
        return 2;
    }
    const std::string in = std::string(argv[1]) + "/", out = std::string(argv[7]) + "/";
    const int lines = std::atoi(argv[5]), cols = std::atoi(argv[6]);
    const GridShape shape{lines, cols};
    Inputs inputs{ByteGrid(lines, cols), ByteGrid(lines, cols), IntGrid(lines, cols)};
    const char* kinds[3] = {argv[2], argv[3], argv[4]};
    std::FILE* f[3];
    for (int k = 0; k < 3; ++k) f[k] = open_or_exit(in + kinds[k] + (k == 2 ? "_m4.raw" : ".raw"), "rb");
    read_byte_grid(f[0], inputs.mask.rows(), lines, cols);
    read_byte_grid(f[1], inputs.skeleton.rows(), lines, cols);
    read_int_grid(f[2], inputs.dem.rows(), lines, cols);
    for (std::FILE* file : f) std::fclose(file);

    Grids g = Grids::around(std::move(inputs));
    copy_grid(g.tab_respaldo.rows(), g.tab_soul.rows(), shape);
    g.end_construction();
    copy_grid(g.tab_mask_prov.rows(), g.tab_mask.rows(), shape);

    std::FILE* dem_out = open_or_exit(out + "floor_m4.raw", "wb");
    std::FILE* mask_out = open_or_exit(out + "floor.raw", "wb");
    const bool written = write_int_grid(dem_out, g.itab_in.rows(), lines, cols) &&
                         write_byte_grid(mask_out, g.tab_mask.rows(), lines, cols);
    const bool dem_closed = std::fclose(dem_out) == 0;
    const bool mask_closed = std::fclose(mask_out) == 0;
    return written && dem_closed && mask_closed ? 0 : 1;
}
