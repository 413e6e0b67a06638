#include "raw_files.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sstream>

#include "file_formats.h"
#include "gis_io.h"
#include "outputs.h"
#include "resources.h"

RawReader::RawReader(const std::string& path, std::size_t cells, int bytes) : path_(path) {
    check_input(path, false);
    std::error_code ec;
    const std::uint64_t size = std::filesystem::file_size(path, ec);
    const std::uint64_t needed = saturated_product(cells, static_cast<std::uint64_t>(bytes));
    if (ec) fail("cannot open " + path + ": " + ec.message());
    if (size != needed) {
        fail(path + " holds " + std::to_string(size) + " bytes where its grid needs " + std::to_string(needed) +
             ": the sizes differ");
    }
    file_ = std::fopen(path.c_str(), "rb");
    if (file_ == nullptr) fail("cannot open " + path + ": " + std::strerror(errno));
}

RawReader::~RawReader() {
    if (file_ != nullptr) std::fclose(file_);
}

void RawReader::check_read() {
    if (std::ferror(file_) != 0) fail("cannot read " + path_ + ": " + std::strerror(errno != 0 ? errno : EIO));
    if (std::feof(file_) != 0) fail("cannot read " + path_ + ": it ended early");
}

// The row functions read at most a piece, whose count fits an int.
void RawReader::read(std::int32_t* cells, std::size_t n) {
    errno = 0;
    read_int_row(file_, cells, static_cast<int>(n));
    check_read();
}

void RawReader::read(std::uint8_t* cells, std::size_t n) {
    errno = 0;
    read_byte_row(file_, cells, static_cast<int>(n));
    check_read();
}

void write_cells(std::FILE* file, const std::int32_t* cells, std::size_t n, const std::string& path) {
    errno = 0;
    if (!write_int_row(file, cells, static_cast<int>(n))) {
        fail("cannot write " + path + ": " + error_text(errno != 0 ? errno : EIO));
    }
}

void write_cells(std::FILE* file, const std::uint8_t* cells, std::size_t n, const std::string& path) {
    GisOutputs::write(file, cells, n, path);
}

std::string envi_header(int lines, int cols, bool int32, const Georef& georef, const double* nodata) {
    const double* t = georef.transform;
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
    return h.str();
}
