#include "nrutil.h"

#include <cstdlib>

namespace {

// One zero-filled block of count elements, or null (also for a count that is not positive).
template <typename T>
T* zeroed_block(int count) {
    if (count <= 0) return nullptr;
    return static_cast<T*>(std::calloc(static_cast<std::size_t>(count), sizeof(T)));
}

template <typename T>
void release_grid(T** rows, int lines) {
    if (rows == nullptr) return;
    for (int i = 0; i < lines; ++i) std::free(rows[i]);
    std::free(rows);
}

// Rows are obtained in order 0 .. NbLig-1; when one fails, what was obtained is given back.
template <typename T>
T** grid(int NbCol, int NbLig) {
    if (NbCol <= 0) return nullptr;
    T** rows = zeroed_block<T*>(NbLig);
    if (rows == nullptr) return nullptr;
    for (int i = 0; i < NbLig; ++i) {
        rows[i] = zeroed_block<T>(NbCol);
        if (rows[i] == nullptr) {
            release_grid(rows, i);
            return nullptr;
        }
    }
    return rows;
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
