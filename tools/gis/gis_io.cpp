#include "gis_io.h"

#include "file_formats.h"

#include <gdal.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

void fail(const std::string& message) {
    std::fprintf(stderr, "tarvex-gis: %s\n", message.c_str());
    std::exit(1);
}

int unit_factor(const std::string& unit) {
    if (unit == "m") return 1;
    if (unit == "dm") return 10;
    if (unit == "cm") return 100;
    if (unit == "mm") return 1000;
    fail("unknown unit '" + unit + "': use m, dm, cm or mm");
}

namespace {

GDALDatasetH open_dataset(const std::string& path) {
    if (!std::filesystem::exists(path)) fail("no such file: " + path);
    GDALDatasetH ds = GDALOpen(path.c_str(), GA_ReadOnly);
    if (ds == nullptr || GDALGetRasterCount(ds) < 1) fail("not a raster GDAL can read: " + path);
    return ds;
}

Georef georef_of(GDALDatasetH ds) {
    Georef g;
    g.has_transform = GDALGetGeoTransform(ds, g.transform) == CE_None;
    const char* wkt = GDALGetProjectionRef(ds);
    g.wkt = wkt != nullptr ? wkt : "";
    return g;
}

std::string envi_header_path(const std::string& raw_path) {
    return std::filesystem::path(raw_path).replace_extension(".hdr").string();
}

std::FILE* open_or_fail(const std::string& path, const char* mode) {
    std::FILE* file = std::fopen(path.c_str(), mode);
    if (file == nullptr) fail("cannot open " + path);
    return file;
}

void close_written(std::FILE* file, const std::string& path) {
    const bool failed = std::ferror(file) != 0;
    if ((std::fclose(file) != 0) || failed) fail("cannot write " + path);
}

// Calls fn(cells, count) on successive pieces of at most a million cells, so that counts stay
// within an int whatever the raster's size.
template <typename T, typename Fn>
void in_pieces(T* cells, std::size_t n, Fn fn) {
    constexpr std::size_t kPiece = std::size_t(1) << 20;
    for (std::size_t k = 0; k < n; k += kPiece) fn(cells + k, static_cast<int>(std::min(kPiece, n - k)));
}

// A raw raster must hold exactly the bytes its grid needs.
void check_size(const std::string& path, std::size_t bytes) {
    if (!std::filesystem::exists(path)) fail("no such file: " + path);
    const auto size = std::filesystem::file_size(path);
    if (size != bytes) {
        fail(path + " holds " + std::to_string(size) + " bytes where its grid needs " + std::to_string(bytes) +
             ": the sizes differ");
    }
}

}  // namespace

Raster read_raster(const std::string& path) {
    GDALDatasetH ds = open_dataset(path);
    Raster r;
    r.cols = GDALGetRasterXSize(ds);
    r.lines = GDALGetRasterYSize(ds);
    r.georef = georef_of(ds);
    GDALRasterBandH band = GDALGetRasterBand(ds, 1);
    const GDALDataType type = GDALGetRasterDataType(band);
    r.complex_band = GDALDataTypeIsComplex(type) != 0;
    r.integer_band = GDALDataTypeIsInteger(type) != 0 && !r.complex_band;
    int has = 0;
    r.nodata = GDALGetRasterNoDataValue(band, &has);
    r.has_nodata = has != 0;
    r.cells.resize(static_cast<std::size_t>(r.lines) * r.cols);
    if (GDALRasterIO(band, GF_Read, 0, 0, r.cols, r.lines, r.cells.data(), r.cols, r.lines, GDT_Float64, 0, 0) !=
        CE_None) {
        fail("cannot read the cells of " + path);
    }
    GDALClose(ds);
    return r;
}

Georef read_georef(const std::string& path, int& lines, int& cols) {
    GDALDatasetH ds = open_dataset(path);
    cols = GDALGetRasterXSize(ds);
    lines = GDALGetRasterYSize(ds);
    Georef g = georef_of(ds);
    GDALClose(ds);
    return g;
}

void check_new(const std::string& path, bool overwrite) {
    if (!overwrite && std::filesystem::exists(path)) fail(path + " exists already: add --overwrite to replace it");
}

// The files are written and read as one row each, in tarvex's own little-endian format.
void write_raw_int32(const std::string& path, const std::vector<std::int32_t>& cells) {
    std::FILE* file = open_or_fail(path, "wb");
    in_pieces(cells.data(), cells.size(), [&](const std::int32_t* p, int n) { write_int_row(file, p, n); });
    close_written(file, path);
}

void write_raw_bytes(const std::string& path, const std::vector<std::uint8_t>& cells) {
    std::FILE* file = open_or_fail(path, "wb");
    in_pieces(cells.data(), cells.size(), [&](const std::uint8_t* p, int n) { write_byte_row(file, p, n); });
    close_written(file, path);
}

std::vector<std::int32_t> read_raw_int32(const std::string& path, std::size_t cells) {
    check_size(path, cells * 4);
    std::vector<std::int32_t> v(cells);
    std::FILE* file = open_or_fail(path, "rb");
    in_pieces(v.data(), cells, [&](std::int32_t* p, int n) { read_int_row(file, p, n); });
    std::fclose(file);
    return v;
}

std::vector<std::uint8_t> read_raw_bytes(const std::string& path, std::size_t cells) {
    check_size(path, cells);
    std::vector<std::uint8_t> v(cells);
    std::FILE* file = open_or_fail(path, "rb");
    in_pieces(v.data(), cells, [&](std::uint8_t* p, int n) { read_byte_row(file, p, n); });
    std::fclose(file);
    return v;
}

void write_descriptor(const std::string& path, int lines, int cols, int bytes, int min, int max, int pixel) {
    const int fields[6] = {lines, cols, bytes, min, max, pixel};
    std::FILE* file = open_or_fail(path, "w");
    write_descriptor_lines(file, fields, 6);
    close_written(file, path);
}

std::vector<int> read_descriptor_file(const std::string& path) {
    if (!std::filesystem::exists(path)) fail("no such file: " + path);
    std::vector<int> fields(6, 0);
    int* const targets[6] = {&fields[0], &fields[1], &fields[2], &fields[3], &fields[4], &fields[5]};
    std::FILE* file = open_or_fail(path, "r");
    const int read = read_descriptor(file, targets);
    std::fclose(file);
    if (read < 6 || fields[0] <= 0 || fields[1] <= 0) fail(path + " is not a descriptor of six integers");
    return fields;
}

std::string read_text(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void write_envi_header(const std::string& raw_path, int lines, int cols, bool int32, const Georef& georef,
                       const double* nodata) {
    const double* t = georef.transform;
    if (georef.has_transform && (t[2] != 0 || t[4] != 0)) fail("rotated grids are not supported");
    std::ostringstream h;
    h.precision(17);
    h << "ENVI\ndescription = {tarvex raster}\nsamples = " << cols << "\nlines = " << lines
      << "\nbands = 1\nheader offset = 0\nfile type = ENVI Standard\ndata type = " << (int32 ? 3 : 1)
      << "\ninterleave = bsq\nbyte order = 0\n";
    if (georef.has_transform) {
        h << "map info = {Arbitrary, 1, 1, " << t[0] << ", " << t[3] << ", " << t[1] << ", " << -t[5] << "}\n";
    }
    if (!georef.wkt.empty()) h << "coordinate system string = {" << georef.wkt << "}\n";
    if (nodata != nullptr) h << "data ignore value = " << *nodata << "\n";
    std::ofstream file(envi_header_path(raw_path), std::ios::trunc);
    file << h.str();
    if (!file) fail("cannot write " + envi_header_path(raw_path));
}

int whole_metre_pixel(const Georef& georef) {
    if (!georef.has_transform) return 1;
    const long size = std::lround(std::fabs(georef.transform[1]));
    return size < 1 ? 1 : static_cast<int>(size);
}
