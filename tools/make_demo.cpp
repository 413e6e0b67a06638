// Writes a synthetic valley for a demonstration run of tarvex:
//   <folder>/valley_m4.raw, valley_m4.txt   DEM in decimetres, a valley sloping west to east
//   <folder>/valley_skel.raw, .txt          a meandering one-pixel 8-connected river skeleton
//   <folder>/valley_mask.raw, .txt          the river mask, a few cells wide around it
//   <answers>                               the dialog's answers, with the wave and the layer
// Usage: make_demo FOLDER ANSWERS_FILE [LINES COLUMNS] [--envi]
// The default size is 300 x 400; other sizes scale the valley with them. With --envi, each
// raster also gets an ENVI header placing it in UTM zone 31 north, so that GDAL tools read it.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kPixel = 5;  // metres
constexpr int kMaskHalfWidth = 3;
constexpr double kPi = 3.14159265358979323846;

struct Pixel {
    int i, j;
};

using Bytes = std::vector<unsigned char>;

// The valley's geometry, drawn for 300 x 400 and scaled to its size.
struct Valley {
    int lines = 300;
    int cols = 400;

    double scale_i() const { return lines / 300.0; }
    double scale_j() const { return cols / 400.0; }
    int first_col() const { return cols / 40; }             // upper point of the river
    int last_col() const { return cols - 1 - cols / 40; }   // lower point
    std::size_t cells() const { return static_cast<std::size_t>(lines) * cols; }
    std::size_t at(int i, int j) const { return static_cast<std::size_t>(i) * cols + j; }
    bool inside(int i, int j) const { return i >= 0 && j >= 0 && i < lines && j < cols; }

    // Valley floor in decimetres: 200 m at the west edge, 190 m at the east edge.
    int floor_dm(int j) const { return 2000 - static_cast<int>(static_cast<long long>(j) * 100 / cols); }

    int meander_line(int j) const {
        return static_cast<int>(std::lround(lines / 2.0 + 40.0 * scale_i() *
                                            std::sin(2.0 * kPi * j / (200.0 * scale_j()))));
    }
};

// An 8-connected line through the meander: a diagonal or straight step per column, with
// vertical steps where the meander is steeper than one line per column.
std::vector<Pixel> trace_meander(const Valley& v) {
    std::vector<Pixel> line{{v.meander_line(v.first_col()), v.first_col()}};
    for (int j = v.first_col() + 1; j <= v.last_col(); ++j) {
        const int target = v.meander_line(j);
        Pixel cur = line.back();
        while (std::abs(target - cur.i) > 1) {
            cur.i += target > cur.i ? 1 : -1;
            line.push_back(cur);
        }
        line.push_back({target, j});
    }
    return line;
}

int set_at(const Valley& v, const Bytes& grid, int i, int j) {
    return v.inside(i, j) && grid[v.at(i, j)] == 1 ? 1 : 0;
}

// Removes the right-angle elbows of the line, so that the skeleton on disk is already thin.
std::vector<Pixel> without_elbows(const Valley& v, const std::vector<Pixel>& line, Bytes& skel) {
    for (const Pixel& p : line) skel[v.at(p.i, p.j)] = 1;
    std::vector<Pixel> kept;
    for (const Pixel& p : line) {
        const int code = set_at(v, skel, p.i - 1, p.j) * 2 + set_at(v, skel, p.i, p.j + 1) * 8 +
                         set_at(v, skel, p.i + 1, p.j) * 32 + set_at(v, skel, p.i, p.j - 1) * 128;
        const int diagonals = set_at(v, skel, p.i - 1, p.j - 1) + set_at(v, skel, p.i - 1, p.j + 1) +
                              set_at(v, skel, p.i + 1, p.j + 1) + set_at(v, skel, p.i + 1, p.j - 1);
        const bool elbow = diagonals == 0 && (code == 10 || code == 40 || code == 160 || code == 130);
        if (elbow) {
            skel[v.at(p.i, p.j)] = 0;
        } else {
            kept.push_back(p);
        }
    }
    return kept;
}

Bytes dilate(const Valley& v, const std::vector<Pixel>& line) {
    Bytes mask(v.cells(), 0);
    for (const Pixel& p : line) {
        for (int di = -kMaskHalfWidth; di <= kMaskHalfWidth; ++di) {
            for (int dj = -kMaskHalfWidth; dj <= kMaskHalfWidth; ++dj) {
                if (v.inside(p.i + di, p.j + dj)) mask[v.at(p.i + di, p.j + dj)] = 1;
            }
        }
    }
    return mask;
}

// Channel 1.5 m below the floor, a floodplain 0.4 m above it with dry terraces, and valley
// sides rising 0.4 m per pixel beyond the floodplain.
std::vector<std::int32_t> make_dem(const Valley& v, const Bytes& mask) {
    std::vector<std::int32_t> dem(v.cells());
    const int plain = static_cast<int>(70 * v.scale_i());
    for (int i = 0; i < v.lines; ++i) {
        for (int j = 0; j < v.cols; ++j) {
            const int d = std::abs(i - v.lines / 2);
            int z = v.floor_dm(j) + 4;
            if (d > plain) z += (d - plain) * 4;
            if (std::sin(j / (29.0 * v.scale_j())) + std::cos(i / (17.0 * v.scale_i())) > 1.3) z += 30;
            if (mask[v.at(i, j)] == 1) z = v.floor_dm(j) - 15;
            dem[v.at(i, j)] = z;
        }
    }
    return dem;
}

bool write_bytes(const std::string& path, const void* data, std::size_t size) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    bool ok = std::fwrite(data, 1, size, f) == size;
    return (std::fclose(f) == 0) && ok;
}

bool write_text(const std::string& path, const std::string& text) {
    return write_bytes(path, text.data(), text.size());
}

std::string descriptor(const Valley& v, int bytes_per_cell, int min, int max) {
    char text[128];
    std::snprintf(text, sizeof text, "%d\n%d\n%d\n%d\n%d\n%d\n", v.lines, v.cols, bytes_per_cell,
                  min, max, kPixel);
    return text;
}

// The ENVI header of one of the valley's rasters: 5 m pixels from (500000, 4800000) in UTM 31 N.
std::string envi_header(const Valley& v, bool int32) {
    char text[512];
    std::snprintf(text, sizeof text,
                  "ENVI\nsamples = %d\nlines = %d\nbands = 1\nheader offset = 0\nfile type = ENVI Standard\n"
                  "data type = %d\ninterleave = bsq\nbyte order = 0\n"
                  "map info = {UTM, 1, 1, 500000, 4800000, %d, %d, 31, North, WGS-84}\n",
                  v.cols, v.lines, int32 ? 3 : 1, kPixel, kPixel);
    return text;
}

std::vector<unsigned char> little_endian(const std::vector<std::int32_t>& cells) {
    std::vector<unsigned char> bytes;
    bytes.reserve(cells.size() * 4);
    for (std::int32_t cell : cells) {
        auto u = static_cast<std::uint32_t>(cell);
        for (int b = 0; b < 4; ++b) bytes.push_back(static_cast<unsigned char>(u >> (8 * b)));
    }
    return bytes;
}

std::string answers(const Valley& v, const std::vector<Pixel>& river) {
    const Pixel& up = river.front();
    const Pixel& down = river.back();
    const Pixel& summit = river[river.size() / 2];
    char text[512];
    std::snprintf(text, sizeof text,
                  "demo\nvalley_mask\nvalley_skel\nvalley\nvalley_flood\n"
                  "1\n"                   // DEM in decimetres
                  "%d\n%d\n%.1f\n"        // upper point and its altitude
                  "%d\n%d\n%.1f\n"        // lower point and its altitude
                  "0\n40\n1.5\n%d\n%d\n"  // a Gaussian wave of 1.5 m over 40 pixels each side
                  "0\n0.8\n1.2\n"         // a water layer from 0.8 m to 1.2 m
                  "%d\n",                 // pixel size
                  up.i, up.j, v.floor_dm(up.j) / 10.0, down.i, down.j, v.floor_dm(down.j) / 10.0,
                  summit.i, summit.j, kPixel);
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    Valley v;
    const bool envi = argc > 1 && std::string(argv[argc - 1]) == "--envi";
    const int args = envi ? argc - 1 : argc;
    if (args == 5) {
        v.lines = std::atoi(argv[3]);
        v.cols = std::atoi(argv[4]);
    }
    if ((args != 3 && args != 5) || v.lines < 100 || v.cols < 100 || v.lines > 50000 || v.cols > 50000) {
        std::fprintf(stdout, "usage: make_demo FOLDER ANSWERS_FILE [LINES COLUMNS] [--envi] (100 to 50000 each)\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/";
    Bytes skel(v.cells(), 0);
    const std::vector<Pixel> river = without_elbows(v, trace_meander(v), skel);
    const Bytes mask = dilate(v, river);
    const std::vector<std::int32_t> dem = make_dem(v, mask);
    int min = dem[0], max = dem[0];
    for (std::int32_t z : dem) {
        if (z < min) min = z;
        if (z > max) max = z;
    }
    const std::vector<unsigned char> dem_bytes = little_endian(dem);
    bool ok = write_bytes(folder + "valley_m4.raw", dem_bytes.data(), dem_bytes.size()) &&
              write_text(folder + "valley_m4.txt", descriptor(v, 4, min, max)) &&
              write_bytes(folder + "valley_skel.raw", skel.data(), skel.size()) &&
              write_text(folder + "valley_skel.txt", descriptor(v, 1, 0, 255)) &&
              write_bytes(folder + "valley_mask.raw", mask.data(), mask.size()) &&
              write_text(folder + "valley_mask.txt", descriptor(v, 1, 0, 255)) &&
              write_text(argv[2], answers(v, river)) &&
              (!envi || (write_text(folder + "valley_m4.hdr", envi_header(v, true)) &&
                         write_text(folder + "valley_skel.hdr", envi_header(v, false)) &&
                         write_text(folder + "valley_mask.hdr", envi_header(v, false))));
    if (!ok) {
        std::fprintf(stdout, "make_demo: cannot write the demo files in %s\n", argv[1]);
        return 1;
    }
    return 0;
}
