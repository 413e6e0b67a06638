#include "gis_io.h"

#include <gdal.h>

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

GDALDatasetH open_or_fail(const std::string& path) {
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

template <typename T>
void write_cells(const std::string& path, const std::vector<T>& cells) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    for (T cell : cells) {
        auto v = static_cast<std::uint32_t>(cell);
        for (std::size_t b = 0; b < sizeof(T); ++b) file.put(static_cast<char>((v >> (8 * b)) & 0xFF));
    }
    if (!file) fail("cannot write " + path);
}

std::string read_exact(const std::string& path, std::size_t bytes) {
    if (!std::filesystem::exists(path)) fail("no such file: " + path);
    std::string data = read_text(path);
    if (data.size() != bytes) {
        fail(path + " holds " + std::to_string(data.size()) + " bytes where its grid needs " +
             std::to_string(bytes) + ": the sizes differ");
    }
    return data;
}

}  // namespace

Raster read_raster(const std::string& path) {
    GDALDatasetH ds = open_or_fail(path);
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
    GDALDatasetH ds = open_or_fail(path);
    cols = GDALGetRasterXSize(ds);
    lines = GDALGetRasterYSize(ds);
    Georef g = georef_of(ds);
    GDALClose(ds);
    return g;
}

void check_new(const std::string& path, bool overwrite) {
    if (!overwrite && std::filesystem::exists(path)) fail(path + " exists already: add --overwrite to replace it");
}

void write_raw_int32(const std::string& path, const std::vector<std::int32_t>& cells) { write_cells(path, cells); }
void write_raw_bytes(const std::string& path, const std::vector<std::uint8_t>& cells) { write_cells(path, cells); }

std::vector<std::int32_t> read_raw_int32(const std::string& path, std::size_t cells) {
    const std::string data = read_exact(path, cells * 4);
    std::vector<std::int32_t> v(cells);
    for (std::size_t k = 0; k < cells; ++k) {
        std::uint32_t u = 0;
        for (int b = 0; b < 4; ++b) u |= static_cast<std::uint32_t>(static_cast<unsigned char>(data[k * 4 + b])) << (8 * b);
        v[k] = static_cast<std::int32_t>(u);
    }
    return v;
}

std::vector<std::uint8_t> read_raw_bytes(const std::string& path, std::size_t cells) {
    const std::string data = read_exact(path, cells);
    return std::vector<std::uint8_t>(data.begin(), data.end());
}

void write_descriptor(const std::string& path, int lines, int cols, int bytes, int min, int max, int pixel) {
    std::ofstream file(path, std::ios::trunc);
    file << lines << "\n" << cols << "\n" << bytes << "\n" << min << "\n" << max << "\n" << pixel << "\n";
    if (!file) fail("cannot write " + path);
}

std::vector<int> read_descriptor_file(const std::string& path) {
    if (!std::filesystem::exists(path)) fail("no such file: " + path);
    std::istringstream in(read_text(path));
    std::vector<int> fields;
    for (int v = 0; fields.size() < 6 && in >> v;) fields.push_back(v);
    if (fields.size() < 6 || fields[0] <= 0 || fields[1] <= 0) fail(path + " is not a descriptor of six integers");
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
