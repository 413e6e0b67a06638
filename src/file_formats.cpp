#include "file_formats.h"

#include <cctype>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

bool host_is_little_endian() {
    const std::uint32_t probe = 1;
    unsigned char first = 0;
    std::memcpy(&first, &probe, 1);
    return first == 1;
}

std::uint32_t swap_bytes(std::uint32_t v) {
    return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
}

void swap_cells(int* cells, int count) {
    for (int j = 0; j < count; ++j) {
        std::uint32_t v = 0;
        std::memcpy(&v, &cells[j], 4);
        v = swap_bytes(v);
        std::memcpy(&cells[j], &v, 4);
    }
}

// Reads one decimal integer the way a "%d" conversion does: white space, an optional sign,
// digits. Fails on anything else, at the end of the file and beyond 32 bits.
bool read_int(std::FILE* file, int& value) {
    int c = std::fgetc(file);
    while (c != EOF && std::isspace(c)) c = std::fgetc(file);
    bool negative = false;
    if (c == '+' || c == '-') {
        negative = (c == '-');
        c = std::fgetc(file);
    }
    if (c == EOF || !std::isdigit(c)) return false;
    std::int64_t magnitude = 0;
    while (c != EOF && std::isdigit(c)) {
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > static_cast<std::int64_t>(INT32_MAX) + 1) return false;
        c = std::fgetc(file);
    }
    if (c != EOF) std::ungetc(c, file);
    std::int64_t signed_value = negative ? -magnitude : magnitude;
    if (signed_value > INT32_MAX) return false;
    value = static_cast<int>(signed_value);
    return true;
}

}  // namespace

std::string file_path(const std::string& folder, const std::string& base, const char* suffix) {
    return folder + base + suffix;
}

int read_descriptor(std::FILE* file, int* const fields[6]) {
    int count = 0;
    int value = 0;
    while (count < 6 && read_int(file, value)) *fields[count++] = value;
    return count;
}

bool write_descriptor_lines(std::FILE* file, const int* values, int count) {
    for (int k = 0; k < count; ++k) {
        if (std::fprintf(file, "%d\n", values[k]) < 0) return false;
    }
    return true;
}

void read_byte_row(std::FILE* file, unsigned char* row, int nb_col) {
    std::fread(row, 1, static_cast<std::size_t>(nb_col), file);
}

void read_int_row(std::FILE* file, int* row, int nb_col) {
    std::size_t bytes = static_cast<std::size_t>(nb_col) * 4;
    std::size_t got = std::fread(row, 1, bytes, file);
    if (got < bytes) {
        // The cell the file ends in is not complete: it stays 0 like the cells after it.
        std::size_t complete = got / 4 * 4;
        std::memset(reinterpret_cast<unsigned char*>(row) + complete, 0, bytes - complete);
    }
    if (!host_is_little_endian()) swap_cells(row, nb_col);
}

bool write_byte_row(std::FILE* file, const unsigned char* row, int nb_col) {
    std::size_t n = static_cast<std::size_t>(nb_col);
    return std::fwrite(row, 1, n, file) == n;
}

bool write_int_row(std::FILE* file, const int* row, int nb_col) {
    std::size_t n = static_cast<std::size_t>(nb_col);
    if (host_is_little_endian()) return std::fwrite(row, 4, n, file) == n;
    std::vector<int> swapped(row, row + n);
    swap_cells(swapped.data(), nb_col);
    return std::fwrite(swapped.data(), 4, n, file) == n;
}
