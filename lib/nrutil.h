// NRUTIL: zero-filled grids (arrays of row pointers) and vectors, and their release.
//
// A grid of NbLig lines and NbCol columns is an array of NbLig row pointers, each row a run of
// NbCol zero-filled elements, reached as Mat[i][j]; the rows are slices of one block, so a
// grid costs two allocations whatever its size. A vector is one zero-filled block of NbCol
// elements. Every allocator takes the column count first and
// returns null when the memory cannot be had or a size is not positive; nothing is printed.
// A grid is released with the line count that made it.
#ifndef TARVEX_NRUTIL_H
#define TARVEX_NRUTIL_H

float** fmatrice(int NbCol, int NbLig);
void frfmatrice(float** Mat, int NbLig);
unsigned char** ucmatrice(int NbCol, int NbLig);
void frucmatrice(unsigned char** Mat, int NbLig);
unsigned short** usmatrice(int NbCol, int NbLig);
void frusmatrice(unsigned short** Mat, int NbLig);
short** smatrice(int NbCol, int NbLig);
void frsmatrice(short** Mat, int NbLig);
int** imatrice(int NbCol, int NbLig);
void frimatrice(int** Mat, int NbLig);
double** dmatrice(int NbCol, int NbLig);
void frdmatrice(double** Mat, int NbLig);
long double** ldmatrice(int NbCol, int NbLig);
void frldmatrice(long double** Mat, int NbLig);

unsigned char* ucvecteur(int NbCol);
void frucvecteur(unsigned char* Mat);
unsigned short* usvecteur(int NbCol);
void frusvecteur(unsigned short* Mat);
short* svecteur(int NbCol);
void frsvecteur(short* Mat);
int* ivecteur(int NbCol);
void frivecteur(int* Mat);
double* dvecteur(int NbCol);
void frdvecteur(double* Mat);
float* fvecteur(int NbCol);
void frfvecteur(float* Mat);

#endif
