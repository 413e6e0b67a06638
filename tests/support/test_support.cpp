#include "test_support.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tarvex-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

void write_file(const std::string& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string read_file(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool file_exists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::symlink_status(path, ec));
}

std::map<std::string, std::string> folder_contents(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const std::string& name : folder_files(folder)) files[name] = read_file(folder + "/" + name);
    return files;
}

std::vector<std::string> folder_files(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string int_raster(const std::vector<int>& cells) {
    std::string bytes;
    for (int cell : cells) {
        auto v = static_cast<std::uint32_t>(cell);
        for (int b = 0; b < 4; ++b) bytes.push_back(static_cast<char>((v >> (8 * b)) & 0xFF));
    }
    return bytes;
}

std::string byte_raster(const std::vector<int>& cells) {
    std::string bytes;
    for (int cell : cells) bytes.push_back(static_cast<char>(cell));
    return bytes;
}

ScriptedConsole::ScriptedConsole(const std::string& answers)
    : in(answers), out(), con(in, out, Console::KeySource(), false) {}

std::string RiverCase::folder(const TempDir& root) const {
    return root.path() + "/images/" + directory + "/";
}

static std::string descriptor_text(int a, int b, int c, int d, int e, int f) {
    std::string text;
    for (int v : {a, b, c, d, e, f}) text += std::to_string(v) + "\n";
    return text;
}

void RiverCase::write(const TempDir& root, bool descriptors) const {
    std::filesystem::create_directories(folder(root));
    write_file(folder(root) + mask_name + ".raw", byte_raster(mask));
    write_file(folder(root) + skel_name + ".raw", byte_raster(skel));
    write_file(folder(root) + dem_name + "_m4.raw", int_raster(dem));
    if (!descriptors) return;
    write_file(folder(root) + mask_name + ".txt", descriptor_text(lines, cols, 1, 0, 255, pixel));
    write_file(folder(root) + skel_name + ".txt", descriptor_text(lines, cols, 1, 0, 255, pixel));
    write_file(folder(root) + dem_name + "_m4.txt", descriptor_text(lines, cols, 4, 0, 0, pixel));
}

std::vector<std::string> RiverCase::input_paths(const TempDir& root) const {
    const std::string f = folder(root);
    return {f + mask_name + ".raw", f + mask_name + ".txt", f + skel_name + ".raw",
            f + skel_name + ".txt", f + dem_name + "_m4.raw", f + dem_name + "_m4.txt"};
}

std::vector<std::string> RiverCase::input_names() const {
    std::vector<std::string> names = {mask_name + ".raw", mask_name + ".txt", skel_name + ".raw",
                                      skel_name + ".txt", dem_name + "_m4.raw", dem_name + "_m4.txt"};
    std::sort(names.begin(), names.end());
    return names;
}

RunResult RiverCase::run(const TempDir& root, const std::string& answers, const RunOptions& options) const {
    FilesUnchanged inputs(input_paths(root));
    return run_tarvex(root.path(), root.path() + "/images", answers, options);
}

FilesUnchanged::FilesUnchanged(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        // Links, FIFOs, devices and folders standing in for inputs are not read.
        std::error_code ec;
        if (std::filesystem::is_regular_file(std::filesystem::symlink_status(path, ec))) {
            files_.emplace_back(path, read_file(path));
        }
    }
}

FilesUnchanged::~FilesUnchanged() {
    for (const auto& [path, content] : files_) {
        const std::string now = read_file(path);
        EXPECT_EQ(now.size(), content.size()) << path << " changed size";
        EXPECT_TRUE(now == content) << path << " changed content";
    }
}

std::string RiverCase::opening_answers(const std::string& result) const {
    return directory + "\n" + mask_name + "\n" + skel_name + "\n" + dem_name + "\n" + result + "\n";
}

std::string RiverCase::report_head(const TempDir& root) const {
    const std::string f = folder(root);
    return descriptor_text(lines, cols, 1, 0, 255, pixel) +
           "\n\n Input Data : \n\tRiver mask                : " + f + mask_name +
           ".raw \n\tRiver skeleton           : " + f + skel_name +
           ".raw \n\tDigital Elevation Model : " + f + dem_name + "_m4.raw ";
}

RiverCase RiverCase::small() {
    RiverCase c;
    c.lines = 3;
    c.cols = 4;
    c.pixel = 25;
    c.mask = {0, 1, 1, 0, 0, 1, 1, 0, 0, 1, 1, 0};
    c.skel = {0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0};
    c.dem = {1000, 990, 995, 1010, 1001, 980, 985, 1011, 1002, -970, 975, 1012};
    return c;
}

RiverCase RiverCase::widened(int wide) const {
    RiverCase w = *this;
    w.cols = wide;
    w.mask.clear();
    w.skel.clear();
    w.dem.clear();
    for (int i = 0; i < lines; ++i) {
        for (int j = 0; j < wide; ++j) {
            const std::size_t k = static_cast<std::size_t>(i) * cols + j;
            w.mask.push_back(j < cols ? mask[k] : 0);
            w.skel.push_back(j < cols ? skel[k] : 0);
            w.dem.push_back(j < cols ? dem[k] : 100000);
        }
    }
    return w;
}

const char* const RiverCase::kLayerOnlyAnswers = "0  0 1 10.0  2 1 9.0  1  0 0.5 0.5  25\n";

std::string expected_banner() {
    const std::string edge(62, '*');
    const std::string blank = "\n\t*" + std::string(60, ' ') + "*";
    return "\n\n\t" + edge + blank +
           "\n\t*                TARVEX                                      *" + blank + blank +
           blank + blank +
           "\n\t*                                River and flood analysis    *" +
           "\n\t*                                          (December 2026)   *" + blank + blank +
           "\n\t" + edge;
}

StageFixture::StageFixture(int lines, int cols) : log(trace, ProgressFn()) {
    Inputs zero{ByteGrid(lines, cols), ByteGrid(lines, cols), IntGrid(lines, cols)};
    g = Grids::around(std::move(zero));
    g.tab_mask_prov = ByteGrid(lines, cols);
    g.tab_soul_prov = ByteGrid(lines, cols);
    g.itab_out = SurfaceGrid::whole(lines, cols);
    p.hypso_scale = 0;
    p.taille_pix = 1;
}

void StageFixture::fill(ByteGrid& grid, const std::vector<int>& cells) {
    for (std::size_t k = 0; k < cells.size(); ++k) grid.data()[k] = static_cast<unsigned char>(cells[k]);
}

void StageFixture::fill(IntGrid& grid, const std::vector<int>& cells) {
    for (std::size_t k = 0; k < cells.size(); ++k) grid.data()[k] = cells[k];
}

void StageFixture::fill(SurfaceGrid& grid, const std::vector<int>& cells) {
    const std::size_t cols = static_cast<std::size_t>(grid.nb_col());
    for (std::size_t k = 0; k < cells.size(); ++k) grid[static_cast<int>(k / cols)][k % cols] = cells[k];
}

std::vector<int> StageFixture::cells(const SurfaceGrid& grid) {
    std::vector<int> v;
    for (int i = 0; i < grid.nb_lig(); ++i) {
        for (int j = 0; j < grid.nb_col(); ++j) v.push_back(grid.at(i, j));
    }
    return v;
}
