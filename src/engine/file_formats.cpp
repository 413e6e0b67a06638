#include "file_formats.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include "numbers.h"

namespace {

bool host_is_little_endian() {
    const std::uint32_t probe = 1;
    unsigned char first = 0;
    std::memcpy(&first, &probe, 1);
    return first == 1;
}

// Reads one decimal integer the way a "%d" conversion does: white space, an optional sign,
// digits. Fails on anything else, at the end of the file and beyond 32 bits. Leading zeros are
// skipped as they are read, so that a field of any length takes a few bytes.
bool read_int(std::FILE* file, int& value) {
    int c = std::fgetc(file);
    while (c != EOF && std::isspace(c)) c = std::fgetc(file);
    std::string field;
    if (c == '+' || c == '-') {
        field += static_cast<char>(c);
        c = std::fgetc(file);
    }
    const std::size_t sign = field.size();
    bool zero = false;
    for (; c != EOF && std::isdigit(c) && field.size() < sign + 12; c = std::fgetc(file)) {
        if (c == '0' && field.size() == sign) {
            zero = true;  // a leading zero
            continue;
        }
        field += static_cast<char>(c);
    }
    if (c != EOF) std::ungetc(c, file);
    if (zero && field.size() == sign) field += '0';
    const std::optional<long long> v = read_integer(field, INT32_MIN, INT32_MAX);
    if (v) value = static_cast<int>(*v);
    return v.has_value();
}

}  // namespace

std::uint32_t swap_bytes(std::uint32_t v) {
    return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
}

void swap_cells(int* cells, std::size_t count) {
    for (std::size_t j = 0; j < count; ++j) {
        std::uint32_t v = 0;
        std::memcpy(&v, &cells[j], 4);
        v = swap_bytes(v);
        std::memcpy(&cells[j], &v, 4);
    }
}

std::string descriptor_path(const std::string& raster) {
    auto ends_with = [&raster](const std::string& tail) {
        return raster.size() >= tail.size() && raster.compare(raster.size() - tail.size(), tail.size(), tail) == 0;
    };
    if (ends_with(kDemRaster)) return raster.substr(0, raster.size() - std::strlen(kDemRaster)) + kDemDescriptor;
    if (ends_with(kByteRaster)) return raster.substr(0, raster.size() - std::strlen(kByteRaster)) + kByteDescriptor;
    return std::string();
}

std::string file_path(const std::string& folder, const std::string& base, const char* suffix) {
    return folder + base + suffix;
}

// Skips a UTF-8 byte-order mark at the current place (the start of the file); anything else
// is left to be read.
static void skip_byte_order_mark(std::FILE* file) {
    const long start = std::ftell(file);
    unsigned char mark[3] = {0, 0, 0};
    const std::size_t got = std::fread(mark, 1, 3, file);
    if (got == 3 && mark[0] == 0xEF && mark[1] == 0xBB && mark[2] == 0xBF) return;
    if (start < 0 || std::fseek(file, start, SEEK_SET) != 0) {
        // Not seekable: give back what can be given back, the first byte.
        for (std::size_t k = got; k > 0; --k) std::ungetc(mark[k - 1], file);
    }
}

int read_descriptor(std::FILE* file, int* const fields[6]) {
    skip_byte_order_mark(file);
    int count = 0;
    int value = 0;
    while (count < 6 && read_int(file, value)) *fields[count++] = value;
    return count;
}

std::string descriptor_text(const int* values, int count) {
    std::string text;
    for (int k = 0; k < count; ++k) text += std::to_string(values[k]) + "\n";
    return text;
}

bool write_descriptor_lines(std::FILE* file, const int* values, int count) {
    for (int k = 0; k < count; ++k) {
        if (std::fprintf(file, "%d\n", values[k]) < 0) return false;
    }
    return true;
}

namespace {

void read_bytes(std::FILE* file, unsigned char* cells, std::size_t count) { std::fread(cells, 1, count, file); }

void read_ints(std::FILE* file, int* cells, std::size_t count) {
    const std::size_t bytes = count * 4;
    const std::size_t got = std::fread(cells, 1, bytes, file);
    if (got < bytes) {
        // The cell the file ends in is not complete: it stays 0 like the cells after it.
        const std::size_t complete = got / 4 * 4;
        std::memset(reinterpret_cast<unsigned char*>(cells) + complete, 0, bytes - complete);
    }
    if (!host_is_little_endian()) swap_cells(cells, count);
}

bool write_bytes(std::FILE* file, const unsigned char* cells, std::size_t count) {
    return std::fwrite(cells, 1, count, file) == count;
}

bool write_ints(std::FILE* file, const int* cells, std::size_t count) {
    if (host_is_little_endian()) return std::fwrite(cells, 4, count, file) == count;
    constexpr std::size_t kPiece = 1 << 16;
    std::vector<int> swapped;
    for (std::size_t done = 0; done < count; done += kPiece) {
        const std::size_t n = std::min(kPiece, count - done);
        swapped.assign(cells + done, cells + done + n);
        swap_cells(swapped.data(), n);
        if (std::fwrite(swapped.data(), 4, n, file) != n) return false;
    }
    return true;
}

// Hands each run of rows that follow one another in memory to `io` as one piece (a grid's
// rows usually form one run: one read or write for the whole grid instead of one per row).
template <typename T, typename Io>
bool by_runs(T* const* rows, int nb_lig, int nb_col, Io io) {
    const std::size_t cols = static_cast<std::size_t>(nb_col);
    bool ok = true;
    for (int i = 0; i < nb_lig;) {
        int n = 1;
        while (i + n < nb_lig && rows[i + n] == rows[i + n - 1] + cols) ++n;
        ok = io(rows[i], static_cast<std::size_t>(n) * cols) && ok;
        i += n;
    }
    return ok;
}

}  // namespace

void read_byte_row(std::FILE* file, unsigned char* row, int nb_col) {
    read_bytes(file, row, static_cast<std::size_t>(nb_col));
}

void read_int_row(std::FILE* file, int* row, int nb_col) { read_ints(file, row, static_cast<std::size_t>(nb_col)); }

bool write_byte_row(std::FILE* file, const unsigned char* row, int nb_col) {
    return write_bytes(file, row, static_cast<std::size_t>(nb_col));
}

bool write_int_row(std::FILE* file, const int* row, int nb_col) {
    return write_ints(file, row, static_cast<std::size_t>(nb_col));
}

void read_byte_grid(std::FILE* file, unsigned char* const* rows, int nb_lig, int nb_col) {
    by_runs(rows, nb_lig, nb_col, [file](unsigned char* cells, std::size_t n) {
        read_bytes(file, cells, n);
        return true;
    });
}

void read_int_grid(std::FILE* file, int* const* rows, int nb_lig, int nb_col) {
    by_runs(rows, nb_lig, nb_col, [file](int* cells, std::size_t n) {
        read_ints(file, cells, n);
        return true;
    });
}

bool write_byte_grid(std::FILE* file, const unsigned char* const* rows, int nb_lig, int nb_col) {
    return by_runs(rows, nb_lig, nb_col, [file](const unsigned char* cells, std::size_t n) { return write_bytes(file, cells, n); });
}

bool write_int_grid(std::FILE* file, const int* const* rows, int nb_lig, int nb_col) {
    return by_runs(rows, nb_lig, nb_col, [file](const int* cells, std::size_t n) { return write_ints(file, cells, n); });
}
