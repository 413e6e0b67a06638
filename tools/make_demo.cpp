// Writes a synthetic valley for a demonstration run of tarvex:
//   <folder>/valley_m4.raw, valley_m4.txt   DEM in decimetres, a valley sloping west to east
//   <folder>/valley_skel.raw, .txt          a meandering one-pixel 8-connected river skeleton
//   <folder>/valley_mask.raw, .txt          the river mask, a few cells wide around it
//   <answers>                               the dialog's answers, with the wave and the layer
// Usage: make_demo FOLDER ANSWERS_FILE
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kLines = 300;
constexpr int kCols = 400;
constexpr int kPixel = 5;        // metres
constexpr int kFirstCol = 10;    // upper point of the river
constexpr int kLastCol = 389;    // lower point
constexpr int kMaskHalfWidth = 3;
constexpr double kPi = 3.14159265358979323846;

struct Pixel {
    int i, j;
};

using Bytes = std::vector<unsigned char>;

// Valley floor in decimetres: 200 m at the west edge, 190 m at the east edge.
int floor_dm(int j) { return 2000 - j * 100 / kCols; }

int meander_line(int j) {
    return static_cast<int>(std::lround(150.0 + 40.0 * std::sin(2.0 * kPi * j / 200.0)));
}

// An 8-connected line through the meander: a diagonal or straight step per column, with
// vertical steps where the meander is steeper than one line per column.
std::vector<Pixel> trace_meander() {
    std::vector<Pixel> line{{meander_line(kFirstCol), kFirstCol}};
    for (int j = kFirstCol + 1; j <= kLastCol; ++j) {
        const int target = meander_line(j);
        Pixel cur = line.back();
        while (std::abs(target - cur.i) > 1) {
            cur.i += target > cur.i ? 1 : -1;
            line.push_back(cur);
        }
        line.push_back({target, j});
    }
    return line;
}

int at(const Bytes& grid, int i, int j) {
    if (i < 0 || j < 0 || i >= kLines || j >= kCols) return 0;
    return grid[static_cast<std::size_t>(i) * kCols + j] == 1 ? 1 : 0;
}

// Removes the right-angle elbows of the line, so that the skeleton on disk is already thin.
std::vector<Pixel> without_elbows(const std::vector<Pixel>& line, Bytes& skel) {
    for (const Pixel& p : line) skel[static_cast<std::size_t>(p.i) * kCols + p.j] = 1;
    std::vector<Pixel> kept;
    for (const Pixel& p : line) {
        const int code = at(skel, p.i - 1, p.j) * 2 + at(skel, p.i, p.j + 1) * 8 +
                         at(skel, p.i + 1, p.j) * 32 + at(skel, p.i, p.j - 1) * 128;
        const int diagonals = at(skel, p.i - 1, p.j - 1) + at(skel, p.i - 1, p.j + 1) +
                              at(skel, p.i + 1, p.j + 1) + at(skel, p.i + 1, p.j - 1);
        const bool elbow = diagonals == 0 && (code == 10 || code == 40 || code == 160 || code == 130);
        if (elbow) {
            skel[static_cast<std::size_t>(p.i) * kCols + p.j] = 0;
        } else {
            kept.push_back(p);
        }
    }
    return kept;
}

Bytes dilate(const std::vector<Pixel>& line) {
    Bytes mask(static_cast<std::size_t>(kLines) * kCols, 0);
    for (const Pixel& p : line) {
        for (int di = -kMaskHalfWidth; di <= kMaskHalfWidth; ++di) {
            for (int dj = -kMaskHalfWidth; dj <= kMaskHalfWidth; ++dj) {
                int i = p.i + di, j = p.j + dj;
                if (i >= 0 && j >= 0 && i < kLines && j < kCols) {
                    mask[static_cast<std::size_t>(i) * kCols + j] = 1;
                }
            }
        }
    }
    return mask;
}

// Channel 1.5 m below the floor, a floodplain 0.4 m above it with dry terraces, and valley
// sides rising 0.4 m per pixel beyond 70 lines from the axis.
std::vector<std::int32_t> make_dem(const Bytes& mask) {
    std::vector<std::int32_t> dem(static_cast<std::size_t>(kLines) * kCols);
    for (int i = 0; i < kLines; ++i) {
        for (int j = 0; j < kCols; ++j) {
            const int d = std::abs(i - 150);
            int z = floor_dm(j) + 4;
            if (d > 70) z += (d - 70) * 4;
            if (std::sin(j / 29.0) + std::cos(i / 17.0) > 1.3) z += 30;
            if (mask[static_cast<std::size_t>(i) * kCols + j] == 1) z = floor_dm(j) - 15;
            dem[static_cast<std::size_t>(i) * kCols + j] = z;
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

std::string descriptor(int bytes_per_cell, int min, int max) {
    char text[128];
    std::snprintf(text, sizeof text, "%d\n%d\n%d\n%d\n%d\n%d\n", kLines, kCols, bytes_per_cell,
                  min, max, kPixel);
    return text;
}

std::vector<unsigned char> little_endian(const std::vector<std::int32_t>& cells) {
    std::vector<unsigned char> bytes;
    bytes.reserve(cells.size() * 4);
    for (std::int32_t cell : cells) {
        auto v = static_cast<std::uint32_t>(cell);
        for (int b = 0; b < 4; ++b) bytes.push_back(static_cast<unsigned char>(v >> (8 * b)));
    }
    return bytes;
}

std::string answers(const std::vector<Pixel>& river) {
    const Pixel& up = river.front();
    const Pixel& down = river.back();
    const Pixel& summit = river[river.size() / 2];
    char text[512];
    std::snprintf(text, sizeof text,
                  "demo\nvalley_mask\nvalley_skel\nvalley\nvalley_flood\n"
                  "1\n"                 // DEM in decimetres
                  "%d\n%d\n%.1f\n"      // upper point and its altitude
                  "%d\n%d\n%.1f\n"      // lower point and its altitude
                  "0\n40\n1.5\n%d\n%d\n"  // a Gaussian wave of 1.5 m over 40 pixels each side
                  "0\n0.8\n1.2\n"       // a water layer from 0.8 m to 1.2 m
                  "%d\n",               // pixel size
                  up.i, up.j, floor_dm(up.j) / 10.0, down.i, down.j, floor_dm(down.j) / 10.0,
                  summit.i, summit.j, kPixel);
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stdout, "usage: make_demo FOLDER ANSWERS_FILE\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/";
    Bytes skel(static_cast<std::size_t>(kLines) * kCols, 0);
    const std::vector<Pixel> river = without_elbows(trace_meander(), skel);
    const Bytes mask = dilate(river);
    const std::vector<std::int32_t> dem = make_dem(mask);
    int min = dem[0], max = dem[0];
    for (std::int32_t z : dem) {
        if (z < min) min = z;
        if (z > max) max = z;
    }
    const std::vector<unsigned char> dem_bytes = little_endian(dem);
    bool ok = write_bytes(folder + "valley_m4.raw", dem_bytes.data(), dem_bytes.size()) &&
              write_text(folder + "valley_m4.txt", descriptor(4, min, max)) &&
              write_bytes(folder + "valley_skel.raw", skel.data(), skel.size()) &&
              write_text(folder + "valley_skel.txt", descriptor(1, 0, 255)) &&
              write_bytes(folder + "valley_mask.raw", mask.data(), mask.size()) &&
              write_text(folder + "valley_mask.txt", descriptor(1, 0, 255)) &&
              write_text(argv[2], answers(river));
    if (!ok) {
        std::fprintf(stdout, "make_demo: cannot write the demo files in %s\n", argv[1]);
        return 1;
    }
    return 0;
}
