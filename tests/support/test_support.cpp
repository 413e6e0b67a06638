#include "test_support.h"

#include <sys/wait.h>
#include <unistd.h>

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

bool file_exists(const std::string& path) { return std::filesystem::exists(path); }

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

RunResult run_tarvex(const std::string& workdir, const std::string& images,
                     const std::string& answers) {
    TempDir io;
    write_file(io / "in", answers);
    pid_t pid = fork();
    if (pid == 0) {
        if (chdir(workdir.c_str()) != 0) _exit(126);
        setenv("TARVEX_IMAGES", images.c_str(), 1);
        if (!freopen((io / "in").c_str(), "rb", stdin)) _exit(126);
        if (!freopen((io / "out").c_str(), "wb", stdout)) _exit(126);
        if (!freopen((io / "err").c_str(), "wb", stderr)) _exit(126);
        execl(TARVEX_BIN, TARVEX_BIN, static_cast<char*>(nullptr));
        _exit(127);
    }
    int wstatus = 0;
    waitpid(pid, &wstatus, 0);
    RunResult result;
    result.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
    result.out = read_file(io / "out");
    result.err = read_file(io / "err");
    return result;
}

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

RunResult RiverCase::run(const TempDir& root, const std::string& answers) const {
    return run_tarvex(root.path(), root.path() + "/images", answers);
}

std::string RiverCase::opening_answers(const std::string& result) const {
    return directory + "\n" + mask_name + "\n" + skel_name + "\n" + dem_name + "\n" + result + "\n";
}

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
