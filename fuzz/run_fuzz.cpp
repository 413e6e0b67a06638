// A whole run in this process, on a tiny images folder made from the input. The input holds
// seven fields separated by the byte 0x1E: the mask, skeleton and DEM descriptors, the mask,
// skeleton and DEM rasters, and the answers. A field that is exactly "-" leaves its file out.
// The run must end with status 0 or 1, leave every input file as it was and no temporary
// behind, and a stopped run no result.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "console.h"
#include "file_formats.h"
#include "run_console.h"
#include "stop.h"

namespace {

constexpr int kLargestSide = 32;

const std::string& images() {
    static const std::string path = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "tarvex-fuzz-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        setenv("TARVEX_IMAGES", pattern.c_str(), 1);
        return pattern;
    }();
    return path;
}

std::vector<std::string> split(const std::string& text) {
    std::vector<std::string> fields(1);
    for (char c : text) {
        if (c == '\x1e' && fields.size() < 7) {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    fields.resize(7);
    return fields;
}

// The run must stay tiny: descriptors may lie about the rasters but not give sides above 32,
// and when a descriptor is missing (its sizes are then asked) no whole-number answer may
// exceed 32.
bool tiny(const std::vector<std::string>& f) {
    bool asks_sizes = false;
    for (int k = 0; k < 3; ++k) {
        if (f[k] == "-") {
            asks_sizes = true;
            continue;
        }
        std::istringstream in(f[k]);
        long long side = 0;
        for (int n = 0; n < 2 && in >> side; ++n) {
            if (side > kLargestSide) return false;
        }
    }
    if (!asks_sizes) return true;
    std::istringstream words(f[6]);
    for (std::string w; words >> w;) {
        int v = 0;
        if (parse_int_word(w, v) && (v > kLargestSide || v < -kLargestSide)) return false;
    }
    return true;
}

// Whether a file of the images folder is one a run leaves only by fault: a temporary
// (".<stem>.<random>.<ext>") or a lock (".<name>_tarvex.lock"). Results start with a dot too
// when the result name given does.
bool left_behind(const std::string& name) {
    if (name[0] != '.') return false;
    for (const char* suffix : {kResultDemRaster, kResultDemDescriptor, kResultTable, kResultMaskRaster,
                               kResultMaskDescriptor}) {
        const std::string s(suffix);
        if (name.size() > s.size() && name.compare(name.size() - s.size(), s.size(), s) == 0) return false;
    }
    return true;
}

std::string read_all(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string> f = split(std::string(reinterpret_cast<const char*>(data), size));
    if (!tiny(f)) return 0;
    const std::string folder = images() + "/d/";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const char* names[6] = {"m.txt", "s.txt", "e_m4.txt", "m.raw", "s.raw", "e_m4.raw"};
    std::vector<std::pair<std::string, std::string>> inputs;
    for (int k = 0; k < 6; ++k) {
        if (f[k] == "-") continue;
        std::ofstream(folder + names[k], std::ios::binary) << f[k];
        inputs.emplace_back(folder + names[k], f[k]);
    }

    std::istringstream in(f[6]);
    std::ostringstream out;
    Console con(in, out, Console::KeySource(), false);
    int status = -1;
    try {
        status = run_console(con, nullptr);
    } catch (const Stop&) {
        status = 1;
    }
    if (status != 0 && status != 1) std::abort();
    for (const auto& [path, content] : inputs) {
        if (read_all(path) != content) std::abort();  // an input was changed
    }
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (left_behind(name)) std::abort();
        if (status == 1 && name.find("_tarvex") != std::string::npos) std::abort();  // a stopped run's result
    }
    return 0;
}
