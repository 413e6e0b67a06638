// The memory floor of a run: what any run that holds the seven grids pays before it computes
// anything. Loads the three input rasters into grids allocated as the program allocates
// them, fills the other four as the program does (copies of the mask and skeleton, the
// surface grid at no data), writes the two result rasters, and gives everything back.
// Usage: memory_floor FOLDER BASE_MASK BASE_SKELETON BASE_DEM LINES COLUMNS OUT_FOLDER
#include <cstdio>
#include <cstdlib>
#include <string>

#include "byte_grids.h"
#include "file_formats.h"
#include "nrutil.h"
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
    const GridShape g{lines, cols};
    unsigned char** mask = ucmatrice(cols, lines);
    unsigned char** mask_prov = ucmatrice(cols, lines);
    unsigned char** soul = ucmatrice(cols, lines);
    unsigned char** soul_prov = ucmatrice(cols, lines);
    unsigned char** respaldo = ucmatrice(cols, lines);
    int** dem = imatrice(cols, lines);
    int** surface = imatrice(cols, lines);
    if (!mask || !mask_prov || !soul || !soul_prov || !respaldo || !dem || !surface) return 1;

    const char* kinds[3] = {argv[2], argv[3], argv[4]};
    std::FILE* f[3];
    for (int k = 0; k < 3; ++k) f[k] = open_or_exit(in + kinds[k] + (k == 2 ? "_m4.raw" : ".raw"), "rb");
    read_byte_grid(f[0], mask, lines, cols);
    read_byte_grid(f[1], soul, lines, cols);
    read_int_grid(f[2], dem, lines, cols);
    for (std::FILE* file : f) std::fclose(file);

    copy_grid(respaldo, soul, g);
    copy_grid(soul_prov, respaldo, g);
    copy_grid(mask_prov, mask, g);
    for (int i = 0; i < lines; ++i) {
        for (int j = 0; j < cols; ++j) surface[i][j] = kNoData;
    }

    std::FILE* dem_out = open_or_exit(out + "floor_m4.raw", "wb");
    std::FILE* mask_out = open_or_exit(out + "floor.raw", "wb");
    const bool written = write_int_grid(dem_out, dem, lines, cols) && write_byte_grid(mask_out, mask, lines, cols);
    const bool dem_closed = std::fclose(dem_out) == 0;
    const bool mask_closed = std::fclose(mask_out) == 0;

    for (unsigned char** grid : {mask, mask_prov, soul, soul_prov, respaldo}) frucmatrice(grid, lines);
    frimatrice(dem, lines);
    frimatrice(surface, lines);
    return written && dem_closed && mask_closed ? 0 : 1;
}
