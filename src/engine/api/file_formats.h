// The files of a run: names, descriptors and raw rasters.
//
// A descriptor is six decimal integers (lines, columns, bytes per cell, smallest value,
// largest value, pixel size) separated by any white space. A byte raster is nb_lig rows of
// nb_col bytes; an integer raster the same with 4-byte little-endian signed cells. Neither has
// a header.
// Public: the GIS writes a console run's inputs and reads the files of finished runs.
#ifndef TARVEX_FILE_FORMATS_H
#define TARVEX_FILE_FORMATS_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

// An input of bytes (the river mask, the skeleton) and its descriptor: NAME.raw, NAME.txt.
inline constexpr const char* kByteRaster = ".raw";
inline constexpr const char* kByteDescriptor = ".txt";
// The DEM of 32-bit cells and its descriptor: NAME_m4.raw, NAME_m4.txt.
inline constexpr const char* kDemRaster = "_m4.raw";
inline constexpr const char* kDemDescriptor = "_m4.txt";
// The results of a run named NAME: the flooded DEM, the profile table, the flood extent.
inline constexpr const char* kResultDemRaster = "_tarvex_m4.raw";
inline constexpr const char* kResultDemDescriptor = "_tarvex_m4.txt";
inline constexpr const char* kResultTable = "_tarvex.xls";
inline constexpr const char* kResultMaskRaster = "_tarvex.raw";
inline constexpr const char* kResultMaskDescriptor = "_tarvex.txt";

// A 32-bit value with its bytes in the other order, and cells turned so: a big-endian host
// turns integer cells to and from the little-endian order of the files with them.
std::uint32_t swap_bytes(std::uint32_t v);
void swap_cells(int* cells, std::size_t count);

// The descriptor beside a raster: NAME_m4.txt for NAME_m4.raw, NAME.txt for NAME.raw; empty
// for a path that is neither.
std::string descriptor_path(const std::string& raster);

// folder + base name + suffix, exactly as given.
std::string file_path(const std::string& folder, const std::string& base, const char* suffix);

// Reads up to six integers into fields[0..5] in order, stopping at the first text that is not
// an integer within 32 bits; the fields not reached keep their values. A UTF-8 byte-order mark
// at the start of the file is skipped. Returns how many were set.
int read_descriptor(std::FILE* file, int* const fields[6]);

// "%d\n" for each value. Returns false when the write fails.
bool write_descriptor_lines(std::FILE* file, const int* values, int count);
// The same lines as a text.
std::string descriptor_text(const int* values, int count);

// One row of a raster. A read that reaches the end of the file leaves the cells it does not
// complete at 0. Integer rows are converted from and to little-endian on any host.
void read_byte_row(std::FILE* file, unsigned char* row, int nb_col);
void read_int_row(std::FILE* file, int* row, int nb_col);
bool write_byte_row(std::FILE* file, const unsigned char* row, int nb_col);
bool write_int_row(std::FILE* file, const int* row, int nb_col);

// A whole grid of nb_lig rows, row after row, as the row functions would read or write it.
void read_byte_grid(std::FILE* file, unsigned char* const* rows, int nb_lig, int nb_col);
void read_int_grid(std::FILE* file, int* const* rows, int nb_lig, int nb_col);
bool write_byte_grid(std::FILE* file, const unsigned char* const* rows, int nb_lig, int nb_col);
bool write_int_grid(std::FILE* file, const int* const* rows, int nb_lig, int nb_col);

#endif
