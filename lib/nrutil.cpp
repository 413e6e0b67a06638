#include "nrutil.h"

#include <cstdint>
#include <cstdlib>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace {

// One zero-filled block of count elements, or null (also for a count that is not positive).
template <typename T>
T* zeroed_block(int count) {
    if (count <= 0) return nullptr;
    return static_cast<T*>(std::calloc(static_cast<std::size_t>(count), sizeof(T)));
}

// Large blocks come straight from the system, zero and untouched: asking for huge pages there
// saves most of the page faults of a first sweep over a grid of many millions of cells.
void advise_huge_pages(void* block, std::size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t kHuge = std::uintptr_t(2) << 20;
    if (bytes < 2 * kHuge) return;
    const auto start = reinterpret_cast<std::uintptr_t>(block);
    const std::uintptr_t first = (start + kHuge - 1) & ~(kHuge - 1);
    const std::uintptr_t last = (start + bytes) & ~(kHuge - 1);
    if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#else
    (void)block;
    (void)bytes;
#endif
}

// The row pointers point into one zero-filled block of NbLig x NbCol cells: row i starts
// i x NbCol cells after row 0. Rows are reached and handed to file reads and writes as before.
template <typename T>
T** grid(int NbCol, int NbLig) {
    if (NbCol <= 0 || NbLig <= 0) return nullptr;
    const std::size_t cols = static_cast<std::size_t>(NbCol);
    const std::size_t lines = static_cast<std::size_t>(NbLig);
    if (cols > SIZE_MAX / sizeof(T) / lines) return nullptr;  // the cell count would overflow
    // The cells first: a grid too large for memory fails here, before its row pointers exist.
    T* cells = static_cast<T*>(std::calloc(lines * cols, sizeof(T)));
    if (cells == nullptr) return nullptr;
    T** rows = zeroed_block<T*>(NbLig);
    if (rows == nullptr) {
        std::free(cells);
        return nullptr;
    }
    advise_huge_pages(cells, lines * cols * sizeof(T));
    for (std::size_t i = 0; i < lines; ++i) rows[i] = cells + i * cols;
    return rows;
}

// Gives back the block of cells (held by row 0) and the row pointers.
template <typename T>
void release_grid(T** rows, int /*NbLig*/) {
    if (rows == nullptr) return;
    std::free(rows[0]);
    std::free(rows);
}

}  // namespace

float** fmatrice(int NbCol, int NbLig) { return grid<float>(NbCol, NbLig); }
void frfmatrice(float** Mat, int NbLig) { release_grid(Mat, NbLig); }
unsigned char** ucmatrice(int NbCol, int NbLig) { return grid<unsigned char>(NbCol, NbLig); }
void frucmatrice(unsigned char** Mat, int NbLig) { release_grid(Mat, NbLig); }
unsigned short** usmatrice(int NbCol, int NbLig) { return grid<unsigned short>(NbCol, NbLig); }
void frusmatrice(unsigned short** Mat, int NbLig) { release_grid(Mat, NbLig); }
short** smatrice(int NbCol, int NbLig) { return grid<short>(NbCol, NbLig); }
void frsmatrice(short** Mat, int NbLig) { release_grid(Mat, NbLig); }
int** imatrice(int NbCol, int NbLig) { return grid<int>(NbCol, NbLig); }
void frimatrice(int** Mat, int NbLig) { release_grid(Mat, NbLig); }
double** dmatrice(int NbCol, int NbLig) { return grid<double>(NbCol, NbLig); }
void frdmatrice(double** Mat, int NbLig) { release_grid(Mat, NbLig); }
long double** ldmatrice(int NbCol, int NbLig) { return grid<long double>(NbCol, NbLig); }
void frldmatrice(long double** Mat, int NbLig) { release_grid(Mat, NbLig); }

unsigned char* ucvecteur(int NbCol) { return zeroed_block<unsigned char>(NbCol); }
void frucvecteur(unsigned char* Mat) { std::free(Mat); }
unsigned short* usvecteur(int NbCol) { return zeroed_block<unsigned short>(NbCol); }
void frusvecteur(unsigned short* Mat) { std::free(Mat); }
short* svecteur(int NbCol) { return zeroed_block<short>(NbCol); }
void frsvecteur(short* Mat) { std::free(Mat); }
int* ivecteur(int NbCol) { return zeroed_block<int>(NbCol); }
void frivecteur(int* Mat) { std::free(Mat); }
double* dvecteur(int NbCol) { return zeroed_block<double>(NbCol); }
void frdvecteur(double* Mat) { std::free(Mat); }
float* fvecteur(int NbCol) { return zeroed_block<float>(NbCol); }
void frfvecteur(float* Mat) { std::free(Mat); }
